#pragma once

#include <sys/stat.h>
#include <sys/types.h>

namespace mirado {

// The thin layer over the POSIX calls that the file services make. Each
// member behaves like the call it is named after: it returns -1 and sets
// errno on failure. Tests derive from it to inject failures and races.
class SystemCalls {
public:
    virtual ~SystemCalls() = default;

    virtual int Open(const char* path, int flags, mode_t mode);
    virtual int OpenAt(int dirFd, const char* path, int flags, mode_t mode);
    virtual int Close(int fd);
    virtual int Stat(const char* path, struct stat* info);
    virtual int LStat(const char* path, struct stat* info);
    virtual int FStat(int fd, struct stat* info);
    virtual int MkDir(const char* path, mode_t mode);
    virtual int Clone(int sourceFd, int targetFd);  // FICLONE ioctl
    virtual ssize_t CopyFileRange(int sourceFd, int targetFd, size_t length);
    virtual ssize_t Read(int fd, void* buffer, size_t length);
    virtual ssize_t Write(int fd, const void* buffer, size_t length);
    virtual int FChmod(int fd, mode_t mode);
    virtual int FUtimens(int fd, const struct timespec times[2]);
    virtual int LinkAt(int oldDirFd, const char* oldPath, int newDirFd, const char* newPath, int flags);
    virtual int UnlinkAt(int dirFd, const char* path, int flags);
    virtual int SetBlocking(int fd);  // clears O_NONBLOCK

    // The process-wide instance that makes the real calls.
    static SystemCalls& Real();
};

}  // namespace mirado
