#pragma once

#include <sys/stat.h>

namespace mirado {

class SystemCalls;

// Copies all data from sourceFd to targetFd, trying in turn a reflink clone,
// copy_file_range and a fixed-size buffer. Returns 0, or an errno value.
int CopyData(SystemCalls& calls, int sourceFd, int targetFd);

}  // namespace mirado
