#pragma once

#include <QObject>

class QWidget;

namespace mirado::ui {

// While it is active, the window takes no input for itself: the user's
// keys (its shortcuts too), clicks and wheel turns meant for it are swallowed (not kept for
// later), and drops on it are refused. Everything else goes on: paints,
// moves, the window system's pings, a close, and the windows of its own
// that it shows meanwhile (a dialog, an error box).
class InputBlocker : public QObject {
    Q_OBJECT

public:
    explicit InputBlocker(QWidget& window);
    ~InputBlocker() override;

    void SetActive(bool active);

protected:
    bool eventFilter(QObject* receiver, QEvent* event) override;

private:
    bool InWindow(QObject* object) const;

    QWidget& window_;
    bool active_ = false;
};

}  // namespace mirado::ui
