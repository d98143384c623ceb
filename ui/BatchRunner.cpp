#include "BatchRunner.h"

#include <utility>

#include <QPointer>

#include "BatchThread.h"

namespace mirado::ui {

BatchRunner::BatchRunner(FileServices& fso, Prepare prepare, QObject* parent)
    : QObject(parent), fso_(fso), prepare_(std::move(prepare)) {
    // One look a frame at 60 Hz: the bar never lags behind by more.
    frames_.setInterval(16);
    connect(&frames_, &QTimer::timeout, this, &BatchRunner::Deliver);
}

BatchRunner::~BatchRunner() = default;

bool BatchRunner::Take(BatchRequest request) {
    if (busy_) return false;
    busy_ = true;
    stopRequested_ = false;
    QMetaObject::invokeMethod(
        this, [this, request = std::move(request)]() mutable { Begin(std::move(request)); }, Qt::QueuedConnection);
    return true;
}

void BatchRunner::Begin(BatchRequest request) {
    if (stopRequested_ || !prepare_(request)) {
        Finished(BatchOutcome{0, {}, false, stopRequested_.load()});
        return;
    }
    // The batch's thread wakes this one through the event loop; a runner
    // gone by then takes nothing.
    thread_ = std::make_unique<BatchThread>(std::move(request), fso_, [runner = QPointer<BatchRunner>(this)] {
        QMetaObject::invokeMethod(runner, &BatchRunner::Deliver, Qt::QueuedConnection);
    });
    frames_.start();
}

void BatchRunner::Deliver() {
    if (thread_) thread_->Deliver(*this);
}

void BatchRunner::Finished(const BatchOutcome& outcome) {
    frames_.stop();
    busy_ = false;
    emit finished(outcome);
}

void BatchRunner::RequestStop() {
    // The batch's own stop first: whoever sees the flag may rely on it.
    if (thread_) thread_->RequestStop();
    stopRequested_ = true;
}

void BatchRunner::StopAndWait() {
    RequestStop();
    if (!thread_) return;
    thread_->Wait();
    Deliver();
}

}  // namespace mirado::ui
