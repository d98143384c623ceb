#include "FileServices.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <ctime>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ErrorText.h"
#include "BatchState.h"
#include "FileAttributes.h"
#include "FileCopy.h"
#include "OwnFile.h"
#include "PathText.h"
#include "SystemCalls.h"
#include "TargetFileSystem.h"
#include "TemporaryName.h"
#include "WaitingCopy.h"
#include "Utf.h"

namespace mirado {
namespace {


bool StatPath(SystemCalls& calls, std::u16string_view path, struct stat& info, bool followLinks) {
    const std::string native = ToUtf8(path);
    return (followLinks ? calls.Stat(native.c_str(), &info) : calls.LStat(native.c_str(), &info)) == 0;
}

// Stats the source (native is its path), following links, and refuses what
// is not a regular file.
void StatSource(SystemCalls& calls, const std::string& native, std::u16string_view source, struct stat& info) {
    if (calls.Stat(native.c_str(), &info) != 0) throw SystemError(errno, kCannotOpenSource, source);
    if (!S_ISREG(info.st_mode)) throw NotRegularFileError(source);
}

// True for an entry that FileExists would not count: a folder of its own.
bool IsFolderEntry(SystemCalls& calls, DIR* dir, const struct dirent& entry) {
    if (entry.d_type != DT_UNKNOWN) return entry.d_type == DT_DIR;
    struct stat info {};
    return calls.FStatAt(dirfd(dir), entry.d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(info.st_mode);
}

LocalDateTime ToLocal(SystemCalls& calls, const struct timespec& time, std::u16string_view path) {
    struct tm local {};
    if (!calls.LocalTime(time.tv_sec, &local)) throw NoCalendarDateError(path);
    const long long year = local.tm_year + 1900LL;
    if (year < 1 || year > 9999) throw NoCalendarDateError(path);
    return {static_cast<int>(year), local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
}

}  // namespace

bool FileServices::FolderExists(std::u16string_view path) const {
    struct stat info {};
    const bool exists = StatPath(*calls_, path, info, false) && S_ISDIR(info.st_mode);
    if (batch_) batch_->Recheck(path, exists ? &info : nullptr);
    return exists;
}

bool FileServices::FileExists(std::u16string_view path) const {
    // The test looks at the name as it will be stored.
    const std::u16string stored = StoredPath(path);
    struct stat info {};
    const bool found = batch_ ? batch_->LStat(stored, info) : StatPath(*calls_, stored, info, false);
    if (found) return !S_ISDIR(info.st_mode);
    if (errno == ENOENT || errno == ENOTDIR) return false;
    throw SystemError(errno, kCannotTestTarget, stored);
}

FileInfo FileServices::GetFile(std::u16string_view path) const {
    struct stat info {};
    if (!StatPath(*calls_, path, info, true))
        throw SystemError(errno, kCannotReadDate, path);
    if (!S_ISREG(info.st_mode)) throw NotRegularFileError(path);
    return FileInfo{ToLocal(*calls_, info.st_mtim, path)};
}

void FileServices::CheckSourceFile(std::u16string_view source) const {
    struct stat info {};
    StatSource(*calls_, ToUtf8(source), source, info);
}

std::optional<std::vector<std::u16string>> FileServices::ListFileNames(std::u16string_view folder) const {
    const std::string native = ToUtf8(folder);
    const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
    int fd = calls_->Open(native.c_str(), flags | O_NOFOLLOW, 0);
    // Temporary files are removed only from a folder of its own, never
    // through a link to one.
    const bool ownFolder = fd >= 0;
    if (fd < 0 && errno == ELOOP) fd = calls_->Open(native.c_str(), flags, 0);
    if (fd < 0) return std::nullopt;
    DIR* dir = calls_->FdOpenDir(fd);
    if (dir == nullptr) {
        calls_->Close(fd);
        return std::nullopt;
    }
    std::vector<std::string> listing, ours;
    for (;;) {
        errno = 0;  // the end and a failure both give no entry
        const struct dirent* entry = calls_->ReadDir(dir);
        if (entry == nullptr) break;
        if (IsFolderEntry(*calls_, dir, *entry)) continue;  // "." and ".." are folders
        listing.emplace_back(entry->d_name);
        if (ownFolder && std::strncmp(entry->d_name, ".mirado-", 8) == 0) ours.emplace_back(entry->d_name);
    }
    const bool complete = errno == 0;
    // Files that ended batches left are no names of the folder any more.
    for (const std::string& name : ours) {
        if (RemoveIfLeftOver(*calls_, dirfd(dir), name, listing)) std::erase(listing, name);
    }
    calls_->CloseDir(dir);
    if (!complete) return std::nullopt;
    std::vector<std::u16string> names;
    names.reserve(listing.size());
    for (const std::string& name : listing) names.push_back(FromUtf8(name));
    return names;
}

std::u16string FileServices::NameKey(std::u16string_view name) const {
    // Two names are the same here when they are the same bytes; the text of
    // a name read from disk gives its bytes one for one, so it serves as is.
    return std::u16string(name);
}

std::unique_ptr<PendingCopy> FileServices::CopyData(std::u16string_view source, std::u16string_view folder,
                                                    std::u16string_view name, std::stop_token stop) const {
    // A copy outside a batch is a batch of its own.
    std::unique_ptr<BatchState> single;
    BatchState& batch = batch_ ? *batch_ : *(single = std::make_unique<BatchState>(*calls_));
    return std::make_unique<WaitingCopy>(batch, std::move(single), source, folder, name, unnamedFiles_, std::move(stop));
}

FileServices::Overlap FileServices::CopiesAtOnce(std::u16string_view folder) const {
    // Measured (README, runs H and I): on a share that answers after 1 ms,
    // 8 copies at once take a third of cp's time; on a local disk, copies
    // on as many threads as there are processors, with finished ones
    // waiting for their names, take three quarters of it or less.
    Overlap overlap;
    const int folderFd = ::open(ToUtf8(folder).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0) {
        overlap.copiesWait = DefersWriteErrors(SystemCalls::Real(), folderFd);
        ::close(folderFd);
    }
    // A copy under way holds up to four descriptors: its source, its new
    // file, the output folder (its own) and the lock of a temporary name or
    // a claim's record. The limit counts every descriptor of the process,
    // so those open now (the window's, the libraries') are left aside, with
    // room for the batch's own listings of folders.
    constexpr long kPerCopy = 4;
    constexpr long kSpare = 16;
    struct rlimit limit {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) return overlap;
    overlap.atOnce = kMostCopiesAtOnce;
    if (limit.rlim_cur == RLIM_INFINITY) return overlap;
    long open = 64;  // without /proc, a guess on the safe side
    if (DIR* fds = ::opendir("/proc/self/fd")) {
        open = -1;  // the listing's own
        while (const struct dirent* entry = ::readdir(fds))
            if (entry->d_name[0] != '.') ++open;
        ::closedir(fds);
    }
    const long room = static_cast<long>(std::min<rlim_t>(limit.rlim_cur, 1 << 20)) - open - kSpare;
    overlap.atOnce = static_cast<int>(std::clamp<long>(room / kPerCopy, 1, kMostCopiesAtOnce));
    return overlap;
}

long FileServices::MakeOneFolder(std::u16string_view path) const {
    if (calls_->MkDir(ToUtf8(path).c_str(), 0777) == 0 || errno == EEXIST) return 0;
    return errno;
}

void FileServices::RemoveFolderIfEmpty(std::u16string_view path) const {
    // rmdir removes only an empty folder, and never what a link points to.
    calls_->RmDir(ToUtf8(path).c_str());
}

}  // namespace mirado
