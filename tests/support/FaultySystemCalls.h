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
    int Clone(int source, int target) override { return Inject(Call::Clone) ? -1 : SystemCalls::Clone(source, target); }
    ssize_t CopyFileRange(int source, off_t* sourceOffset, int target, off_t* targetOffset, size_t length) override {
        return Inject(Call::CopyFileRange) ? -1
                                           : SystemCalls::CopyFileRange(source, sourceOffset, target, targetOffset, length);
    }
    int FSetXattr(int fd, const char* name, const void* value, size_t size) override {
        return Inject(Call::FSetXattr) ? -1 : SystemCalls::FSetXattr(fd, name, value, size);
    }
    int FUtimens(int fd, const struct timespec times[2]) override {
        return Inject(Call::FUtimens) ? -1 : SystemCalls::FUtimens(fd, times);
    }
    int LinkAt(int oldDirFd, const char* oldPath, int newDirFd, const char* newPath, int flags) override {
        return Inject(Call::LinkAt) ? -1 : SystemCalls::LinkAt(oldDirFd, oldPath, newDirFd, newPath, flags);
    }
    int RenameNoReplace(int dirFd, const char* from, const char* to) override {
        return Inject(Call::RenameNoReplace) ? -1 : SystemCalls::RenameNoReplace(dirFd, from, to);
    }
    int Rename(int dirFd, const char* from, const char* to) override {
        return Inject(Call::Rename) ? -1 : SystemCalls::Rename(dirFd, from, to);
    }

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
