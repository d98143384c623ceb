#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "TempDir.h"

namespace mirado::test {

// A small tmpfs mounted on a temporary folder, for disk-full and read-only
// cases (the tests run as root, which ignores permission bits). Mounting
// needs privileges; Create returns null and says why when it is refused.
class ScratchMount {
public:
    static std::unique_ptr<ScratchMount> Create(size_t bytes, std::string& whyNot);
    // A 64 MiB exFAT image on a loop device, mounted through FUSE
    // (mount.exfat-fuse) with options: a real disk that ignores case,
    // refuses FAT's names and shows one owner and mode for every file.
    static std::unique_ptr<ScratchMount> CreateExfatFuse(const std::string& options, std::string& whyNot);
    ~ScratchMount();

    const std::filesystem::path& Path() const { return folder_.Path(); }
    // Makes the mount read-only from now on; false when refused.
    bool MakeReadOnly();

private:
    ScratchMount() = default;
    TempDir folder_;
    TempDir image_;
    bool mounted_ = false;
    std::string loopDevice_;  // the exFAT image's, detached after the unmount
};

}  // namespace mirado::test
