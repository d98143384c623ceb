#include "FileServices.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <ctime>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ErrorText.h"
#include "FileAttributes.h"
#include "FileCopy.h"
#include "NewFile.h"
#include "PathText.h"
#include "SystemCalls.h"
#include "Utf.h"

namespace mirado {
namespace {


// Closes a descriptor when it goes out of scope.
class FdGuard {
public:
    FdGuard(SystemCalls& calls, int fd) : calls_(calls), fd_(fd) {}
    ~FdGuard() {
        if (fd_ >= 0) calls_.Close(fd_);
    }
    FdGuard(const FdGuard&) = delete;
    FdGuard& operator=(const FdGuard&) = delete;
    int Get() const { return fd_; }
    int Release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

private:
    SystemCalls& calls_;
    int fd_;
};

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

// Opens the source for reading after making sure it is a regular file, so a
// FIFO or a device is never opened (that could block or never end). info
// is what the open file says of itself.
int OpenSource(SystemCalls& calls, std::u16string_view source, struct stat& info) {
    const std::string native = ToUtf8(source);
    StatSource(calls, native, source, info);
    // O_NONBLOCK guards against the file being swapped for a FIFO in between;
    // on a regular file it changes nothing, so it stays set.
    const int fd = calls.Open(native.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0);
    if (fd < 0) throw SystemError(errno, kCannotOpenSource, source);
    FdGuard guard(calls, fd);
    if (calls.FStat(fd, &info) != 0) throw SystemError(errno, kCannotOpenSource, source);
    if (!S_ISREG(info.st_mode)) throw NotRegularFileError(source);
    return guard.Release();
}

bool SameTime(const struct timespec& a, const struct timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// Throws when the open source is no longer as it was when the copy began.
void CheckUnchanged(SystemCalls& calls, int fd, const struct stat& before, std::u16string_view source) {
    struct stat after {};
    if (calls.FStat(fd, &after) != 0) throw SystemError(errno, kCannotOpenSource, source);
    if (after.st_size != before.st_size || !SameTime(after.st_mtim, before.st_mtim) ||
        !SameTime(after.st_ctim, before.st_ctim))
        throw SourceChangedError(source);
}

// Opens the folder for the copy. Its last component must be a folder of its
// own: the copy never goes through a symbolic link, even one put there
// after the folder was checked.
int OpenTargetFolder(SystemCalls& calls, std::u16string_view folder) {
    const std::u16string_view parent = ParentOf(folder);
    const std::u16string_view name = LastComponent(folder);
    const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
    int fd = -1;
    if (parent.empty() || name.empty()) {
        fd = calls.Open(ToUtf8(folder).c_str(), flags, 0);
    } else {
        FdGuard parentFd(calls, calls.Open(ToUtf8(parent).c_str(), flags, 0));
        if (parentFd.Get() < 0) throw SystemError(errno, kCannotOpenTargetFolder, folder);
        fd = calls.OpenAt(parentFd.Get(), ToUtf8(name).c_str(), flags | O_NOFOLLOW, 0);
    }
    if (fd < 0 && (errno == ELOOP || errno == ENOTDIR)) throw NotRealFolderError(folder);
    if (fd < 0) throw SystemError(errno, kCannotOpenTargetFolder, folder);
    return fd;
}

// True for an entry that FileExists would not count: a folder of its own.
bool IsFolderEntry(SystemCalls& calls, DIR* dir, const struct dirent& entry) {
    if (entry.d_type != DT_UNKNOWN) return entry.d_type == DT_DIR;
    struct stat info {};
    return calls.FStatAt(dirfd(dir), entry.d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(info.st_mode);
}

// The failure to give the copy its name; a name that is taken (by a file
// that another program saved meanwhile, or by a folder) can be retried.
[[noreturn]] void ThrowCannotName(int error, std::u16string_view target) {
    if (error == EEXIST) throw NameTakenError(SystemError(error, kCannotCreateTarget, target));
    throw SystemError(error, kCannotCreateTarget, target);
}

LocalDateTime ToLocal(SystemCalls& calls, const struct timespec& time, std::u16string_view path) {
    struct tm local {};
    if (!calls.LocalTime(time.tv_sec, &local)) throw NoCalendarDateError(path);
    const long long year = local.tm_year + 1900LL;
    if (year < 1 || year > 9999) throw NoCalendarDateError(path);
    return {static_cast<int>(year), local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
}

}  // namespace

// What the copies of one batch share. The output folder that the last copy
// went to stays open, so that the files of a batch that go to one folder
// open it once, and what the copies into it learned of the ways of copying
// stays with it; the buffer of the slowest way is allocated once.
struct FileServices::BatchState {
    explicit BatchState(SystemCalls& calls) : calls(calls) {}
    ~BatchState() { LeaveFolder(); }
    BatchState(const BatchState&) = delete;
    BatchState& operator=(const BatchState&) = delete;

    // The open output folder at path.
    int Folder(std::u16string_view path) {
        if (folderFd >= 0 && path == folder) return folderFd;
        LeaveFolder();
        folderFd = OpenTargetFolder(calls, path);
        folder = path;
        if (calls.FStat(folderFd, &folderInfo) != 0) folderInfo = {};
        return folderFd;
    }

    // Keeps the folder open only while it is still the folder at its path:
    // one that was removed, moved away or replaced is left, so the next copy
    // goes where the path leads now. info is what is at path, or null.
    void Recheck(std::u16string_view path, const struct stat* info) {
        if (folderFd < 0 || path != folder) return;
        if (info == nullptr || info->st_dev != folderInfo.st_dev || info->st_ino != folderInfo.st_ino) LeaveFolder();
    }

    // lstat of path; a name in the open folder is looked up there, without
    // walking the whole path again (unless that is too long to be walked).
    bool LStat(std::u16string_view path, struct stat& info) {
        const std::string native = ToUtf8(path);
        if (folderFd < 0 || ParentOf(path) != folder || native.size() >= PATH_MAX)
            return calls.LStat(native.c_str(), &info) == 0;
        return calls.FStatAt(folderFd, ToUtf8(LastComponent(path)).c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0;
    }

    // Gives the new file the source's attributes. The mode a file gets at
    // its creation in this folder depends on the mode asked for only (the
    // umask and the folder's default ACL do the rest), so it is looked at
    // once per mode. Those only ever take bits away: a copy is never more
    // open than asked for, whatever happens meanwhile.
    void Apply(const SourceAttributes& attributes, const NewFile& file) {
        const auto learned = createdModes.find(file.RequestedMode());
        std::optional<mode_t> created;
        if (learned != createdModes.end()) created = learned->second;
        ApplyAttributes(calls, attributes, file.Fd(), created);
        if (created) createdModes[file.RequestedMode()] = *created;
    }

    void LeaveFolder() {
        if (folderFd >= 0) calls.Close(folderFd);
        folderFd = -1;
        folder.clear();
        ways.clear();
        createdModes.clear();
    }

    SystemCalls& calls;
    std::u16string folder;    // the output folder that the last copy went to
    int folderFd = -1;        // kept open for the next copy into it
    struct stat folderInfo {};
    std::map<dev_t, CopyWays> ways;        // what copies into it learned, by the source's device
    std::map<mode_t, mode_t> createdModes;  // the mode a new file got there, by the mode asked for
    std::unique_ptr<char[]> buffer;
};

FileServices::BatchScope::BatchScope(FileServices& fso) : fso_(fso), owner_(!fso.batch_) {
    if (owner_) fso.batch_ = std::make_unique<BatchState>(*fso.calls_);
}

FileServices::BatchScope::~BatchScope() {
    if (owner_) fso_.batch_.reset();
}

FileServices::~FileServices() = default;

FileServices::FileServices(SystemCalls& calls) : calls_(&calls) {}

FileServices::FileServices() : calls_(&SystemCalls::Real()) {}

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
    const int fd = calls_->Open(ToUtf8(folder).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
    if (fd < 0) return std::nullopt;
    DIR* dir = calls_->FdOpenDir(fd);
    if (dir == nullptr) {
        calls_->Close(fd);
        return std::nullopt;
    }
    std::vector<std::u16string> names;
    for (;;) {
        errno = 0;  // the end and a failure both give no entry
        const struct dirent* entry = calls_->ReadDir(dir);
        if (entry == nullptr) break;
        if (!IsFolderEntry(*calls_, dir, *entry)) names.push_back(FromUtf8(entry->d_name));  // "." and ".." are folders
    }
    const bool complete = errno == 0;
    calls_->CloseDir(dir);
    if (!complete) return std::nullopt;
    return names;
}

std::u16string FileServices::NameKey(std::u16string_view name) const {
    // Two names are the same here when they are the same bytes; the text of
    // a name read from disk gives its bytes one for one, so it serves as is.
    return std::u16string(name);
}

void FileServices::CopyNoReplace(std::u16string_view source, std::u16string_view destination) const {
    // A copy outside a batch is a batch of its own.
    std::unique_ptr<BatchState> single;
    BatchState& batch = batch_ ? *batch_ : *(single = std::make_unique<BatchState>(*calls_));
    if (unnamedFiles_ && CopyOnce(batch, source, destination, true)) return;
    unnamedFiles_ = false;
    CopyOnce(batch, source, destination, false);
}

bool FileServices::CopyOnce(BatchState& batch, std::u16string_view source, std::u16string_view destination,
                            bool allowUnnamed) const {
    SystemCalls& calls = *calls_;
    struct stat info {};
    FdGuard sourceFd(calls, OpenSource(calls, source, info));

    const std::u16string target = StoredPath(destination);
    const std::u16string_view folder = ParentOf(target);
    // A copy is only made where its full path can name it.
    const std::string native = ToUtf8(target);
    const std::string name = native.substr(native.rfind('/') + 1);
    if (name.size() > NAME_MAX || native.size() >= PATH_MAX)
        throw SystemError(ENAMETOOLONG, kCannotCreateTarget, target);

    NewFile file(calls, batch.Folder(folder.empty() ? u"." : folder));
    if (info.st_size == 0) {
        // Nothing to write, so nothing to be seen half done: the copy takes
        // its name at once, once everything that could fail is behind it.
        CheckUnchanged(calls, sourceFd.Get(), info, source);
        const SourceAttributes attributes = ReadAttributes(calls, sourceFd.Get(), info);
        if (const int error = file.CreateNamed(name, info.st_mode)) ThrowCannotName(error, target);
        batch.Apply(attributes, file);
        return true;
    }
    if (const int error = file.Create(allowUnnamed, info.st_mode)) throw SystemError(error, kCannotCreateTarget, target);

    if (const int error = CopyData(calls, sourceFd.Get(), file.Fd(), info, batch.ways[info.st_dev], batch.buffer))
        throw SystemError(error, kCannotWriteTarget, target);
    CheckUnchanged(calls, sourceFd.Get(), info, source);
    batch.Apply(ReadAttributes(calls, sourceFd.Get(), info), file);

    const int error = file.Commit(name);
    if (error == NewFile::kCannotLinkUnnamed) return false;
    if (error != 0) ThrowCannotName(error, target);
    return true;
}

void FileServices::CreateFolder(std::u16string_view path) const {
    const std::string native = ToUtf8(path);
    // Create each missing folder from the top down; existing ones are fine.
    for (size_t at = 1; at <= native.size(); ++at) {
        if (at != native.size() && native[at] != '/') continue;
        if (native[at - 1] == '/') continue;
        const std::string prefix = native.substr(0, at);
        if (calls_->MkDir(prefix.c_str(), 0777) != 0 && errno != EEXIST)
            throw SystemError(errno, kCannotCreateFolder, FromUtf8(prefix));
    }
    if (!FolderExists(path)) throw NotRealFolderError(path);
}

}  // namespace mirado
