#pragma once

#include <climits>
#include <functional>
#include <map>
#include <mutex>

#include "SystemCalls.h"

namespace mirado::test {

// The real system calls, except that chosen ones fail with a chosen errno,
// and a hook can run just before any of them (to stage a race). Calls may
// come from several threads (a batch's copies under way); the hooks run on
// the calling thread, outside the lock.
class FaultySystemCalls : public SystemCalls {
public:
    // FUtimens is the last call of a copy's data and attributes.
    enum class Call { Open, OpenUnnamed, OpenAt, Clone, CopyFileRange, FSetXattr, FUtimens, LinkAt, RenameNoReplace, Rename };

    // The call fails with error from its (skip + 1)-th use on, times times.
    void Fail(Call call, int error, int skip = 0, int times = INT_MAX) {
        const std::lock_guard lock(mutex_);
        faults_[call] = Fault{error, skip, times};
    }
    int Count(Call call) const;

    std::function<void(Call)> before;
    // Runs before before, for Open, with the path opened: which file a copy is about.
    std::function<void(const char* path)> beforeOpen;

    int Open(const char* path, int flags, mode_t mode) override;
    int OpenAt(int dirFd, const char* path, int flags, mode_t mode) override;
    int Clone(int sourceFd, int targetFd) override;
    ssize_t CopyFileRange(int sourceFd, off_t* sourceOffset, int targetFd, off_t* targetOffset, size_t length) override;
    int FSetXattr(int fd, const char* name, const void* value, size_t size) override;
    int FUtimens(int fd, const struct timespec times[2]) override;
    int LinkAt(int oldDirFd, const char* oldPath, int newDirFd, const char* newPath, int flags) override;
    int RenameNoReplace(int dirFd, const char* oldName, const char* newName) override;
    int Rename(int dirFd, const char* oldName, const char* newName) override;

private:
    struct Fault {
        int error;
        int skip;
        int times;
    };
    // Counts the call, runs the hook and answers whether it must fail (errno set).
    bool Inject(Call call);

    mutable std::mutex mutex_;
    std::map<Call, Fault> faults_;
    std::map<Call, int> counts_;
};

}  // namespace mirado::test
