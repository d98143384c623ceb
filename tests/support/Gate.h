#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace mirado::test {

// Holds one thread inside a call until another opens the gate, so that a
// test can act while a piece of work is under way, by order and not by time.
class Gate {
public:
    // On the held thread: says it is inside and waits until opened.
    void WaitInside() {
        std::unique_lock lock(mutex_);
        inside_ = true;
        changed_.notify_all();
        changed_.wait(lock, [this] { return open_; });
    }
    // As WaitInside, but goes on by itself after timeout, for a test whose
    // fault would keep the gate from being opened; whether it was opened.
    bool WaitInsideFor(std::chrono::milliseconds timeout) {
        std::unique_lock lock(mutex_);
        inside_ = true;
        changed_.notify_all();
        return changed_.wait_for(lock, timeout, [this] { return open_; });
    }
    bool Inside() {
        const std::lock_guard lock(mutex_);
        return inside_;
    }
    void WaitUntilInside() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return inside_; });
    }
    void Open() {
        const std::lock_guard lock(mutex_);
        open_ = true;
        changed_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool inside_ = false;
    bool open_ = false;
};

}  // namespace mirado::test
