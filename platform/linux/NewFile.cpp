#include "NewFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "NameClaim.h"
#include "PathText.h"
#include "SystemCalls.h"
#include "Utf.h"

namespace mirado {
namespace {

// errno values of linkat that mean "an unnamed file cannot be linked in
// this way here", as opposed to a real failure such as a full disk.
bool LinkNotOffered(int error) {
    return error == ENOENT || error == EPERM || error == EACCES || error == EOPNOTSUPP || error == EINVAL ||
           error == EXDEV;
}

}  // namespace

NewFile::~NewFile() {
    if (fd_ >= 0) calls_.Close(fd_);
    if (committed_) temporary_.LetGo();  // else the temporary name goes with temporary_
}

int NewFile::Create(bool allowUnnamed, mode_t mode) {
    if (allowUnnamed && fs_.unnamedFiles) {
        requestedMode_ = mode & 0777;
        fd_ = calls_.OpenAt(folderFd_, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, requestedMode_);
        if (fd_ >= 0) return 0;
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) return errno;
        fs_.unnamedFiles = false;
    }
    requestedMode_ = 0600;
    fd_ = temporary_.Create(folderFd_, false, requestedMode_);
    return fd_ >= 0 ? 0 : errno;
}

int NewFile::CreateNamed(const std::string& name, mode_t mode) {
    requestedMode_ = mode & 0755;
    fd_ = calls_.OpenAt(folderFd_, name.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_NOFOLLOW | O_CLOEXEC, requestedMode_);
    if (fd_ < 0) return errno;
    named_ = true;
    return 0;
}

int NewFile::CloseFd() {
    const int fd = fd_;
    fd_ = -1;
    return calls_.Close(fd) == 0 ? 0 : errno;
}

int NewFile::Finish(off_t size) {
    if (fs_.defersErrors) {
        if (calls_.FSync(fd_) != 0) return errno;
        struct stat info {};
        if (calls_.FStat(fd_, &info) != 0) return errno;
        if (info.st_size != size) return EIO;
    }
    return temporary_.Name().empty() ? 0 : CloseFd();
}

int NewFile::Commit(const std::string& name) {
    if (committed_) return 0;
    const int result = named_ ? 0 : temporary_.Name().empty() ? CommitUnnamed(name) : CommitTemporary(name);
    if (result != 0) return result;
    committed_ = true;
    temporary_.LetGo();  // the temporary name is gone: the copy has its own
    if (fd_ < 0) return 0;
    // Named while open: a close that fails (a network share that reports
    // a full disk only now) takes the name away again, if it is still ours.
    struct stat mine {};
    const bool known = calls_.FStat(fd_, &mine) == 0;
    closeError_ = CloseFd();
    if (closeError_ == 0) return 0;
    struct stat now {};
    if (known && calls_.FStatAt(folderFd_, name.c_str(), &now, AT_SYMLINK_NOFOLLOW) == 0 && now.st_dev == mine.st_dev &&
        now.st_ino == mine.st_ino)
        calls_.UnlinkAt(folderFd_, name.c_str(), 0);
    return kCloseFailed;
}

int NewFile::CommitUnnamed(const std::string& name) {
    // linkat never replaces a file. Without the privilege for AT_EMPTY_PATH
    // (before Linux 6.10), the link goes through /proc.
    if (calls_.LinkAt(fd_, "", folderFd_, name.c_str(), AT_EMPTY_PATH) == 0) return 0;
    if (errno == EEXIST || !LinkNotOffered(errno)) return errno;
    const std::string self = "/proc/self/fd/" + std::to_string(fd_);
    if (calls_.LinkAt(AT_FDCWD, self.c_str(), folderFd_, name.c_str(), AT_SYMLINK_FOLLOW) == 0) return 0;
    if (errno == EEXIST || !LinkNotOffered(errno)) return errno;
    return kCannotLinkUnnamed;
}

int NewFile::CommitTemporary(const std::string& name) {
    // What the file system offers is asked once, so that EINVAL here says
    // only that it refuses the name.
    if (!fs_.namingProbed) {
        if (const int error = ProbeNaming(calls_, folderFd_, fs_)) return error;
    }
    const char* temporary = temporary_.Name().c_str();
    if (fs_.renameNoReplace) return calls_.RenameNoReplace(folderFd_, temporary, name.c_str()) == 0 ? 0 : errno;
    if (fs_.links) {
        // A second link takes the name (NFS), and the temporary one goes.
        if (calls_.LinkAt(folderFd_, temporary, folderFd_, name.c_str(), 0) != 0) return errno;
        temporary_.Remove();
        return 0;
    }
    return ClaimAndRename(calls_, folderFd_, fs_, temporary_.Name(), name);
}

}  // namespace mirado
