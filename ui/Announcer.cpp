#include "Announcer.h"

#include <QEvent>
#include <QWidget>

#ifdef _WIN32
#include "SystemCalls.h"
#endif

namespace mirado::ui {

#ifdef _WIN32
Announcer::Announcer(QWidget& window) : Announcer(window, SystemCalls::Real()) {}

Announcer::Announcer(QWidget& window, SystemCalls& calls) : QObject(&window), window_(window), calls_(&calls) {
    window_.installEventFilter(this);
}

void Announcer::Raise(const QString& text) {
    calls_->RaiseNotification(reinterpret_cast<HWND>(window_.winId()), reinterpret_cast<const wchar_t*>(text.utf16()));
}
#else
Announcer::Announcer(QWidget& window) : QObject(&window), window_(window) {}

void Announcer::Raise(const QString& /*text*/) {}
#endif

void Announcer::Announce(const QString& text) {
    if (window_.isActiveWindow())
        Raise(text);
    else
        pending_ = text;  // only the latest: it says what holds now
}

bool Announcer::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &window_ && event->type() == QEvent::WindowActivate && !pending_.isEmpty()) {
        Raise(pending_);
        pending_.clear();
    }
    return false;
}

}  // namespace mirado::ui
