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
    ~ScratchMount();

    const std::filesystem::path& Path() const { return folder_.Path(); }
    // Makes the mount read-only from now on; false when refused.
    bool MakeReadOnly();

private:
    ScratchMount() = default;
    TempDir folder_;
    bool mounted_ = false;
};

}  // namespace mirado::test
