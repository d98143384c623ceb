#include "NameClaim.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "NewFile.h"
#include "SystemCalls.h"
#include "TemporaryName.h"
#include "Utf.h"

namespace mirado {
namespace {

constexpr int kCreateFlags = O_CREAT | O_EXCL | O_WRONLY | O_NOFOLLOW | O_CLOEXEC;

// An empty regular file of this user: what a claim is until data replaces it.
bool IsEmptyClaim(const struct stat& info) {
    return S_ISREG(info.st_mode) && info.st_size == 0 && info.st_uid == ::geteuid();
}

bool SameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// Writes the record of a claim on name; returns its name, or empty with errno set.
std::string WriteRecord(SystemCalls& calls, int folderFd, const std::string& name) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string record = ToUtf8(TemporaryClaimName(ThisProcess()));
        const int fd = calls.OpenAt(folderFd, record.c_str(), kCreateFlags, 0600);
        if (fd < 0 && errno == EEXIST) continue;
        if (fd < 0) return {};
        const ssize_t wrote = calls.PWrite(fd, name.data(), name.size(), 0);
        int error = wrote == static_cast<ssize_t>(name.size()) ? 0 : (wrote < 0 ? errno : EIO);
        if (calls.Close(fd) != 0 && error == 0) error = errno;
        if (error == 0) return record;
        calls.UnlinkAt(folderFd, record.c_str(), 0);
        errno = error;
        return {};
    }
    errno = EEXIST;
    return {};
}

// Removes the claim at name when it is still the file claimed.
void Unclaim(SystemCalls& calls, int folderFd, const std::string& name, const struct stat& claimed) {
    struct stat now {};
    if (calls.FStatAt(folderFd, name.c_str(), &now, AT_SYMLINK_NOFOLLOW) == 0 && SameFile(now, claimed) &&
        IsEmptyClaim(now))
        calls.UnlinkAt(folderFd, name.c_str(), 0);
}

}  // namespace

int ClaimAndRename(SystemCalls& calls, int folderFd, const std::string& temporaryName, const std::string& name) {
    const std::string record = WriteRecord(calls, folderFd, name);
    if (record.empty()) return errno;
    int result = 0;
    // Mode 0: no program but root's can open the claim to write into it.
    const int fd = calls.OpenAt(folderFd, name.c_str(), kCreateFlags, 0);
    struct stat claimed {};
    if (fd < 0) {
        result = errno;
    } else {
        const bool known = calls.FStat(fd, &claimed) == 0;
        result = known ? 0 : errno;
        if (calls.Close(fd) != 0 && result == 0) result = errno;
        struct stat now {};
        if (result == 0 && (calls.FStatAt(folderFd, name.c_str(), &now, AT_SYMLINK_NOFOLLOW) != 0 ||
                            !SameFile(now, claimed) || !IsEmptyClaim(now)))
            result = NewFile::kClaimLost;  // not the file we made a moment ago
        else if (result == 0 && calls.Rename(folderFd, temporaryName.c_str(), name.c_str()) != 0)
            result = errno;
        if (result != 0 && known) Unclaim(calls, folderFd, name, claimed);
    }
    calls.UnlinkAt(folderFd, record.c_str(), 0);
    return result;
}

std::optional<std::string> RemoveLeftOverClaim(SystemCalls& calls, int dirFd, const char* recordName) {
    std::optional<std::string> removed;
    const int fd = calls.OpenAt(dirFd, recordName, O_RDONLY | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, 0);
    if (fd >= 0) {
        char buffer[NAME_MAX + 1];
        const ssize_t got = calls.PRead(fd, buffer, sizeof buffer, 0);
        calls.Close(fd);
        const std::string name = got > 0 ? std::string(buffer, static_cast<std::size_t>(got)) : std::string();
        // One name in this folder, never a path elsewhere.
        struct stat info {};
        if (!name.empty() && got <= NAME_MAX && name.find('/') == std::string::npos && name.find('\0') == std::string::npos &&
            name != "." && name != ".." && calls.FStatAt(dirFd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
            IsEmptyClaim(info) && calls.UnlinkAt(dirFd, name.c_str(), 0) == 0)
            removed = name;
    }
    calls.UnlinkAt(dirFd, recordName, 0);
    return removed;
}

}  // namespace mirado
