#include "FaultySystemCalls.h"

#include <fcntl.h>

#include <cerrno>

namespace mirado::test {

int FaultySystemCalls::Count(Call call) const {
    const std::lock_guard lock(mutex_);
    const auto it = counts_.find(call);
    return it == counts_.end() ? 0 : it->second;
}

bool FaultySystemCalls::Inject(Call call) {
    int used = 0;
    {
        const std::lock_guard lock(mutex_);
        used = counts_[call]++;
    }
    if (before) before(call);
    const std::lock_guard lock(mutex_);
    const auto it = faults_.find(call);
    if (it == faults_.end() || used < it->second.skip || used - it->second.skip >= it->second.times) return false;
    errno = it->second.error;
    return true;
}

int FaultySystemCalls::Open(const char* path, int flags, mode_t mode) {
    if (beforeOpen) beforeOpen(path);
    return Inject(Call::Open) ? -1 : SystemCalls::Open(path, flags, mode);
}

int FaultySystemCalls::OpenAt(int dirFd, const char* path, int flags, mode_t mode) {
    const Call call = (flags & O_TMPFILE) == O_TMPFILE ? Call::OpenUnnamed : Call::OpenAt;
    return Inject(call) ? -1 : SystemCalls::OpenAt(dirFd, path, flags, mode);
}

}  // namespace mirado::test
