#include "TypeList.h"

#include <QKeyEvent>
#include <QTimer>

namespace mirado::ui {

TypeList::TypeList(QWidget* parent) : QComboBox(parent) {}

void TypeList::hidePopup() {
    // The open list closes on the key's shortcut check; the key itself may
    // then come to the closed list, depending on the platform, in the
    // same turn of the event loop. That key only chose.
    closing_ = true;
    QTimer::singleShot(0, this, [this] { closing_ = false; });
    QComboBox::hidePopup();
}

void TypeList::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (!closing_) emit confirmed();
            return;
        case Qt::Key_Escape:
            if (!closing_) emit dismissed();
            return;
        default:
            QComboBox::keyPressEvent(event);
    }
}

}  // namespace mirado::ui
