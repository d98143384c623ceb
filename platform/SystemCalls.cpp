#include "SystemCalls.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#ifdef __linux__
#include <linux/fs.h>
#endif

#include <cerrno>

namespace mirado {

int SystemCalls::Open(const char* path, int flags, mode_t mode) { return ::open(path, flags, mode); }

int SystemCalls::OpenAt(int dirFd, const char* path, int flags, mode_t mode) {
    return ::openat(dirFd, path, flags, mode);
}

int SystemCalls::Close(int fd) { return ::close(fd); }

int SystemCalls::Stat(const char* path, struct stat* info) { return ::stat(path, info); }

int SystemCalls::LStat(const char* path, struct stat* info) { return ::lstat(path, info); }

int SystemCalls::FStat(int fd, struct stat* info) { return ::fstat(fd, info); }

int SystemCalls::MkDir(const char* path, mode_t mode) { return ::mkdir(path, mode); }

int SystemCalls::Clone(int sourceFd, int targetFd) {
#ifdef FICLONE
    return ::ioctl(targetFd, FICLONE, sourceFd);
#else
    (void)sourceFd;
    (void)targetFd;
    errno = EOPNOTSUPP;
    return -1;
#endif
}

ssize_t SystemCalls::CopyFileRange(int sourceFd, int targetFd, size_t length) {
#ifdef __linux__
    return ::copy_file_range(sourceFd, nullptr, targetFd, nullptr, length, 0);
#else
    (void)sourceFd;
    (void)targetFd;
    (void)length;
    errno = ENOSYS;
    return -1;
#endif
}

ssize_t SystemCalls::Read(int fd, void* buffer, size_t length) { return ::read(fd, buffer, length); }

ssize_t SystemCalls::Write(int fd, const void* buffer, size_t length) { return ::write(fd, buffer, length); }

int SystemCalls::FChmod(int fd, mode_t mode) { return ::fchmod(fd, mode); }

int SystemCalls::FUtimens(int fd, const struct timespec times[2]) { return ::futimens(fd, times); }

int SystemCalls::LinkAt(int oldDirFd, const char* oldPath, int newDirFd, const char* newPath, int flags) {
    return ::linkat(oldDirFd, oldPath, newDirFd, newPath, flags);
}

int SystemCalls::UnlinkAt(int dirFd, const char* path, int flags) { return ::unlinkat(dirFd, path, flags); }

int SystemCalls::SetBlocking(int fd) {
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags == -1) return -1;
    return ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
}

SystemCalls& SystemCalls::Real() {
    static SystemCalls calls;
    return calls;
}

}  // namespace mirado
