#include "SystemCalls.h"

#include <fcntl.h>
#include <sys/file.h>
#include <stdio.h>
#include <sys/ioctl.h>
#include <sys/xattr.h>
#include <unistd.h>

#ifdef __linux__
#include <linux/fs.h>
#endif

#include <cerrno>
#include <ctime>

namespace mirado {

int SystemCalls::Open(const char* path, int flags, mode_t mode) { return ::open(path, flags, mode); }

int SystemCalls::OpenAt(int dirFd, const char* path, int flags, mode_t mode) {
    return ::openat(dirFd, path, flags, mode);
}

int SystemCalls::Close(int fd) { return ::close(fd); }

int SystemCalls::Stat(const char* path, struct stat* info) { return ::stat(path, info); }

int SystemCalls::LStat(const char* path, struct stat* info) { return ::lstat(path, info); }

int SystemCalls::FStat(int fd, struct stat* info) { return ::fstat(fd, info); }

int SystemCalls::FStatAt(int dirFd, const char* path, struct stat* info, int flags) {
    return ::fstatat(dirFd, path, info, flags);
}

int SystemCalls::DupFd(int fd) { return ::fcntl(fd, F_DUPFD_CLOEXEC, 0); }

int SystemCalls::Flock(int fd, int operation) { return ::flock(fd, operation); }

int SystemCalls::FStatFs(int fd, struct statfs* info) { return ::fstatfs(fd, info); }

int SystemCalls::FSync(int fd) { return ::fsync(fd); }

int SystemCalls::FDataSync(int fd) { return ::fdatasync(fd); }

DIR* SystemCalls::FdOpenDir(int fd) { return ::fdopendir(fd); }

struct dirent* SystemCalls::ReadDir(DIR* dir) { return ::readdir(dir); }

int SystemCalls::CloseDir(DIR* dir) { return ::closedir(dir); }

int SystemCalls::MkDir(const char* path, mode_t mode) { return ::mkdir(path, mode); }

int SystemCalls::RmDir(const char* path) { return ::rmdir(path); }

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

ssize_t SystemCalls::CopyFileRange(int sourceFd, off_t* sourceOffset, int targetFd, off_t* targetOffset,
                                   size_t length) {
#ifdef __linux__
    return ::copy_file_range(sourceFd, sourceOffset, targetFd, targetOffset, length, 0);
#else
    (void)sourceFd, (void)sourceOffset, (void)targetFd, (void)targetOffset, (void)length;
    errno = ENOSYS;
    return -1;
#endif
}

ssize_t SystemCalls::PRead(int fd, void* buffer, size_t length, off_t offset) {
    return ::pread(fd, buffer, length, offset);
}

ssize_t SystemCalls::PWrite(int fd, const void* buffer, size_t length, off_t offset) {
    return ::pwrite(fd, buffer, length, offset);
}

off_t SystemCalls::LSeek(int fd, off_t offset, int whence) { return ::lseek(fd, offset, whence); }

int SystemCalls::FTruncate(int fd, off_t length) { return ::ftruncate(fd, length); }

int SystemCalls::FChmod(int fd, mode_t mode) { return ::fchmod(fd, mode); }

int SystemCalls::FUtimens(int fd, const struct timespec times[2]) { return ::futimens(fd, times); }

ssize_t SystemCalls::FListXattr(int fd, char* names, size_t size) { return ::flistxattr(fd, names, size); }

ssize_t SystemCalls::FGetXattr(int fd, const char* name, void* value, size_t size) {
    return ::fgetxattr(fd, name, value, size);
}

int SystemCalls::FSetXattr(int fd, const char* name, const void* value, size_t size) {
    return ::fsetxattr(fd, name, value, size, 0);
}

int SystemCalls::LinkAt(int oldDirFd, const char* oldPath, int newDirFd, const char* newPath, int flags) {
    return ::linkat(oldDirFd, oldPath, newDirFd, newPath, flags);
}

int SystemCalls::RenameNoReplace(int dirFd, const char* oldName, const char* newName) {
#ifdef RENAME_NOREPLACE
    return ::renameat2(dirFd, oldName, dirFd, newName, RENAME_NOREPLACE);
#else
    (void)dirFd, (void)oldName, (void)newName;
    errno = ENOSYS;
    return -1;
#endif
}

int SystemCalls::Rename(int dirFd, const char* oldName, const char* newName) {
    return ::renameat(dirFd, oldName, dirFd, newName);
}

int SystemCalls::UnlinkAt(int dirFd, const char* path, int flags) { return ::unlinkat(dirFd, path, flags); }

bool SystemCalls::LocalTime(time_t seconds, struct tm* local) { return ::localtime_r(&seconds, local) != nullptr; }

SystemCalls& SystemCalls::Real() {
    static SystemCalls calls;
    return calls;
}

}  // namespace mirado
