#include "NewFile.h"

#include <fcntl.h>

#include <cerrno>

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
    if (!committed_ && !temporaryName_.empty()) calls_.UnlinkAt(folderFd_, temporaryName_.c_str(), 0);
}

int NewFile::Create(bool allowUnnamed, mode_t mode) {
    if (allowUnnamed) {
        requestedMode_ = mode & 0777;
        fd_ = calls_.OpenAt(folderFd_, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, requestedMode_);
        if (fd_ >= 0) return 0;
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) return errno;
    }
    requestedMode_ = 0600;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = ToUtf8(TemporaryCopyName());
        fd_ = calls_.OpenAt(folderFd_, name.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_NOFOLLOW | O_CLOEXEC,
                            requestedMode_);
        if (fd_ >= 0) {
            temporaryName_ = name;
            return 0;
        }
        if (errno != EEXIST) return errno;
    }
    return EEXIST;
}

int NewFile::CreateNamed(const std::string& name, mode_t mode) {
    requestedMode_ = mode & 0755;
    fd_ = calls_.OpenAt(folderFd_, name.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_NOFOLLOW | O_CLOEXEC, requestedMode_);
    if (fd_ < 0) return errno;
    committed_ = true;
    return 0;
}

int NewFile::Commit(const std::string& name) {
    if (committed_) return 0;
    const int result = temporaryName_.empty() ? CommitUnnamed(name) : CommitTemporary(name);
    committed_ = result == 0;
    return result;
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
    if (calls_.RenameNoReplace(folderFd_, temporaryName_.c_str(), name.c_str()) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) return errno;
    // Without renaming that refuses to replace (NFS), a second link to the
    // file takes the name, and the temporary one goes.
    if (calls_.LinkAt(folderFd_, temporaryName_.c_str(), folderFd_, name.c_str(), 0) != 0) return errno;
    calls_.UnlinkAt(folderFd_, temporaryName_.c_str(), 0);
    temporaryName_.clear();
    return 0;
}

}  // namespace mirado
