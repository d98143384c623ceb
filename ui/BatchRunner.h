#pragma once

#include <atomic>
#include <functional>
#include <memory>

#include <QObject>
#include <QString>
#include <QTimer>

#include "Batch.h"
#include "BatchEvents.h"

namespace mirado {
class BatchThread;
class FileServices;
}  // namespace mirado

namespace mirado::ui {

// Runs the batches of one window, one at a time, each on a thread of its
// own, and gives their events as signals on the window's thread.
//
// A drop is only taken here: the batch begins from the event loop right
// after, so that the file manager has its answer before anything is asked
// or copied. Until the batch has ended the runner is busy and takes no
// other drop.
class BatchRunner : public QObject, private BatchEvents {
    Q_OBJECT

public:
    // prepare completes a request before its batch begins (the find and
    // replacement texts); false cancels the drop.
    using Prepare = std::function<bool(BatchRequest&)>;

    BatchRunner(FileServices& fso, Prepare prepare, QObject* parent = nullptr);
    ~BatchRunner() override;

    // From a drop until its batch has ended (or its drop was cancelled).
    bool Busy() const { return busy_; }

    // Takes the request of a drop; false, taking nothing, while busy.
    bool Take(BatchRequest request);

    // The running batch stops at its next piece of work; its events still
    // come, ending in finished().
    void RequestStop();

    // Whether a stop was asked for since the last drop was taken; any thread
    // may ask.
    bool StopRequested() const { return stopRequested_; }

    // Stops the running batch and waits for it, then delivers its events
    // at once: for an end that cannot wait for the event loop.
    void StopAndWait();

signals:
    void progressMaximum(int maximum);
    void progress(int value);
    void failed(const QString& report);
    // Also for a drop whose preparation was cancelled (nothing copied).
    void finished(const mirado::BatchOutcome& outcome);

private:
    void Begin(BatchRequest request);
    void Deliver();

    void ProgressMaximum(int maximum) override { emit progressMaximum(maximum); }
    void Progress(int value) override { emit progress(value); }
    void Failed(const std::u16string& report) override { emit failed(QString::fromStdU16String(report)); }
    void Finished(const BatchOutcome& outcome) override;

    FileServices& fso_;
    Prepare prepare_;
    bool busy_ = false;
    std::atomic<bool> stopRequested_ = false;
    QTimer frames_;  // takes the bar's values while a batch runs
    std::unique_ptr<BatchThread> thread_;
};

}  // namespace mirado::ui
