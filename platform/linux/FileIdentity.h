#pragma once

#include <sys/stat.h>

namespace mirado {

// The same file: the same device and inode, as the descriptor we hold and
// the name in the folder tell them. Never the owner a disk reports, which
// some disks make up for every file.
inline bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace mirado
