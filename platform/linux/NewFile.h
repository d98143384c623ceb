#pragma once

#include <sys/types.h>

#include <string>

#include "OwnFile.h"
#include "TargetFileSystem.h"

namespace mirado {

class SystemCalls;

// A file being written in a folder that takes its final name only when it
// is complete, and never in place of a file that has that name by then.
// Preferably it is unnamed until then (O_TMPFILE), so that nothing is left
// even if the program is killed. Where the file system offers no unnamed
// files, or they cannot be linked in, it is written under a hidden,
// exclusively created temporary name of its own, which is the only name
// ever removed after a failure. That file is locked while it is ours, so
// that one left by a process killed meanwhile can be told and removed later.
class NewFile {
public:
    NewFile(SystemCalls& calls, int folderFd, TargetFileSystem& fs)
        : calls_(calls), folderFd_(folderFd), fs_(fs), temporary_(calls) {}
    ~NewFile();  // removes the temporary name when the file was not committed
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;

    // Creates the file; unnamed only when allowUnnamed. An unnamed file,
    // which no other program can open, starts with the permission bits
    // mode (less the umask); one under a temporary name, which others see,
    // starts readable by its owner only. Returns 0 or an errno value.
    int Create(bool allowUnnamed, mode_t mode);
    // Creates a file that will have nothing written to it under its name at
    // once, exclusively (EEXIST when the name is taken): no one can see it
    // incomplete. It starts with the permission bits mode less write access
    // for others, so no other program can open it for writing before its
    // own mode is given.
    int CreateNamed(const std::string& name, mode_t mode);
    int Fd() const { return fd_; }
    // The permission bits the file was asked for when it was created; the
    // umask and a default ACL of the folder may have taken some away.
    mode_t RequestedMode() const { return requestedMode_; }
    // True where the data must be made durable to learn whether it was written.
    bool Durable() const { return fs_.defersErrors; }

    // Ends the writing of size bytes. Where the file system reports write
    // errors late, the data is made durable and its size checked (a server
    // may cut a file short); a file under a temporary name is closed.
    // Returns 0 or an errno value; the file has no final name yet.
    int Finish(off_t size);

    // Gives the file the name without replacing anything. Returns 0, an
    // errno value (EEXIST when the name is taken), kCannotLinkUnnamed when
    // an unnamed file cannot be given a name here (create it again with a
    // temporary name), kClaimLost, or kCloseFailed when a file that is named while
    // open failed to close: it was removed again, and CloseError says why.
    static constexpr int kCannotLinkUnnamed = -1;
    static constexpr int kCloseFailed = -2;
    // The name was claimed and then found to hold another file.
    static constexpr int kClaimLost = -3;
    int Commit(const std::string& name);
    int CloseError() const { return closeError_; }

private:
    int CommitUnnamed(const std::string& name);
    int CommitTemporary(const std::string& name);
    int CloseFd();

    SystemCalls& calls_;
    int folderFd_;
    TargetFileSystem& fs_;
    int fd_ = -1;
    mode_t requestedMode_ = 0;
    OwnFile temporary_;          // no name for an unnamed file
    bool named_ = false;         // created under its final name
    bool committed_ = false;
    int closeError_ = 0;
};

}  // namespace mirado
