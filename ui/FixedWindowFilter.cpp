#include "FixedWindowFilter.h"

#include <QCoreApplication>
#include <QWidget>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace mirado::ui {

FixedWindowFilter::FixedWindowFilter(QWidget& window) : QObject(&window), window_(window) {
    QCoreApplication::instance()->installNativeEventFilter(this);
}

bool FixedWindowFilter::nativeEventFilter(const QByteArray& eventType, [[maybe_unused]] void* message,
                                          [[maybe_unused]] qintptr* result) {
#ifdef Q_OS_WIN
    if (eventType != "windows_generic_MSG") return false;
    const MSG* msg = static_cast<const MSG*>(message);
    if (!window_.testAttribute(Qt::WA_WState_Created) || msg->hwnd != reinterpret_cast<HWND>(window_.winId()))
        return false;
    const bool maximise = (msg->message == WM_SYSCOMMAND && (msg->wParam & 0xFFF0) == SC_MAXIMIZE) ||
                          (msg->message == WM_NCLBUTTONDBLCLK && msg->wParam == HTCAPTION);
    if (!maximise) return false;
    *result = 0;
    return true;
#else
    Q_UNUSED(eventType);
    return false;
#endif
}

}  // namespace mirado::ui
