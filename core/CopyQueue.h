#pragma once

#include <condition_variable>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#include "Batch.h"
#include "FileServices.h"
#include "TargetPlacement.h"

namespace mirado {

// The copies of a batch ahead of its naming. The batch's thread decides in
// drop order where the next files go (a window of twice as many files as
// copies may be under way, never the whole drop), copies their data with
// several under way at once, and takes the finished copies strictly in drop
// order to name them. A copy under way or finished and waiting for its name
// counts against the bound (it keeps its descriptors: an unnamed file
// vanishes when closed).
//
// The batch's thread copies too: while the copy it is to name next is still
// under way elsewhere, it starts the next one itself rather than wait, so
// that files pass from thread to thread only where they must. Workers add
// copiers: as many as the copies at once where copies wait on a network,
// as many as the processors where they keep those busy.
//
// Only the batch's thread calls the members, and only it plans, names and
// touches TakenNames; the workers only call FileServices::CopyData and hand
// the result back under mutex_.
class CopyQueue {
public:
    // How many copies may be under way or waiting at once, and on how many
    // threads, is settled once the first file's folder is known:
    // request.copiesAtOnce (on as many threads), or what the file services
    // say of that folder; 1 (always for a lone file) copies on the batch's
    // thread alone, one file at a time.
    CopyQueue(const BatchRequest& request, FileServices& fso, std::stop_token stop);
    ~CopyQueue();  // Abandon()
    CopyQueue(const CopyQueue&) = delete;
    CopyQueue& operator=(const CopyQueue&) = delete;

    // The next file in drop order, with its copy done, once it is (copying
    // later files here meanwhile, while there is room for them); throws
    // its failure (where it goes, or its copy), a failure that only
    // overlapping caused (no descriptors, no space left by later copies)
    // only when it recurs with nothing else under way.
    struct Ready {
        const CopyTarget& target;
        PendingCopy& copy;
    };
    Ready Next();
    // The file that Next gave has its name: its copy goes, and the next may start.
    void Named();

    // Ends every copy under way at its next piece, and discards every copy
    // not named, and the output folders made for them while they are empty.
    // Never throws.
    void Abandon() noexcept;

private:
    struct Slot {
        CopyTarget target;
        std::exception_ptr planError;  // where it goes could not be settled
        std::stop_source stop{std::nostopstate};  // this copy's own, once it starts
        std::unique_ptr<PendingCopy> copy;
        std::exception_ptr copyError;
        bool done = false;
    };
    Slot& At(int index) { return slots_[static_cast<std::size_t>(index % window_)]; }
    const std::u16string& Source(int index) const { return request_.files[static_cast<std::size_t>(index)]; }
    void PlanAhead();
    // Settles the bound, once the first file is planned, and starts the
    // workers once the batch's thread took the first file.
    void Begin();
    bool CanStart();  // mutex_ held
    // Starts the workers that Begin settled on (mutex_ held: they wait for it).
    void StartWorkers();
    // Claims the next file to copy (mutex_ held); Copy copies it with lock
    // released and hands the result back under it.
    int Claim();
    void Copy(int index, std::unique_lock<std::mutex>& lock);
    void Work();
    // Discards the copies after the one to be named, so that they give back
    // what they hold, and copies that one again alone.
    void RetryAlone(Slot& slot, bool lowerBound);

    const BatchRequest& request_;
    FileServices& fso_;
    const int count_;
    int window_ = 1;           // settled by Begin, before any worker runs
    bool begun_ = false;
    std::vector<Slot> slots_;  // by file index modulo window_

    std::mutex mutex_;  // guards what follows, and the slots between named_ and planned_
    std::condition_variable startable_;  // workers wait here for a copy to start
    std::condition_variable done_;       // the batch's thread waits here for a copy to end
    int bound_ = 1;
    int copiers_ = 0;  // workers still to start, once the batch's thread took the first file
    int named_ = 0;    // files named (the next to name is this one)
    int started_ = 0;  // files whose copy was started
    int planned_ = 0;  // files whose target is settled
    int awaited_ = -1; // the file whose copy the batch's thread waits for; kEveryLater: all after named_
    static constexpr int kEveryLater = -2;
    bool paused_ = false;     // no copy starts: one is copied alone
    bool stopping_ = false;   // no copy starts: the batch ends
    std::stop_token stop_;    // the batch's
    std::stop_callback<std::function<void()>> onStop_;  // the batch's stop ends every copy under way
    std::vector<std::jthread> workers_;  // last: they start when everything above is ready
};

}  // namespace mirado
