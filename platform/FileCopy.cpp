#include "FileCopy.h"

#include <cerrno>
#include <memory>

#include "SystemCalls.h"

namespace mirado {
namespace {

constexpr size_t kChunk = 1 << 20;  // bytes per copy_file_range call and buffer size

// errno values that mean "this way of copying is not offered here; try the next".
bool NotOffered(int error) {
    return error == EOPNOTSUPP || error == ENOTTY || error == EXDEV || error == EINVAL || error == ENOSYS ||
           error == EBADF || error == EPERM;
}

// Streams the rest of the data through a fixed buffer, so memory stays flat
// whatever the file size.
int CopyThroughBuffer(SystemCalls& calls, int sourceFd, int targetFd) {
    const auto buffer = std::make_unique<char[]>(kChunk);
    for (;;) {
        const ssize_t got = calls.Read(sourceFd, buffer.get(), kChunk);
        if (got == 0) return 0;
        if (got < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        for (ssize_t done = 0; done < got;) {
            const ssize_t put = calls.Write(targetFd, buffer.get() + done, static_cast<size_t>(got - done));
            if (put < 0) {
                if (errno == EINTR) continue;
                return errno;
            }
            done += put;
        }
    }
}

}  // namespace

int CopyData(SystemCalls& calls, int sourceFd, int targetFd) {
    // A reflink shares the blocks on file systems that offer it (btrfs, xfs).
    if (calls.Clone(sourceFd, targetFd) == 0) return 0;

    // copy_file_range lets the kernel move the data without user-space copies.
    // Only when it fails before the first byte may another way take over.
    bool started = false;
    for (;;) {
        const ssize_t copied = calls.CopyFileRange(sourceFd, targetFd, kChunk);
        if (copied == 0) {
            if (started) return 0;
            break;  // empty file, or a file system that reports nothing copied: let read decide
        }
        if (copied < 0) {
            if (errno == EINTR) continue;
            if (!started && NotOffered(errno)) break;
            return errno;
        }
        started = true;
    }
    return CopyThroughBuffer(calls, sourceFd, targetFd);
}

}  // namespace mirado
