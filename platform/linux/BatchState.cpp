#include "BatchState.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <optional>

#include "ErrorText.h"
#include "FileAttributes.h"
#include "NewFile.h"
#include "PathText.h"
#include "SystemCalls.h"
#include "Utf.h"

namespace mirado {

int FileServices::BatchState::Folder(std::u16string_view path) {
    if (folderFd >= 0 && path == folder) return folderFd;
    LeaveFolder();
    const std::u16string_view parent = ParentOf(path);
    const std::u16string_view name = LastComponent(path);
    const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
    int fd = -1;
    if (parent.empty() || name.empty()) {
        fd = calls.Open(ToUtf8(path).c_str(), flags, 0);
    } else {
        const int parentFd = calls.Open(ToUtf8(parent).c_str(), flags, 0);
        if (parentFd < 0) throw SystemError(errno, kCannotOpenTargetFolder, path);
        fd = calls.OpenAt(parentFd, ToUtf8(name).c_str(), flags | O_NOFOLLOW, 0);
        const int error = errno;
        calls.Close(parentFd);
        errno = error;
    }
    if (fd < 0 && (errno == ELOOP || errno == ENOTDIR)) throw NotRealFolderError(path);
    if (fd < 0) throw SystemError(errno, kCannotOpenTargetFolder, path);
    folderFd = fd;
    folder = path;
    if (calls.FStat(folderFd, &folderInfo) != 0) folderInfo = {};
    return folderFd;
}

void FileServices::BatchState::Recheck(std::u16string_view path, const struct stat* info) {
    if (folderFd < 0 || path != folder) return;
    if (info == nullptr || info->st_dev != folderInfo.st_dev || info->st_ino != folderInfo.st_ino) LeaveFolder();
}

bool FileServices::BatchState::LStat(std::u16string_view path, struct stat& info) {
    const std::string native = ToUtf8(path);
    if (folderFd < 0 || ParentOf(path) != folder || native.size() >= PATH_MAX)
        return calls.LStat(native.c_str(), &info) == 0;
    return calls.FStatAt(folderFd, ToUtf8(LastComponent(path)).c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0;
}

void FileServices::BatchState::Apply(const SourceAttributes& attributes, const NewFile& file) {
    const auto learned = createdModes.find(file.RequestedMode());
    std::optional<mode_t> created;
    if (learned != createdModes.end()) created = learned->second;
    ApplyAttributes(calls, attributes, file.Fd(), created);
    if (created) createdModes[file.RequestedMode()] = *created;
}

TargetFileSystem& FileServices::BatchState::Target() {
    const auto [it, added] = targets.try_emplace(folderInfo.st_dev);
    if (added) it->second.defersErrors = DefersWriteErrors(calls, folderFd);
    return it->second;
}

void FileServices::BatchState::LeaveFolder() {
    if (folderFd >= 0) calls.Close(folderFd);
    folderFd = -1;
    folder.clear();
    ways.clear();
    createdModes.clear();
}

}  // namespace mirado
