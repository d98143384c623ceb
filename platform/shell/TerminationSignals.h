#pragma once

#include <QObject>

class QSocketNotifier;

namespace mirado {

// Turns the requests to end the program that come as signals (SIGTERM,
// SIGINT, SIGHUP on Linux) into a Qt signal on the window's thread, so
// that they end it as the close box does: a running copy stops and leaves
// nothing behind. Windows asks a window to close with messages, which reach
// the window as close events; there this object never emits.
class TerminationSignals : public QObject {
    Q_OBJECT

public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

signals:
    void requested();

private:
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace mirado
