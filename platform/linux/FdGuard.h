#pragma once

#include "SystemCalls.h"

namespace mirado {

// Closes a descriptor when it goes out of scope.
class FdGuard {
public:
    FdGuard(SystemCalls& calls, int fd) : calls_(calls), fd_(fd) {}
    ~FdGuard() { Reset(); }
    FdGuard(const FdGuard&) = delete;
    FdGuard& operator=(const FdGuard&) = delete;
    int Get() const { return fd_; }
    int Release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }
    void Reset(int fd = -1) {
        if (fd_ >= 0) calls_.Close(fd_);
        fd_ = fd;
    }

private:
    SystemCalls& calls_;
    int fd_;
};

}  // namespace mirado
