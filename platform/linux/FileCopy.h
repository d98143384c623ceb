#pragma once

#include <sys/stat.h>

#include <memory>
#include <stop_token>

namespace mirado {

class SystemCalls;

// What copies between the same two file systems learn from one another: a
// way of copying that is not offered there is not tried again for every file.
struct CopyWays {
    bool clone = true;       // a reflink clone
    bool kernelCopy = true;  // copy_file_range
};

// Copies bytes 0 to size of sourceFd into the empty file targetFd: as a
// reflink clone where the file system shares blocks, else with
// copy_file_range or, where that is not offered, through buffer (allocated
// on first use, never cleared, and kept by the caller for later copies).
// Holes of a sparse source stay holes. Never copies more than size, so a
// source that keeps growing cannot keep the copy going; one that shrinks
// ends it early (the caller notices the change). A stop asked for through
// stop ends it between two pieces of at most 1 MiB with ECANCELED. With
// durable, the data written so far is made durable every 64 MiB, so that a
// network share reports a full disk early and the wait for it at the end
// stays short. Returns 0, or an errno value.
int CopyData(SystemCalls& calls, int sourceFd, int targetFd, const struct stat& source, CopyWays& ways,
             std::unique_ptr<char[]>& buffer, const std::stop_token& stop = {}, bool durable = false);

}  // namespace mirado
