#pragma once

#include <string>
#include <vector>

#include <sys/types.h>

namespace mirado {

class SystemCalls;

// A file of ours under a temporary name in a folder that others see:
// created exclusively and locked (flock) from right after its creation
// until it is named or removed. The kernel ends the lock with the process,
// however it ends, and in every pid namespace alike, so another batch of
// this computer that can take the lock knows that the owner is gone.
class OwnFile {
public:
    explicit OwnFile(SystemCalls& calls) : calls_(calls) {}
    ~OwnFile() { Remove(); }
    OwnFile(const OwnFile&) = delete;
    OwnFile& operator=(const OwnFile&) = delete;

    // Creates the file under a new temporary name (a claim record's name
    // with claimRecord) in folderFd and locks it. Returns the descriptor to
    // write it with, which the caller closes (the lock is held apart), or
    // -1 with errno set.
    int Create(int folderFd, bool claimRecord, mode_t mode);
    const std::string& Name() const { return name_; }
    int LockFd() const { return lockFd_; }

    // Removes the file under its name, while that still is this file, and
    // ends the lock.
    void Remove();
    // The file has left its temporary name (renamed or linked away): the
    // lock ends, and nothing is removed.
    void LetGo();

private:
    SystemCalls& calls_;
    int folderFd_ = -1;
    int lockFd_ = -1;
    std::string name_;
};

// Removes the file name in dirFd when it is a temporary file or claim
// record that a batch of this computer left when it ended: one whose lock
// can be taken at once or, where the disk has no locks, one named in an
// earlier boot. A record's claim goes with it when its spelling is in
// listing and it is still the file that was claimed; it is then taken out
// of listing. Everything else is kept: what cannot be proved ended is
// never removed. True when removed.
bool RemoveIfLeftOver(SystemCalls& calls, int dirFd, const std::string& name, std::vector<std::string>& listing);

}  // namespace mirado
