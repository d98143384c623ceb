#include "OwnFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>

#include "FdGuard.h"
#include "FileIdentity.h"
#include "NameClaim.h"
#include "SystemCalls.h"
#include "TemporaryName.h"
#include "ThisMachine.h"
#include "Utf.h"

namespace mirado {
namespace {

// True while name in folderFd is the file that fd holds.
bool StillAt(SystemCalls& calls, int folderFd, const std::string& name, int fd) {
    struct stat held {}, now {};
    return calls.FStat(fd, &held) == 0 && calls.FStatAt(folderFd, name.c_str(), &now, AT_SYMLINK_NOFOLLOW) == 0 &&
           SameFile(held, now);
}

}  // namespace

int OwnFile::Create(int folderFd, bool claimRecord, mode_t mode) {
    Remove();
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = ToUtf8(claimRecord ? TemporaryClaimName(ThisProcess()) : TemporaryCopyName(ThisProcess()));
        const int fd = calls_.OpenAt(folderFd, name.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd < 0 && errno == EEXIST) continue;
        if (fd < 0) return -1;
        // The lock is held by a descriptor of its own, so that the file can
        // be closed after writing (and its close checked) while it stays locked.
        const int lock = calls_.DupFd(fd);
        if (lock < 0) {
            const int error = errno;
            calls_.Close(fd);
            calls_.UnlinkAt(folderFd, name.c_str(), 0);
            errno = error;
            return -1;
        }
        // A cleaner that took the lock first is removing the file; one that
        // removed it already leaves the name to someone else. Either way the
        // file is not ours to use, and another name is. Where the disk has
        // no locks, no cleaner can take one either.
        const bool taken = calls_.Flock(lock, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
        if (!taken && StillAt(calls_, folderFd, name, lock)) {
            folderFd_ = folderFd;
            lockFd_ = lock;
            name_ = std::move(name);
            return fd;
        }
        calls_.Close(fd);
        calls_.Close(lock);
    }
    errno = EEXIST;
    return -1;
}

void OwnFile::Remove() {
    if (lockFd_ >= 0 && StillAt(calls_, folderFd_, name_, lockFd_)) calls_.UnlinkAt(folderFd_, name_.c_str(), 0);
    LetGo();
}

void OwnFile::LetGo() {
    if (lockFd_ >= 0) calls_.Close(lockFd_);
    lockFd_ = -1;
    name_.clear();
}

bool RemoveIfLeftOver(SystemCalls& calls, int dirFd, const std::string& name, std::vector<std::string>& listing) {
    const std::u16string text = FromUtf8(name);
    const std::optional<TemporaryOwner> owner = OwnerOf(text);
    const TemporaryOwner& self = ThisProcess();
    // Another computer's locks are not seen here, so its files are kept.
    if (!owner || owner->host != self.host) return false;
    const bool earlierBoot = BootsCanBeTold() && owner->start != 0 && owner->start != self.start;
    FdGuard fd(calls, calls.OpenAt(dirFd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0));
    struct stat opened {};
    if (fd.Get() < 0 || calls.FStat(fd.Get(), &opened) != 0 || !S_ISREG(opened.st_mode)) return false;
    // Held while the file is removed, so that no owner can take it meanwhile.
    // Where the disk has no locks, only a file of an earlier boot is known
    // to have lost its owner.
    if (calls.Flock(fd.Get(), LOCK_EX | LOCK_NB) != 0 && (errno == EWOULDBLOCK || !earlierBoot)) return false;
    if (!StillAt(calls, dirFd, name, fd.Get())) return false;
    if (IsClaimRecord(text)) {
        if (const std::optional<std::string> claim = RemoveClaimOf(calls, dirFd, fd.Get(), listing))
            std::erase(listing, *claim);
    }
    return calls.UnlinkAt(dirFd, name.c_str(), 0) == 0;
}

}  // namespace mirado
