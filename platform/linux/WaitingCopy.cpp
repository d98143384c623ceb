#include "WaitingCopy.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

#include "ErrorText.h"
#include "FileCopy.h"
#include "NameClaim.h"
#include "PathText.h"
#include "SystemCalls.h"
#include "TemporaryName.h"
#include "ThisMachine.h"
#include "Utf.h"

namespace mirado {
namespace {

bool SameTime(const struct timespec& a, const struct timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// Opens the source for reading after making sure it is a regular file, so a
// FIFO or a device is never opened (that could block or never end). info
// is what the open file says of itself.
int OpenSource(SystemCalls& calls, std::u16string_view source, struct stat& info) {
    const std::string native = ToUtf8(source);
    if (calls.Stat(native.c_str(), &info) != 0) throw SystemError(errno, kCannotOpenSource, source);
    if (!S_ISREG(info.st_mode)) throw NotRegularFileError(source);
    // O_NONBLOCK guards against the file being swapped for a FIFO in between;
    // on a regular file it changes nothing, so it stays set.
    FdGuard fd(calls, calls.Open(native.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0));
    if (fd.Get() < 0 || calls.FStat(fd.Get(), &info) != 0) throw SystemError(errno, kCannotOpenSource, source);
    if (!S_ISREG(info.st_mode)) throw NotRegularFileError(source);
    return fd.Release();
}

// Throws when the open source is no longer as it was when the copy began.
void CheckUnchanged(SystemCalls& calls, int fd, const struct stat& before, std::u16string_view source) {
    struct stat after {};
    if (calls.FStat(fd, &after) != 0) throw SystemError(errno, kCannotOpenSource, source);
    if (after.st_size != before.st_size || !SameTime(after.st_mtim, before.st_mtim) ||
        !SameTime(after.st_ctim, before.st_ctim))
        throw SourceChangedError(source);
}

// True when the folder is there and takes a plain name of ours: then a
// failure to create or give a name there was the name's own. FAT and exFAT
// through FUSE refuse names with ENOENT or EPERM, or refuse every name
// that is not ASCII, which reads like a missing folder or a denied write.
bool TakesPlainNames(SystemCalls& calls, int folderFd) {
    const std::string probe = ToUtf8(TemporaryCopyName(ThisProcess()));
    const int fd = calls.OpenAt(folderFd, probe.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    calls.Close(fd);
    calls.UnlinkAt(folderFd, probe.c_str(), 0);
    return true;
}

// The failure to give the copy its name; a name that is taken (by a file
// that another program saved meanwhile, or by a folder) can be retried.
[[noreturn]] void ThrowCannotName(SystemCalls& calls, int folderFd, int error, std::u16string_view target) {
    if (error == EEXIST) throw NameTakenError(SystemError(error, kCannotCreateTarget, target));
    // The file system is known to offer the call made, so EINVAL is the name.
    const bool refused = error == EINVAL ||
                         ((error == ENOENT || error == EPERM || error == EACCES) && TakesPlainNames(calls, folderFd));
    if (refused) throw NameRefusedError(target);
    throw SystemError(error, kCannotCreateTarget, target);
}

}  // namespace

WaitingCopy::WaitingCopy(FileServices::BatchState& batch, std::unique_ptr<FileServices::BatchState> own,
                         std::u16string_view source, std::u16string_view folder, std::u16string_view name,
                         std::atomic<bool>& unnamedFiles, std::stop_token stop)
    : own_(std::move(own)),
      batch_(batch),
      calls_(batch.calls),
      source_(source),
      folder_(folder),
      planned_(folder_ + kPathSeparator + std::u16string(StoredName(name))),
      unnamedFiles_(unnamedFiles),
      stop_(std::move(stop)),
      sourceFd_(calls_, -1),
      folderFd_(calls_, -1) {
    sourceFd_.Reset(OpenSource(calls_, source_, info_));
    folderFd_.Reset(batch_.OpenFolder(folder_.empty() ? u"." : folder_, target_, folderInode_));
    if (info_.st_size == 0) {
        // Nothing to write, so nothing to be seen half done: the copy takes
        // its name at once when it is named.
        CheckUnchanged(calls_, sourceFd_.Get(), info_, source_);
        attributes_ = ReadAttributes(calls_, sourceFd_.Get(), info_);
    } else {
        WriteData(unnamedFiles_.load(std::memory_order_relaxed));
    }
}

void WaitingCopy::WriteData(bool allowUnnamed) {
    file_.reset();
    file_ = std::make_unique<NewFile>(calls_, folderFd_.Get(), target_);
    const int created = file_->Create(allowUnnamed, info_.st_mode);
    batch_.Learnt(target_.device, target_);
    if (created != 0) throw SystemError(created, kCannotCreateTarget, planned_);
    // Ways of copying and a buffer of this copy's own while it writes.
    CopyWays ways = batch_.WaysFrom(info_.st_dev, target_.device);
    std::unique_ptr<char[]> buffer = batch_.LendBuffer();
    const int error = CopyData(calls_, sourceFd_.Get(), file_->Fd(), info_, ways, buffer, stop_, file_->Durable());
    batch_.GiveBack(std::move(buffer));
    batch_.Learnt(info_.st_dev, target_.device, ways);
    if (error == ECANCELED && stop_.stop_requested()) throw StopRequested();
    if (error != 0) throw SystemError(error, kCannotWriteTarget, planned_);
    CheckUnchanged(calls_, sourceFd_.Get(), info_, source_);
    batch_.Apply(ReadAttributes(calls_, sourceFd_.Get(), info_), *file_, target_.device, folderInode_);
    if (const int finished = file_->Finish(info_.st_size)) throw SystemError(finished, kCannotWriteTarget, planned_);
}

void WaitingCopy::Name(std::u16string_view givenName) {
    const std::u16string storedName(StoredName(givenName));
    const std::u16string target = folder_ + kPathSeparator + storedName;
    // A copy is only made where its full path can name it.
    const std::string name = ToUtf8(storedName);
    if (name.size() > NAME_MAX || ToUtf8(target).size() >= PATH_MAX)
        throw SystemError(ENAMETOOLONG, kCannotCreateTarget, target);

    // Only the batch's thread names; what copies learnt meanwhile helps here.
    batch_.Refresh(target_.device, target_);
    if (attributes_) {
        file_ = std::make_unique<NewFile>(calls_, folderFd_.Get(), target_);
        if (const int error = file_->CreateNamed(name, info_.st_mode))
            ThrowCannotName(calls_, folderFd_.Get(), error, target);
        batch_.Apply(*attributes_, *file_, target_.device, folderInode_);
        if (const int error = file_->Finish(0)) throw SystemError(error, kCannotWriteTarget, target);
    }
    int committed = file_->Commit(name);
    if (committed == NewFile::kCannotLinkUnnamed) {
        // Not here after all: the data goes under a temporary name instead.
        unnamedFiles_.store(false, std::memory_order_relaxed);
        WriteData(false);
        committed = file_->Commit(name);
    }
    batch_.Learnt(target_.device, target_);
    if (committed == NewFile::kCloseFailed) throw SystemError(file_->CloseError(), kCannotWriteTarget, target);
    if (committed == kNoFileIdentity) throw NoFileIdentityError(folder_);
    if (committed == NewFile::kClaimLost)
        throw NameTakenError(SystemError(EEXIST, kCannotCreateTarget, target), true);
    if (committed != 0) ThrowCannotName(calls_, folderFd_.Get(), committed, target);
}

}  // namespace mirado
