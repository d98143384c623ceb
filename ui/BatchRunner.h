#pragma once

#include <functional>
#include <string>
#include <vector>

#include <QElapsedTimer>
#include <QObject>

class QEvent;
class QProgressBar;
class QWidget;

namespace mirado::ui {

// Runs the batches of one window, one at a time, on the window's thread.
//
// A drop is only taken here: its batch starts from the event loop right
// after, so that the drop is finished towards the file manager at once.
// While the batch runs, the window stays still for the user: input to it is
// swallowed (not kept for later), drops are refused, and a request to close
// it is carried out when the batch has ended. The event loop still gets a
// turn about every 16 ms for everything else: the window system's pings,
// exposes, paints.
//
// The progress bar gets every value, as assistive technology reads them,
// but during a batch it is painted only at those turns, when its filled
// width has changed by a pixel or more, and at the end, when the last value
// shows otherwise than the last paint.
class BatchRunner : public QObject {
    Q_OBJECT

public:
    using Batch = std::function<void(const std::vector<std::u16string>&)>;

    // batch is the work for the files of one drop; window is the top-level
    // window that the batch runs for and bar its progress bar.
    BatchRunner(QWidget& window, QProgressBar& bar, Batch batch);
    ~BatchRunner() override;

    // From a drop until its batch has ended.
    bool Busy() const { return busy_; }

    // Takes the files of a drop; their batch starts from the event loop.
    // Takes nothing and returns false while a batch runs.
    bool Start(std::vector<std::u16string> files);

    // Sets the bar's value; during a batch, also gives the event loop its
    // turn when one is due.
    void SetProgress(int value);

protected:
    bool eventFilter(QObject* receiver, QEvent* event) override;

private:
    void Run(const std::vector<std::u16string>& files);
    void Turn();
    void PaintBarIfChanged();
    void Finish();
    int FilledWidth() const;
    bool InWindow(QObject* object) const;

    QWidget& window_;
    QProgressBar& bar_;
    Batch batch_;
    bool busy_ = false;
    bool holdingPaints_ = false;  // inside the bar's setValue during a batch
    bool paintHeld_ = false;      // a repaint asked for there waits for a turn
    bool closeRequested_ = false;
    int paintedWidth_ = 0;  // of the bar's filled part, in pixels
    QElapsedTimer sinceTurn_;
};

}  // namespace mirado::ui
