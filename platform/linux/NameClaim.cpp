#include "NameClaim.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>

#include "FileIdentity.h"
#include "NewFile.h"
#include "OwnFile.h"
#include "SystemCalls.h"
#include "TargetFileSystem.h"

namespace mirado {
namespace {

// An empty regular file: what a claim is until data replaces it. Its owner
// and mode say nothing: exFAT through FUSE shows one owner and 0777 for all.
bool IsEmptyClaim(const struct stat& info) { return S_ISREG(info.st_mode) && info.st_size == 0; }

int WriteAll(SystemCalls& calls, int fd, const std::string& text, off_t at) {
    const ssize_t wrote = calls.PWrite(fd, text.data(), text.size(), at);
    return wrote == static_cast<ssize_t>(text.size()) ? 0 : (wrote < 0 ? errno : EIO);
}

// Removes the claim at name when it is still the file claimed.
void Unclaim(SystemCalls& calls, int folderFd, const std::string& name, const struct stat& claimed) {
    struct stat now {};
    if (calls.FStatAt(folderFd, name.c_str(), &now, AT_SYMLINK_NOFOLLOW) == 0 && SameFile(now, claimed) &&
        IsEmptyClaim(now))
        calls.UnlinkAt(folderFd, name.c_str(), 0);
}

// "name\0" is the intent; "device inode\0" after it completes the record.
std::string Identity(const struct stat& info) {
    return std::to_string(info.st_dev) + ' ' + std::to_string(info.st_ino) + '\0';
}

}  // namespace

int ClaimAndRename(SystemCalls& calls, int folderFd, TargetFileSystem& fs, const std::string& temporaryName,
                   const std::string& name) {
    if (!fs.identityProbed) {
        if (const int error = ProbeIdentity(calls, folderFd, fs)) return error;
    }
    if (!fs.distinctIdentities) return kNoFileIdentity;
    OwnFile record(calls);  // removed on every way out
    const int recordFd = record.Create(folderFd, true, 0600);
    if (recordFd < 0) return errno;
    const std::string intent = name + '\0';
    int result = WriteAll(calls, recordFd, intent, 0);
    // Mode 0 keeps other users' programs out, where the disk keeps modes.
    const int fd = result == 0 ? calls.OpenAt(folderFd, name.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_NOFOLLOW | O_CLOEXEC, 0) : -1;
    if (result == 0 && fd < 0) result = errno;
    struct stat claimed {};
    bool known = false;
    if (fd >= 0) {
        known = calls.FStat(fd, &claimed) == 0;
        if (!known) result = errno;
        // Closed before anything is renamed over it: FUSE keeps an open
        // file that is replaced under a hidden name of its own.
        if (calls.Close(fd) != 0 && result == 0) result = errno;
        if (result == 0) result = WriteAll(calls, recordFd, Identity(claimed), static_cast<off_t>(intent.size()));
    }
    if (calls.Close(recordFd) != 0 && result == 0) result = errno;
    struct stat now {};
    if (result == 0 && (calls.FStatAt(folderFd, name.c_str(), &now, AT_SYMLINK_NOFOLLOW) != 0 ||
                        !SameFile(now, claimed) || !IsEmptyClaim(now)))
        result = NewFile::kClaimLost;  // not the file we made a moment ago
    else if (result == 0 && calls.Rename(folderFd, temporaryName.c_str(), name.c_str()) != 0)
        result = errno;
    if (result != 0 && known) Unclaim(calls, folderFd, name, claimed);
    return result;
}

std::optional<std::string> RemoveClaimOf(SystemCalls& calls, int dirFd, int recordFd,
                                         const std::vector<std::string>& listing) {
    char buffer[NAME_MAX + 64];
    const ssize_t got = calls.PRead(recordFd, buffer, sizeof buffer, 0);
    if (got <= 0) return std::nullopt;
    const std::string record(buffer, static_cast<std::size_t>(got));
    const std::size_t end = record.find('\0');
    if (end == std::string::npos || record.back() != '\0' || end + 1 == record.size()) return std::nullopt;  // incomplete: kept
    const std::string name = record.substr(0, end);
    unsigned long long device = 0, inode = 0;
    const char* at = record.data() + end + 1;
    const char* last = record.data() + record.size() - 1;
    const auto [afterDevice, deviceError] = std::from_chars(at, last, device);
    if (deviceError != std::errc() || afterDevice == last || *afterDevice != ' ') return std::nullopt;
    const auto [afterInode, inodeError] = std::from_chars(afterDevice + 1, last, inode);
    if (inodeError != std::errc() || afterInode != last) return std::nullopt;
    // Only a name of this folder that the listing spells byte for byte: on
    // a disk that ignores case, "a.txt" is not the claim "A.txt".
    if (std::find(listing.begin(), listing.end(), name) == listing.end()) return std::nullopt;
    struct stat info {};
    if (calls.FStatAt(dirFd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0 || info.st_dev != device ||
        info.st_ino != inode || !IsEmptyClaim(info) || calls.UnlinkAt(dirFd, name.c_str(), 0) != 0)
        return std::nullopt;
    return name;
}

}  // namespace mirado
