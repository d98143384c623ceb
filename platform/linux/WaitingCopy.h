#pragma once

#include <sys/stat.h>

#include <atomic>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>

#include "BatchState.h"
#include "FileAttributes.h"
#include "FdGuard.h"
#include "FileServices.h"
#include "NewFile.h"

namespace mirado {

class SystemCalls;

// A copy whose data is in a new file of the output folder, unnamed or under
// a temporary name of ours, until Name gives it its name. An empty source
// needs no data: its file is made under the name itself, exclusively.
class WaitingCopy final : public PendingCopy {
public:
    // Copies source into folder; own is the state of a copy made outside a
    // batch (batch then refers to it). unnamedFiles is cleared, for later
    // copies too, when an unnamed file cannot be named here. Other copies
    // of the batch may be made, or named, on other threads meanwhile: this
    // one shares only what batch guards.
    WaitingCopy(FileServices::BatchState& batch, std::unique_ptr<FileServices::BatchState> own,
                std::u16string_view source, std::u16string_view folder, std::u16string_view name,
                std::atomic<bool>& unnamedFiles, std::stop_token stop);
    WaitingCopy(const WaitingCopy&) = delete;
    WaitingCopy& operator=(const WaitingCopy&) = delete;

    void Name(std::u16string_view name) override;

private:
    // Writes the source's data into a new file, unnamed only when allowUnnamed.
    void WriteData(bool allowUnnamed);

    std::unique_ptr<FileServices::BatchState> own_;
    FileServices::BatchState& batch_;
    SystemCalls& calls_;
    std::u16string source_;
    std::u16string folder_;
    std::u16string planned_;  // the path the copy is meant to have, for failures before it is named
    std::atomic<bool>& unnamedFiles_;
    std::stop_token stop_;
    FdGuard sourceFd_;
    FdGuard folderFd_;  // the output folder, held for this copy alone
    TargetFileSystem target_;  // this copy's own, handed back to the batch as it learns
    ino_t folderInode_ = 0;
    struct stat info_ {};
    std::unique_ptr<NewFile> file_;
    std::optional<SourceAttributes> attributes_;  // an empty source's, given when it is named
};

}  // namespace mirado
