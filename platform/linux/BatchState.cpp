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

int FileServices::BatchState::OpenFolder(std::u16string_view path, TargetFileSystem& facts, ino_t& inode) {
    const std::lock_guard lock(mutex);
    const int fd = calls.DupFd(Folder(path));
    if (fd < 0) throw SystemError(errno, kCannotOpenTargetFolder, path);
    const auto [it, added] = targets.try_emplace(folderInfo.st_dev);
    if (added) it->second.defersErrors = DefersWriteErrors(calls, folderFd);
    facts = it->second;
    facts.device = folderInfo.st_dev;
    inode = folderInfo.st_ino;
    return fd;
}

void FileServices::BatchState::Learnt(dev_t device, const TargetFileSystem& facts) {
    const std::lock_guard lock(mutex);
    TargetFileSystem& known = targets[device];
    known.unnamedFiles = known.unnamedFiles && facts.unnamedFiles;
    if (facts.namingProbed && !known.namingProbed) {
        known.namingProbed = true;
        known.renameNoReplace = facts.renameNoReplace;
        known.links = facts.links;
    }
    if (facts.identityProbed && !known.identityProbed) {
        known.identityProbed = true;
        known.distinctIdentities = facts.distinctIdentities;
    }
}

void FileServices::BatchState::Refresh(dev_t device, TargetFileSystem& facts) {
    const std::lock_guard lock(mutex);
    const auto it = targets.find(device);
    if (it == targets.end()) return;
    facts.unnamedFiles = facts.unnamedFiles && it->second.unnamedFiles;
    if (it->second.namingProbed && !facts.namingProbed) {
        facts.namingProbed = true;
        facts.renameNoReplace = it->second.renameNoReplace;
        facts.links = it->second.links;
    }
    if (it->second.identityProbed && !facts.identityProbed) {
        facts.identityProbed = true;
        facts.distinctIdentities = it->second.distinctIdentities;
    }
}

void FileServices::BatchState::Learnt(dev_t sourceDevice, dev_t device, const CopyWays& learnt) {
    const std::lock_guard lock(mutex);
    CopyWays& known = ways[{sourceDevice, device}];
    known.clone = known.clone && learnt.clone;
    known.kernelCopy = known.kernelCopy && learnt.kernelCopy;
}

CopyWays FileServices::BatchState::WaysFrom(dev_t sourceDevice, dev_t device) {
    const std::lock_guard lock(mutex);
    return ways[{sourceDevice, device}];
}

std::unique_ptr<char[]> FileServices::BatchState::LendBuffer() {
    const std::lock_guard lock(mutex);
    if (buffers.empty()) return nullptr;
    std::unique_ptr<char[]> buffer = std::move(buffers.back());
    buffers.pop_back();
    return buffer;
}

void FileServices::BatchState::GiveBack(std::unique_ptr<char[]> buffer) {
    if (!buffer) return;
    const std::lock_guard lock(mutex);
    buffers.push_back(std::move(buffer));
}

void FileServices::BatchState::Recheck(std::u16string_view path, const struct stat* info) {
    const std::lock_guard lock(mutex);
    if (folderFd < 0 || path != folder) return;
    if (info == nullptr || info->st_dev != folderInfo.st_dev || info->st_ino != folderInfo.st_ino) LeaveFolder();
}

bool FileServices::BatchState::LStat(std::u16string_view path, struct stat& info) {
    const std::string native = ToUtf8(path);
    const std::lock_guard lock(mutex);
    if (folderFd < 0 || ParentOf(path) != folder || native.size() >= PATH_MAX)
        return calls.LStat(native.c_str(), &info) == 0;
    return calls.FStatAt(folderFd, ToUtf8(LastComponent(path)).c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0;
}

void FileServices::BatchState::Apply(const SourceAttributes& attributes, const NewFile& file, dev_t device,
                                      ino_t inode) {
    std::optional<mode_t> created;
    {
        const std::lock_guard lock(mutex);
        const std::map<mode_t, mode_t>& modes = createdModes[{device, inode}];
        if (const auto learned = modes.find(file.RequestedMode()); learned != modes.end()) created = learned->second;
    }
    ApplyAttributes(calls, attributes, file.Fd(), created);
    const std::lock_guard lock(mutex);
    if (created) createdModes[{device, inode}][file.RequestedMode()] = *created;
}

void FileServices::BatchState::LeaveFolder() {
    if (folderFd >= 0) calls.Close(folderFd);
    folderFd = -1;
    folder.clear();
}

}  // namespace mirado
