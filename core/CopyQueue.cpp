#include "CopyQueue.h"

#include <algorithm>
#include <system_error>

#include "Error.h"
#include "ErrorNumbers.h"

namespace mirado {
namespace {

// Failures that other copies under way may have caused, by holding the
// descriptors or the room that this one needed.
bool CausedByCrowding(const Error& error, bool& descriptors) {
    descriptors = error.Number() == kErrorTooManyOpenFiles || error.Number() == kErrorTooManyOpenFilesInSystem;
    return descriptors || error.Number() == kErrorDiskFull || error.Number() == kErrorQuotaExceeded;
}

}  // namespace

CopyQueue::CopyQueue(const BatchRequest& request, FileServices& fso, std::stop_token stop)
    : request_(request),
      fso_(fso),
      count_(static_cast<int>(request.files.size())),
      slots_(1),
      stop_(stop),
      onStop_(stop, [this] {
          const std::lock_guard lock(mutex_);
          stopping_ = true;
          for (int i = named_; i < started_; ++i) At(i).stop.request_stop();
          startable_.notify_all();
          done_.notify_all();
      }) {}

void CopyQueue::Begin() {
    if (count_ < 2) return;
    // Where copies wait on a network, more at once hide the wait; where
    // they keep the processors busy, more threads than those only take
    // turns, but finished copies may still wait for their names.
    const Slot& first = At(0);
    int wanted = 1;
    int copiers = 1;
    if (request_.copiesAtOnce > 0) {
        wanted = copiers = request_.copiesAtOnce;
    } else if (!first.planError) {
        const FileServices::Overlap overlap = fso_.CopiesAtOnce(first.target.folder);
        wanted = overlap.atOnce;
        copiers = overlap.copiesWait ? wanted : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    }
    const int bound = std::min(wanted, count_);
    if (bound < 2 || copiers < 2) return;
    window_ = 2 * bound;
    slots_.resize(static_cast<std::size_t>(window_));  // the first keeps its place: 0 modulo anything
    bound_ = bound;
    copiers_ = std::min(copiers, bound) - 1;  // the batch's thread is one
}

void CopyQueue::StartWorkers() {
    for (int i = 0; i < copiers_; ++i) {
        try {
            workers_.emplace_back([this] { Work(); });
        } catch (const std::system_error&) {
            break;  // as many as the system gives; without any, the batch's thread copies alone
        }
    }
    copiers_ = 0;
}

CopyQueue::~CopyQueue() { Abandon(); }

void CopyQueue::PlanAhead() {
    // Where the next files go is settled on this thread, in drop order: a
    // folder made for them is made in that order, and a file that cannot
    // go anywhere is reported when its turn comes, as it would be alone.
    const int end = std::min(count_, named_ + window_);
    if (planned_ == end) return;
    for (int i = planned_; i < end; ++i) {
        Slot& slot = At(i);  // no worker looks at it before planned_ passes it
        slot = Slot{};
        try {
            slot.target = GetDestPath(fso_, Source(i), request_.type, request_.texts);
        } catch (...) {
            slot.planError = std::current_exception();
        }
    }
    const std::lock_guard lock(mutex_);
    planned_ = end;
    startable_.notify_all();
}

bool CopyQueue::CanStart() {
    return !paused_ && !stopping_ && started_ < planned_ && started_ - named_ < bound_ && !At(started_).planError;
}

int CopyQueue::Claim() {
    const int index = started_++;
    At(index).stop = std::stop_source();
    return index;
}

void CopyQueue::Copy(int index, std::unique_lock<std::mutex>& lock) {
    Slot& slot = At(index);
    const std::stop_token stop = slot.stop.get_token();
    lock.unlock();
    std::unique_ptr<PendingCopy> copy;
    std::exception_ptr error;
    try {
        copy = fso_.CopyData(Source(index), slot.target.folder, slot.target.name, stop);
    } catch (...) {
        error = std::current_exception();
    }
    lock.lock();
    slot.copy = std::move(copy);
    slot.copyError = error;
    slot.done = true;
    // Only the batch's thread waits there, and only for the copy it names
    // next (or every later one): waking it for others would cost a switch.
    if (index == awaited_ || awaited_ == kEveryLater) done_.notify_one();
}

void CopyQueue::Work() {
    std::unique_lock lock(mutex_);
    for (;;) {
        startable_.wait(lock, [this] { return stopping_ || CanStart(); });
        if (stopping_) return;
        Copy(Claim(), lock);
    }
}

CopyQueue::Ready CopyQueue::Next() {
    PlanAhead();
    if (!begun_) {
        begun_ = true;
        Begin();
        PlanAhead();
    }
    Slot& slot = At(named_);
    if (slot.planError) std::rethrow_exception(slot.planError);
    if (window_ == 1) {
        // One at a time, here.
        slot.copy = fso_.CopyData(Source(named_), slot.target.folder, slot.target.name, stop_);
        return {slot.target, *slot.copy};
    }
    {
        std::unique_lock lock(mutex_);
        for (;;) {
            if (slot.done) break;
            if (stopping_ && started_ == named_) throw StopRequested();  // stopped before it began
            if (CanStart()) {
                // Rather than wait, the next copy; the first file is this
                // thread's, taken before any worker starts.
                const int index = Claim();
                if (copiers_ > 0) StartWorkers();
                Copy(index, lock);
                continue;
            }
            awaited_ = named_;
            done_.wait(lock, [&] { return slot.done || (stopping_ && started_ == named_); });
            awaited_ = -1;
        }
    }
    if (slot.copyError) {
        try {
            std::rethrow_exception(slot.copyError);
        } catch (const StopRequested&) {
            throw;
        } catch (const Error& error) {
            // Whether others were under way then or not, alone it fails only
            // for its own reasons.
            bool descriptors = false;
            if (!CausedByCrowding(error, descriptors)) throw;
            RetryAlone(slot, descriptors);
        }
    }
    return {slot.target, *slot.copy};
}

void CopyQueue::RetryAlone(Slot& slot, bool lowerBound) {
    std::vector<std::unique_ptr<PendingCopy>> discarded;
    {
        std::unique_lock lock(mutex_);
        paused_ = true;
        for (int i = named_ + 1; i < started_; ++i) At(i).stop.request_stop();
        awaited_ = kEveryLater;
        done_.wait(lock, [this] {
            for (int i = named_ + 1; i < started_; ++i)
                if (!At(i).done) return false;
            return true;
        });
        awaited_ = -1;
        // They start again, from the one after this, once it is copied.
        for (int i = named_ + 1; i < started_; ++i) {
            Slot& later = At(i);
            discarded.push_back(std::move(later.copy));
            later.copyError = nullptr;
            later.done = false;
        }
        started_ = named_ + 1;
        slot.copyError = nullptr;
        slot.stop = std::stop_source();
        if (stopping_) slot.stop.request_stop();
    }
    discarded.clear();  // the unnamed copies vanish, and their descriptors and room with them
    slot.copy = fso_.CopyData(Source(named_), slot.target.folder, slot.target.name, slot.stop.get_token());
    const std::lock_guard lock(mutex_);
    // Fewer at once from now on, rather than meeting the limit on every file.
    if (lowerBound) bound_ = std::max(1, bound_ / 2);
    paused_ = false;
    startable_.notify_all();
}

void CopyQueue::Named() {
    Slot& slot = At(named_);
    slot.copy.reset();  // its descriptors go now
    const std::lock_guard lock(mutex_);
    slot.done = false;
    ++named_;
    startable_.notify_one();
}

void CopyQueue::Abandon() noexcept {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
        for (int i = named_; i < started_; ++i) At(i).stop.request_stop();
        startable_.notify_all();
    }
    workers_.clear();  // joined: every copy has returned
    for (int i = named_; i < planned_; ++i) {
        Slot& slot = At(i);
        slot.copy.reset();  // an unnamed copy leaves nothing
        // A folder made for a file that was not copied goes again while empty.
        try {
            if (slot.target.createdFolder) fso_.RemoveFolderIfEmpty(slot.target.folder);
        } catch (...) {
            // It stays, as a folder that is not empty would.
        }
        slot.target.createdFolder = false;
    }
    planned_ = named_;
}

}  // namespace mirado
