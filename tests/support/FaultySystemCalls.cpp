#include "FaultySystemCalls.h"

#include <fcntl.h>

#include <cerrno>

namespace mirado::test {

int FaultySystemCalls::Count(Call call) const {
    const std::lock_guard lock(mutex_);
    const auto it = counts_.find(call);
    return it == counts_.end() ? 0 : it->second;
}

bool FaultySystemCalls::Inject(Call call) {
    int used = 0;
    {
        const std::lock_guard lock(mutex_);
        used = counts_[call]++;
    }
    if (before) before(call);
    const std::lock_guard lock(mutex_);
    const auto it = faults_.find(call);
    if (it == faults_.end() || used < it->second.skip || used - it->second.skip >= it->second.times) return false;
    errno = it->second.error;
    return true;
}

int FaultySystemCalls::Open(const char* path, int flags, mode_t mode) {
    if (beforeOpen) beforeOpen(path);
    return Inject(Call::Open) ? -1 : SystemCalls::Open(path, flags, mode);
}

int FaultySystemCalls::OpenAt(int dirFd, const char* path, int flags, mode_t mode) {
    const Call call = (flags & O_TMPFILE) == O_TMPFILE ? Call::OpenUnnamed : Call::OpenAt;
    return Inject(call) ? -1 : SystemCalls::OpenAt(dirFd, path, flags, mode);
}

int FaultySystemCalls::Clone(int sourceFd, int targetFd) {
    return Inject(Call::Clone) ? -1 : SystemCalls::Clone(sourceFd, targetFd);
}

ssize_t FaultySystemCalls::CopyFileRange(int sourceFd, off_t* sourceOffset, int targetFd, off_t* targetOffset,
                                         size_t length) {
    return Inject(Call::CopyFileRange) ? -1
                                       : SystemCalls::CopyFileRange(sourceFd, sourceOffset, targetFd, targetOffset, length);
}

int FaultySystemCalls::FSetXattr(int fd, const char* name, const void* value, size_t size) {
    return Inject(Call::FSetXattr) ? -1 : SystemCalls::FSetXattr(fd, name, value, size);
}

int FaultySystemCalls::FUtimens(int fd, const struct timespec times[2]) {
    return Inject(Call::FUtimens) ? -1 : SystemCalls::FUtimens(fd, times);
}

int FaultySystemCalls::RenameNoReplace(int dirFd, const char* oldName, const char* newName) {
    return Inject(Call::RenameNoReplace) ? -1 : SystemCalls::RenameNoReplace(dirFd, oldName, newName);
}

int FaultySystemCalls::LinkAt(int oldDirFd, const char* oldPath, int newDirFd, const char* newPath, int flags) {
    return Inject(Call::LinkAt) ? -1 : SystemCalls::LinkAt(oldDirFd, oldPath, newDirFd, newPath, flags);
}

int FaultySystemCalls::Rename(int dirFd, const char* oldName, const char* newName) {
    return Inject(Call::Rename) ? -1 : SystemCalls::Rename(dirFd, oldName, newName);
}

}  // namespace mirado::test
