#pragma once

#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <variant>

#include "Batch.h"
#include "BatchEvents.h"

namespace mirado {

class FileServices;

// Runs one batch on a thread of its own, so that the thread that started
// it (the window's) stays free for the user while files are copied. The
// batch's events wait in a queue until that thread takes them with
// Deliver(), in order. wake tells it, from the batch's thread, that an event
// is waiting that must not wait long: the bar's maximum, a failure, the
// end. The bar's values, one per file, wake no one: the owner takes them at
// its own pace (the window once a frame), and only the latest waits, so
// that thousands of small files do not cost as many hand-overs between the
// threads, nor as many bar updates.
class BatchThread {
public:
    BatchThread(BatchRequest request, FileServices& fso, std::function<void()> wake);
    // Asks the batch to stop and waits for its end; events not delivered
    // by then are dropped.
    ~BatchThread();
    BatchThread(const BatchThread&) = delete;
    BatchThread& operator=(const BatchThread&) = delete;

    // The batch stops at its next piece of work and leaves no partial copy.
    void RequestStop() { thread_.request_stop(); }

    // Hands the waiting events to events, in order, on the calling thread.
    // A call made while an event is being handled (from a nested event loop,
    // such as the error box's) delivers nothing: the outer call goes on
    // once that event is handled. True once the end has been delivered.
    bool Deliver(BatchEvents& events);

    // Waits until the batch has ended (its events may still wait).
    void Wait();

private:
    struct Maximum { int value; };
    struct Value { int value; };
    struct Failure { std::u16string report; };
    using Event = std::variant<Maximum, Value, Failure, BatchOutcome>;

    // The batch's side: queues every event.
    class Queue : public BatchEvents {
    public:
        explicit Queue(BatchThread& owner) : owner_(owner) {}
        void ProgressMaximum(int maximum) override { owner_.Push(Maximum{maximum}); }
        void Progress(int value) override { owner_.Push(Value{value}); }
        void Failed(const std::u16string& report) override { owner_.Push(Failure{report}); }
        void Finished(const BatchOutcome& outcome) override { owner_.Push(outcome); }

    private:
        BatchThread& owner_;
    };

    void Push(Event event);

    std::function<void()> wake_;
    std::mutex mutex_;
    std::deque<Event> events_;  // guarded by mutex_
    bool delivering_ = false;   // the owner's thread only
    bool ended_ = false;        // the owner's thread only
    Queue queue_{*this};
    BatchRequest request_;
    std::jthread thread_;  // last: it starts when everything above is ready and is joined first
};

}  // namespace mirado
