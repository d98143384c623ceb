#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <string>

#include "BatchThread.h"
#include "FaultySystemCalls.h"
#include "Gate.h"
#include "RecordingEvents.h"
#include "TempDir.h"

namespace mirado {
namespace {

using test::FaultySystemCalls;
using test::Gate;
using test::ListFolder;
using test::TempDir;
using test::WriteFile;
using Call = FaultySystemCalls::Call;
using Lines = std::vector<std::string>;

// The window's side of a batch thread: it is woken from the batch's
// thread and takes the events on its own.
class Owner {
public:
    std::function<void()> Wake() {
        return [this] {
            const std::lock_guard lock(mutex_);
            woken_ = true;
            changed_.notify_all();
        };
    }
    // Takes events as they come until the end was delivered.
    void DeliverUntilEnd(BatchThread& thread) {
        for (;;) {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return woken_; });
            woken_ = false;
            lock.unlock();
            if (thread.Deliver(events)) return;
        }
    }
    test::RecordingEvents events;

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool woken_ = false;
};

// A stop asked for while several copies are under way (one in the middle
// of a piece, one before its first) ends the batch once that piece returns:
// the copies under way go, the copy already named stays, and nothing is
// reported. Both ways of making a new file: unnamed, and under a temporary
// name of its own.
TEST(BatchThread, AStopEndsTheCopiesUnderWayAndLeavesNothingOfThem) {
    for (const bool unnamed : {true, false}) {
        TempDir dir;
        WriteFile(dir.Path() / "a.txt", "a");
        WriteFile(dir.Path() / "big.bin", std::string(3 << 20, 'b'));
        WriteFile(dir.Path() / "c.txt", "c");
        WriteFile(dir.Path() / "d.txt", "d");
        FaultySystemCalls calls;
        calls.Fail(Call::Clone, EOPNOTSUPP);  // the data goes in pieces
        if (!unnamed) calls.Fail(Call::OpenUnnamed, EOPNOTSUPP);
        Gate naming, piece, fourth;
        calls.before = [&](Call call) {
            if (call == Call::LinkAt || call == Call::RenameNoReplace) naming.Open();  // a.txt is being named
            if (call == Call::CopyFileRange && calls.Count(Call::CopyFileRange) == 2) {
                naming.WaitInside();
                piece.WaitInside();
            }
        };
        const std::string d = (dir.Path() / "d.txt").string();
        calls.beforeOpen = [&](const char* path) {
            if (path == d) fourth.WaitInside();
        };
        FileServices fso(calls);
        Owner owner;
        BatchThread thread({{dir.U16("a.txt"), dir.U16("big.bin"), dir.U16("c.txt"), dir.U16("d.txt")}, 0, {}, 8}, fso,
                           owner.Wake());
        piece.WaitUntilInside();
        fourth.WaitUntilInside();
        thread.RequestStop();
        piece.Open();
        fourth.Open();
        owner.DeliverUntilEnd(thread);

        // Which values the owner saw before the stop depends on when it
        // looked; the bar's last value and the end do not.
        Lines seen = owner.events.lines;
        std::erase_if(seen, [](const std::string& line) { return line == "value 1" || line == "value 2"; });
        EXPECT_EQ(seen, (Lines{"max 4", "value 0", "end copied=1 folders=1 stopped"})) << unnamed;
        EXPECT_EQ(ListFolder(dir.Path() / "_rename"), Lines{"A.txt"}) << unnamed;
        EXPECT_EQ(calls.Count(Call::CopyFileRange), 2) << "no piece after the stop";
    }
}

// Values that the owner has not taken yet give way to the latest, which is
// all the bar shows: a batch of thousands of files costs the window one
// value a frame, not one a file. The maximum and the end are kept; the last
// value of a batch is the bar back at 0.
TEST(BatchThread, ValuesNotYetTakenGiveWayToTheLatest) {
    TempDir dir;
    std::vector<std::u16string> files;
    for (const char* name : {"a.txt", "b.txt", "c.txt", "d.txt"}) {
        WriteFile(dir.Path() / name, name);
        files.push_back(dir.U16(name));
    }
    FileServices fso;
    test::RecordingEvents events;
    BatchThread thread({files, 0, {}}, fso, [] {});
    thread.Wait();
    EXPECT_TRUE(thread.Deliver(events));
    EXPECT_EQ(events.lines, (Lines{"max 4", "value 0", "end copied=4 folders=1"}));
}

}  // namespace
}  // namespace mirado
