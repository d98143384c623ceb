#pragma once

#include <sys/types.h>

namespace mirado {

class SystemCalls;

// What a file system that copies are written to offers, learnt once per
// batch (FileServices::BatchState::Learnt gathers what each copy learns;
// keep it in step with the fields): by asking, never by reading an ambiguous errno of a copy (vfat
// answers EINVAL both for "no RENAME_NOREPLACE" and for a name it refuses).
struct TargetFileSystem {
    bool unnamedFiles = true;    // O_TMPFILE; cleared when refused
    bool namingProbed = false;   // the two below are known
    bool renameNoReplace = true;
    bool links = true;
    // Claims are proved by the identity of files: two new files get
    // different, non-zero inode numbers, and a name shows its file's.
    bool identityProbed = false;
    bool distinctIdentities = false;
    // Network and FUSE file systems may report a full disk or quota only
    // when the data is flushed, at fsync or close (or not at all, when
    // no one asks): copies there are made durable before they get a name.
    bool defersErrors = false;
    dev_t device = 0;  // which file system this is
};

// True for the file system of fd when it reports write errors late.
bool DefersWriteErrors(SystemCalls& calls, int fd);

// Learns how a finished temporary file can take its name in folderFd, with
// a file and names of our own: whether renameat2 takes RENAME_NOREPLACE and
// whether a second link can be made. Returns 0 or the errno value that
// kept it from asking.
int ProbeNaming(SystemCalls& calls, int folderFd, TargetFileSystem& fs);

// Learns whether files in folderFd can be told apart by their identity,
// with two files of our own. Returns 0 or the errno value that kept it
// from asking.
int ProbeIdentity(SystemCalls& calls, int folderFd, TargetFileSystem& fs);

}  // namespace mirado
