#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>

class QWidget;

namespace mirado::ui {

// Keeps a window of a fixed size from being maximised by requests that
// bypass its buttons: on Windows a double click on the caption or a
// SC_MAXIMIZE sent by another program would otherwise mark it zoomed and
// move it to the screen's corner. Elsewhere it lets everything through.
// It lives as long as the window, from which it takes its place.
class FixedWindowFilter : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT

public:
    explicit FixedWindowFilter(QWidget& window);
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    QWidget& window_;
};

}  // namespace mirado::ui
