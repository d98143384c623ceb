#include "BatchThread.h"

#include <utility>

namespace mirado {

BatchThread::BatchThread(BatchRequest request, FileServices& fso, std::function<void()> wake)
    : wake_(std::move(wake)),
      request_(std::move(request)),
      thread_([this, &fso](std::stop_token stop) { RunBatch(request_, fso, queue_, stop); }) {}

BatchThread::~BatchThread() {
    thread_.request_stop();
    Wait();
}

void BatchThread::Wait() {
    if (thread_.joinable()) thread_.join();
}

void BatchThread::Push(Event event) {
    const bool urgent = !std::holds_alternative<Value>(event);
    {
        const std::lock_guard lock(mutex_);
        // A value the owner has not taken yet gives way to the next one:
        // the bar shows only the latest, and the owner then handles one
        // value a frame instead of one a file.
        if (!urgent && !events_.empty() && std::holds_alternative<Value>(events_.back()))
            events_.back() = std::move(event);
        else
            events_.push_back(std::move(event));
    }
    if (urgent) wake_();
}

bool BatchThread::Deliver(BatchEvents& events) {
    if (delivering_) return ended_;
    delivering_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{delivering_};
    for (;;) {
        Event event;
        {
            const std::lock_guard lock(mutex_);
            if (events_.empty()) break;
            event = std::move(events_.front());
            events_.pop_front();
        }
        if (const auto* maximum = std::get_if<Maximum>(&event)) {
            events.ProgressMaximum(maximum->value);
        } else if (const auto* value = std::get_if<Value>(&event)) {
            events.Progress(value->value);
        } else if (const auto* failure = std::get_if<Failure>(&event)) {
            events.Failed(failure->report);
        } else {
            ended_ = true;
            events.Finished(std::get<BatchOutcome>(event));
        }
    }
    return ended_;
}

}  // namespace mirado
