#include "FileServices.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <ctime>
#include <string>

#include "ErrorText.h"
#include "FileCopy.h"
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

// The name of the last component, and the folder before it.
struct SplitPath {
    std::u16string folder;
    std::u16string name;
};

// The text after the last separator is the name, even when it is empty.
SplitPath Split(std::u16string_view path) {
    size_t at = path.size();
    while (at > 0 && !IsPathSeparator(path[at - 1])) --at;
    const std::u16string_view folder = at == 0 ? std::u16string_view(u".") : TrimTrailingSeparators(path.substr(0, at));
    return SplitPath{std::u16string(folder), std::u16string(path.substr(at))};
}

bool StatPath(SystemCalls& calls, std::u16string_view path, struct stat& info, bool followLinks) {
    const std::string native = ToUtf8(path);
    return (followLinks ? calls.Stat(native.c_str(), &info) : calls.LStat(native.c_str(), &info)) == 0;
}

LocalDateTime ToLocal(const struct timespec& time) {
    struct tm local {};
    const time_t seconds = time.tv_sec;
    localtime_r(&seconds, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
}

// Opens the source for reading after making sure it is a regular file, so a
// FIFO or a device is never opened (that could block or never end).
int OpenSource(SystemCalls& calls, std::u16string_view source, struct stat& info) {
    const std::string native = ToUtf8(source);
    if (calls.Stat(native.c_str(), &info) != 0)
        throw SystemError(errno, u"コピー元のファイル「%1」を開けません。", source);
    if (!S_ISREG(info.st_mode)) throw NotRegularFileError(source);
    // O_NONBLOCK guards against the file being swapped for a FIFO in between.
    const int fd = calls.Open(native.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0);
    if (fd < 0) throw SystemError(errno, u"コピー元のファイル「%1」を開けません。", source);
    FdGuard guard(calls, fd);
    if (calls.FStat(fd, &info) != 0) throw SystemError(errno, u"コピー元のファイル「%1」を開けません。", source);
    if (!S_ISREG(info.st_mode)) throw NotRegularFileError(source);
    if (calls.SetBlocking(fd) != 0) throw SystemError(errno, u"コピー元のファイル「%1」を開けません。", source);
    return guard.Release();
}

}  // namespace

FileServices::FileServices(SystemCalls& calls) : calls_(&calls) {}

FileServices::FileServices() : calls_(&SystemCalls::Real()) {}

std::u16string FileServices::GetBaseName(std::u16string_view path) const {
    const std::u16string_view name = LastComponent(path);
    return std::u16string(name.substr(0, name.rfind(u'.')));
}

std::u16string FileServices::GetExtensionName(std::u16string_view path) const {
    const std::u16string_view name = LastComponent(path);
    const size_t dot = name.rfind(u'.');
    return dot == std::u16string_view::npos ? std::u16string() : std::u16string(name.substr(dot + 1));
}

std::u16string FileServices::GetParentFolderName(std::u16string_view path) const {
    return std::u16string(ParentOf(path));
}

bool FileServices::IsAbsolutePath(std::u16string_view path) const {
    if (path.find(u'\0') != std::u16string_view::npos) return false;
    return !path.empty() && IsPathSeparator(path[0]);
}

bool FileServices::FolderExists(std::u16string_view path) const {
    struct stat info {};
    return StatPath(*calls_, path, info, true) && S_ISDIR(info.st_mode);
}

bool FileServices::FileExists(std::u16string_view path) const {
    // Anything but a folder occupies the name, a dangling link included; the
    // test looks at the name as it will be stored.
    struct stat info {};
    return StatPath(*calls_, StoredPath(path), info, false) && !S_ISDIR(info.st_mode);
}

FileInfo FileServices::GetFile(std::u16string_view path) const {
    struct stat info {};
    if (!StatPath(*calls_, path, info, true))
        throw SystemError(errno, u"ファイル「%1」の最終更新日時を取得できません。", path);
    if (!S_ISREG(info.st_mode)) throw NotRegularFileError(path);
    return FileInfo{ToLocal(info.st_mtim)};
}

void FileServices::CopyFile(std::u16string_view source, std::u16string_view destination) const {
    SystemCalls& calls = *calls_;
    struct stat info {};
    FdGuard sourceFd(calls, OpenSource(calls, source, info));

    const std::u16string target = StoredPath(destination);
    const SplitPath split = Split(target);
    const std::string name = ToUtf8(split.name);
    if (name.size() > NAME_MAX)
        throw SystemError(ENAMETOOLONG, u"コピー先のファイル「%1」を作成できません。", target);

    const std::string folderNative = ToUtf8(split.folder);
    FdGuard folderFd(calls, calls.Open(folderNative.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0));
    if (folderFd.Get() < 0) throw SystemError(errno, u"コピー先のフォルダー「%1」を開けません。", split.folder);

    // Preferably the data goes into an unnamed file that is linked in under
    // its name only when complete: a failure then leaves nothing behind, and
    // linking never replaces a file that appeared meanwhile.
    bool unnamed = true;
    int fd = calls.OpenAt(folderFd.Get(), ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (fd < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
        unnamed = false;
        fd = calls.OpenAt(folderFd.Get(), name.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600);
    }
    if (fd < 0) throw SystemError(errno, u"コピー先のファイル「%1」を作成できません。", target);
    FdGuard targetFd(calls, fd);

    // Removes the half-written file of the exclusive-create way.
    auto fail = [&](int error, std::u16string_view action) {
        if (!unnamed) calls.UnlinkAt(folderFd.Get(), name.c_str(), 0);
        throw SystemError(error, action, target);
    };

    if (const int error = CopyData(calls, sourceFd.Get(), fd)) fail(error, u"「%1」へのコピー中にエラーが発生しました。");

    // Keep the permission bits and times, as a copy should. A file system
    // that cannot store them (FAT) still gets the data, so failures here do
    // not fail the copy.
    calls.FChmod(fd, info.st_mode & 07777);
    const struct timespec times[2] = {info.st_atim, info.st_mtim};
    calls.FUtimens(fd, times);

    if (unnamed) {
        int linked = calls.LinkAt(fd, "", folderFd.Get(), name.c_str(), AT_EMPTY_PATH);
        if (linked != 0 && errno != EEXIST) {
            const std::string self = "/proc/self/fd/" + std::to_string(fd);
            linked = calls.LinkAt(AT_FDCWD, self.c_str(), folderFd.Get(), name.c_str(), AT_SYMLINK_FOLLOW);
        }
        if (linked != 0) throw SystemError(errno, u"コピー先のファイル「%1」を作成できません。", target);
    }
}

bool FileServices::CreateFolder(std::u16string_view path) const {
    const std::string native = ToUtf8(path);
    // Create each missing folder from the top down; existing ones are fine.
    for (size_t at = 1; at <= native.size(); ++at) {
        if (at != native.size() && native[at] != '/') continue;
        if (native[at - 1] == '/') continue;
        const std::string prefix = native.substr(0, at);
        if (calls_->MkDir(prefix.c_str(), 0777) != 0 && errno != EEXIST) return false;
    }
    return FolderExists(path);
}

}  // namespace mirado
