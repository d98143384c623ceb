#pragma once

#include <dirent.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/types.h>

#include <ctime>

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
    virtual int DupFd(int fd);                 // fcntl F_DUPFD_CLOEXEC
    virtual int Flock(int fd, int operation);  // flock
    virtual int Stat(const char* path, struct stat* info);
    virtual int LStat(const char* path, struct stat* info);
    virtual int FStat(int fd, struct stat* info);
    virtual int FStatAt(int dirFd, const char* path, struct stat* info, int flags);
    virtual int FStatFs(int fd, struct statfs* info);
    virtual int FSync(int fd);
    virtual int FDataSync(int fd);
    // fdopendir, readdir and closedir: a folder's entries one by one.
    virtual DIR* FdOpenDir(int fd);
    virtual struct dirent* ReadDir(DIR* dir);
    virtual int CloseDir(DIR* dir);
    virtual int MkDir(const char* path, mode_t mode);
    virtual int RmDir(const char* path);
    virtual int Clone(int sourceFd, int targetFd);  // FICLONE ioctl
    // copy_file_range at explicit offsets, which it advances.
    virtual ssize_t CopyFileRange(int sourceFd, off_t* sourceOffset, int targetFd, off_t* targetOffset, size_t length);
    virtual ssize_t PRead(int fd, void* buffer, size_t length, off_t offset);
    virtual ssize_t PWrite(int fd, const void* buffer, size_t length, off_t offset);
    virtual off_t LSeek(int fd, off_t offset, int whence);
    virtual int FTruncate(int fd, off_t length);
    virtual int FChmod(int fd, mode_t mode);
    virtual int FUtimens(int fd, const struct timespec times[2]);
    virtual ssize_t FListXattr(int fd, char* names, size_t size);
    virtual ssize_t FGetXattr(int fd, const char* name, void* value, size_t size);
    virtual int FSetXattr(int fd, const char* name, const void* value, size_t size);
    virtual int LinkAt(int oldDirFd, const char* oldPath, int newDirFd, const char* newPath, int flags);
    // renameat2 with RENAME_NOREPLACE: fails with EEXIST rather than replace.
    virtual int RenameNoReplace(int dirFd, const char* oldName, const char* newName);
    // renameat within one folder; replaces what has the new name.
    virtual int Rename(int dirFd, const char* oldName, const char* newName);
    virtual int UnlinkAt(int dirFd, const char* path, int flags);
    virtual bool LocalTime(time_t seconds, struct tm* local);  // localtime_r

    // The process-wide instance that makes the real calls.
    static SystemCalls& Real();
};

}  // namespace mirado
