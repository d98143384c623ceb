#include "InputBlocker.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>
#include <QWindow>

namespace mirado::ui {
namespace {

bool IsUserInput(QEvent::Type type) {
    switch (type) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::InputMethod:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TabletPress:
        case QEvent::TabletMove:
        case QEvent::TabletRelease:
            return true;
        default:
            return false;
    }
}

}  // namespace

InputBlocker::InputBlocker(QWidget& window) : QObject(&window), window_(window) {}

InputBlocker::~InputBlocker() { SetActive(false); }

void InputBlocker::SetActive(bool active) {
    if (active == active_) return;
    active_ = active;
    if (active)
        QCoreApplication::instance()->installEventFilter(this);
    else
        QCoreApplication::instance()->removeEventFilter(this);
}

bool InputBlocker::InWindow(QObject* object) const {
    // The window system's input reaches the window's QWindow first; a key
    // of the window's own (F1) reaches its QShortcut, a child of the window.
    if (!object->isWidgetType())
        return object == static_cast<QObject*>(window_.windowHandle()) ||
               (object->parent() != nullptr && InWindow(object->parent()));
    auto* widget = static_cast<QWidget*>(object);
    return widget == &window_ || window_.isAncestorOf(widget);
}

bool InputBlocker::eventFilter(QObject* receiver, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::DragEnter || type == QEvent::DragMove || type == QEvent::Drop) {
        if (!InWindow(receiver)) return false;
        event->ignore();  // answered as refused
        return true;
    }
    return IsUserInput(type) && InWindow(receiver);
}

}  // namespace mirado::ui
