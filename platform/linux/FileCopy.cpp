#include "FileCopy.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>

#include "SystemCalls.h"

namespace mirado {
namespace {

constexpr size_t kChunk = 1 << 20;  // bytes per copy_file_range call and buffer size
// Up to this size one read and one write are cheaper than copy_file_range,
// which sets up a pipe inside the kernel for every call.
constexpr off_t kSmallFile = 16 * 1024;
constexpr off_t kDurableEvery = 64 << 20;

// errno values that mean "this way of copying is not offered here; try the next".
bool NotOffered(int error) {
    return error == EOPNOTSUPP || error == ENOTTY || error == EXDEV || error == EINVAL || error == ENOSYS ||
           error == EBADF || error == EPERM;
}

// Those of them that say so for every file between these file systems, not
// just for this one.
bool NeverOffered(int error) { return error == EOPNOTSUPP || error == ENOTTY || error == EXDEV || error == ENOSYS; }

class RangeCopier {
public:
    RangeCopier(SystemCalls& calls, int sourceFd, int targetFd, bool kernelCopy, CopyWays& ways,
                std::unique_ptr<char[]>& buffer, const std::stop_token& stop, bool durable)
        : calls_(calls), source_(sourceFd), target_(targetFd), ways_(ways), kernelCopy_(kernelCopy && ways.kernelCopy),
          durable_(durable), buffer_(buffer), stop_(stop) {}

    // Copies [from, to) to the same offsets of the target. Returns 0 also
    // when the source ends before to.
    int Copy(off_t from, off_t to) {
        while (from < to) {
            if (stop_.stop_requested()) return ECANCELED;
            const size_t length = static_cast<size_t>(std::min<off_t>(to - from, kChunk));
            const ssize_t done = kernelCopy_ ? KernelCopy(from, length) : BufferCopy(from, length);
            if (done == 0) return 0;  // the source ended early
            if (done < 0) {
                if (errno == EINTR) continue;
                // copy_file_range may hand over to the buffer only before
                // the first byte: later errors are real ones.
                if (kernelCopy_ && !started_ && NotOffered(errno)) {
                    kernelCopy_ = false;
                    if (NeverOffered(errno)) ways_.kernelCopy = false;
                    continue;
                }
                return errno;
            }
            started_ = true;
            from += done;
            if (durable_ && (unsynced_ += done) >= kDurableEvery) {
                if (calls_.FDataSync(target_) != 0) return errno;
                unsynced_ = 0;
            }
        }
        return 0;
    }

private:
    ssize_t KernelCopy(off_t from, size_t length) {
        off_t in = from, out = from;
        return calls_.CopyFileRange(source_, &in, target_, &out, length);
    }

    // Reads one chunk and writes all of it; returns the bytes read.
    ssize_t BufferCopy(off_t from, size_t length) {
        if (!buffer_) buffer_ = std::make_unique_for_overwrite<char[]>(kChunk);
        const ssize_t got = calls_.PRead(source_, buffer_.get(), length, from);
        if (got <= 0) return got;
        for (ssize_t put = 0; put < got;) {
            const ssize_t wrote = calls_.PWrite(target_, buffer_.get() + put, static_cast<size_t>(got - put), from + put);
            if (wrote > 0) {
                put += wrote;
            } else if (wrote == 0 || errno != EINTR) {
                if (wrote == 0) errno = EIO;
                return -1;
            }
        }
        return got;
    }

    SystemCalls& calls_;
    int source_;
    int target_;
    CopyWays& ways_;
    bool kernelCopy_;
    bool durable_;
    off_t unsynced_ = 0;
    bool started_ = false;
    std::unique_ptr<char[]>& buffer_;
    const std::stop_token& stop_;
};

}  // namespace

int CopyData(SystemCalls& calls, int sourceFd, int targetFd, const struct stat& source, CopyWays& ways,
             std::unique_ptr<char[]>& buffer, const std::stop_token& stop, bool durable) {
    const off_t size = source.st_size;
    if (size <= 0) return 0;

    // A reflink shares the blocks, holes included, on file systems that offer it.
    if (ways.clone) {
        if (calls.Clone(sourceFd, targetFd) == 0) return 0;
        if (NeverOffered(errno)) ways.clone = false;
    }

    // Fewer allocated blocks than bytes means holes: then only the data
    // extents are copied and the target is extended to the size at the end.
    const bool holes = static_cast<off_t>(source.st_blocks) * 512 < size;
    bool sparse = holes;
    RangeCopier copier(calls, sourceFd, targetFd, size > kSmallFile, ways, buffer, stop, durable);
    for (off_t at = 0; at < size;) {
        off_t dataStart = at;
        off_t dataEnd = size;
        if (sparse) {
            dataStart = calls.LSeek(sourceFd, at, SEEK_DATA);
            if (dataStart < 0 && errno == ENXIO) break;  // only a hole is left
            if (dataStart < 0) {
                sparse = false;  // holes cannot be found here: copy everything
                dataStart = at;
            } else {
                const off_t hole = calls.LSeek(sourceFd, dataStart, SEEK_HOLE);
                dataEnd = hole < 0 ? size : std::min(hole, size);
            }
        }
        if (dataStart >= size) break;
        if (const int error = copier.Copy(dataStart, dataEnd)) return error;
        at = dataEnd;
    }
    if (holes && calls.FTruncate(targetFd, size) != 0) return errno;
    return 0;
}

}  // namespace mirado
