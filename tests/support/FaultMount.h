#pragma once

#include <sys/types.h>

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "TempDir.h"

namespace mirado::test {

// The fault-injecting FUSE file system (FaultFs.cpp) mounted on a fresh
// folder, passing through to a backing folder of its own: other disks'
// refusals and late failures, for real. Its process is started before the
// test uses the mount, so the test never serves its own calls. Create
// returns null and says why where FUSE is not available.
class FaultMount {
public:
    static std::unique_ptr<FaultMount> Create(const std::vector<std::string>& faults, std::string& whyNot);
    ~FaultMount();  // unmounts lazily, so also with files left open; the file system's process ends with it

    const std::filesystem::path& Path() const { return mountPoint_; }
    const std::filesystem::path& Backing() const { return backing_; }
    // How many requests the file system has answered so far.
    std::uint64_t Requests() const { return requests_ ? requests_->load(std::memory_order_relaxed) : 0; }

private:
    FaultMount() = default;
    TempDir folder_;
    std::filesystem::path backing_, mountPoint_;
    pid_t process_ = -1;
    std::atomic<std::uint64_t>* requests_ = nullptr;  // shared with the file system's process
};

}  // namespace mirado::test
