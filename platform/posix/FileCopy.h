#pragma once

#include <sys/stat.h>

namespace mirado {

class SystemCalls;

// Copies bytes 0 to size of sourceFd into the empty file targetFd: as a
// reflink clone where the file system shares blocks, else with
// copy_file_range or, where that is not offered, through a buffer. Holes of
// a sparse source stay holes. Never copies more than size, so a source that
// keeps growing cannot keep the copy going; one that shrinks ends it early
// (the caller notices the change). Returns 0, or an errno value.
int CopyData(SystemCalls& calls, int sourceFd, int targetFd, const struct stat& source);

}  // namespace mirado
