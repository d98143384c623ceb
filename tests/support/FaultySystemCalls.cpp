#include "FaultySystemCalls.h"

#include <fcntl.h>

#include <cerrno>

namespace mirado::test {

int FaultySystemCalls::Count(Call call) const {
    const auto it = counts_.find(call);
    return it == counts_.end() ? 0 : it->second;
}

bool FaultySystemCalls::Inject(Call call) {
    const int used = counts_[call]++;
    if (before) before(call);
    const auto it = faults_.find(call);
    if (it == faults_.end() || used < it->second.skip || used - it->second.skip >= it->second.times) return false;
    errno = it->second.error;
    return true;
}

int FaultySystemCalls::Open(const char* path, int flags, mode_t mode) {
    return Inject(Call::Open) ? -1 : SystemCalls::Open(path, flags, mode);
}

int FaultySystemCalls::OpenAt(int dirFd, const char* path, int flags, mode_t mode) {
    const Call call = (flags & O_TMPFILE) == O_TMPFILE ? Call::OpenUnnamed : Call::OpenAt;
    return Inject(call) ? -1 : SystemCalls::OpenAt(dirFd, path, flags, mode);
}

int FaultySystemCalls::Close(int fd) {
    // The descriptor is closed whatever is reported, as close(2) does.
    const bool fail = Inject(Call::Close);
    const int saved = errno;
    const int result = SystemCalls::Close(fd);
    if (!fail) return result;
    errno = saved;
    return -1;
}

int FaultySystemCalls::Stat(const char* path, struct stat* info) {
    return Inject(Call::Stat) ? -1 : SystemCalls::Stat(path, info);
}

int FaultySystemCalls::LStat(const char* path, struct stat* info) {
    return Inject(Call::LStat) ? -1 : SystemCalls::LStat(path, info);
}

int FaultySystemCalls::FStat(int fd, struct stat* info) {
    return Inject(Call::FStat) ? -1 : SystemCalls::FStat(fd, info);
}

int FaultySystemCalls::MkDir(const char* path, mode_t mode) {
    return Inject(Call::MkDir) ? -1 : SystemCalls::MkDir(path, mode);
}

int FaultySystemCalls::Clone(int sourceFd, int targetFd) {
    return Inject(Call::Clone) ? -1 : SystemCalls::Clone(sourceFd, targetFd);
}

ssize_t FaultySystemCalls::CopyFileRange(int sourceFd, int targetFd, size_t length) {
    return Inject(Call::CopyFileRange) ? -1 : SystemCalls::CopyFileRange(sourceFd, targetFd, length);
}

ssize_t FaultySystemCalls::Read(int fd, void* buffer, size_t length) {
    return Inject(Call::Read) ? -1 : SystemCalls::Read(fd, buffer, length);
}

ssize_t FaultySystemCalls::Write(int fd, const void* buffer, size_t length) {
    return Inject(Call::Write) ? -1 : SystemCalls::Write(fd, buffer, length);
}

int FaultySystemCalls::FChmod(int fd, mode_t mode) {
    return Inject(Call::FChmod) ? -1 : SystemCalls::FChmod(fd, mode);
}

int FaultySystemCalls::FUtimens(int fd, const struct timespec times[2]) {
    return Inject(Call::FUtimens) ? -1 : SystemCalls::FUtimens(fd, times);
}

int FaultySystemCalls::LinkAt(int oldDirFd, const char* oldPath, int newDirFd, const char* newPath, int flags) {
    return Inject(Call::LinkAt) ? -1 : SystemCalls::LinkAt(oldDirFd, oldPath, newDirFd, newPath, flags);
}

int FaultySystemCalls::UnlinkAt(int dirFd, const char* path, int flags) {
    return Inject(Call::UnlinkAt) ? -1 : SystemCalls::UnlinkAt(dirFd, path, flags);
}

int FaultySystemCalls::SetBlocking(int fd) {
    return Inject(Call::SetBlocking) ? -1 : SystemCalls::SetBlocking(fd);
}

}  // namespace mirado::test
