#pragma once

#include <atomic>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

#include "FileInfo.h"

namespace mirado {

class SystemCalls;

// A copy whose data is written and checked, waiting in its output folder for
// its name: unnamed where the file system allows it, else under a temporary
// name of ours that this process holds until the copy is named or dropped.
// Destroying it unnamed leaves nothing of it. One thread at a time.
class PendingCopy {
public:
    virtual ~PendingCopy() = default;
    // Gives the copy name in its folder, never in place of anything. A taken
    // name throws NameTakenError and leaves the copy pending, to be named
    // again; any other failure throws Error.
    virtual void Name(std::u16string_view name) = 0;
};

// Path splitting, existence tests, the last-modified time, the copy and the
// folder creation that the batch engine uses. Paths are UTF-16 here and are
// converted to the file system's encoding only inside these members.
// Failing members throw mirado::Error with a Japanese description that names
// the path involved.
class FileServices {
public:
    explicit FileServices(SystemCalls& calls);
    FileServices();
    ~FileServices();
    FileServices(const FileServices&) = delete;
    FileServices& operator=(const FileServices&) = delete;

    // Name parts of the last component (trailing separators are ignored).
    std::u16string GetBaseName(std::u16string_view path) const;
    std::u16string GetExtensionName(std::u16string_view path) const;
    // The path without its last component; a root keeps its separator, and a
    // path with no parent gives the empty string.
    std::u16string GetParentFolderName(std::u16string_view path) const;
    // True for a full path on this computer (not relative, not a URL).
    bool IsAbsolutePath(std::u16string_view path) const;

    // True when a folder of its own is there: not for a symbolic link to
    // one, a file or nothing.
    bool FolderExists(std::u16string_view path) const;
    // True when anything but a folder occupies the name (a dangling link
    // included); false when nothing is there. Throws when that cannot be
    // told, as for a path that is too long.
    bool FileExists(std::u16string_view path) const;

    // The regular file at path (symbolic links followed); throws when there
    // is none, or when its modification time is no calendar date.
    FileInfo GetFile(std::u16string_view path) const;
    // Throws unless source names a regular file that a copy could read.
    void CheckSourceFile(std::u16string_view source) const;

    // The names of everything in the folder that FileExists finds (all but
    // folders), read at once; nothing when the folder cannot be read in full.
    // On the way, in a folder of its own (not reached through a link), it
    // removes the temporary files that copies of this program on this
    // computer left when their process ended by force, and only those.
    std::optional<std::vector<std::u16string>> ListFileNames(std::u16string_view folder) const;
    // A key that is the same for two names exactly when this file system
    // takes them for the same name: the same bytes here; without regard to
    // case where the file system ignores it.
    std::u16string NameKey(std::u16string_view name) const;

    // Copies the regular file source as name into folder, which must be a
    // folder of its own (never reached through a symbolic link or junction):
    // an existing file is never replaced, and after a failure no partial
    // file is left behind. The copy keeps what the system's own copy keeps
    // (README.md lists it). A source that changes while it is copied gives
    // no copy but an error. When the name turns out to be taken as the
    // finished copy is to be given it, the error is a NameTakenError. A stop
    // requested through stop ends the copy at its next piece of work with a
    // StopRequested, leaving nothing of it.
    void CopyNoReplace(std::u16string_view source, std::u16string_view folder, std::u16string_view name,
                       std::stop_token stop = {}) const;
    // The two halves of CopyNoReplace: the data, copied into folder and
    // checked, and then its name, which is given (and may be tried again
    // with another name) without copying the data again. name is the name
    // the copy is meant to have, which a failure of the data names.
    std::unique_ptr<PendingCopy> CopyData(std::u16string_view source, std::u16string_view folder,
                                          std::u16string_view name, std::stop_token stop = {}) const;

    // How a batch may overlap its copies into folder. atOnce copies may be
    // under way at once, counting those that wait for their names (they
    // keep what they hold): a small fixed number, lowered to what the limit
    // of open files leaves for them. copiesWait is true where the copies
    // wait on a network or FUSE, so that more of them than there are
    // processors still gain; on a local disk they keep the processors busy.
    struct Overlap {
        int atOnce = 1;
        bool copiesWait = false;
    };
    Overlap CopiesAtOnce(std::u16string_view folder) const;
    static constexpr int kMostCopiesAtOnce = 8;

    // Creates the folder and every missing folder above it. Throws, saying
    // why, when it could not be created or its name is taken by something
    // that is not a folder of its own.
    void CreateFolder(std::u16string_view path) const;
    // Removes the folder when it is empty, and only then; a failure is not
    // reported (the folder then stays, as it would anyway).
    void RemoveFolderIfEmpty(std::u16string_view path) const;

    // While a BatchScope lives, the copies may share what the files of one
    // batch have in common: the open output folder (only while it is still
    // the folder that its path names), a copy buffer, and what the copies
    // into it learned of its file system. It all goes when the scope ends:
    // nothing of one batch is used by the next, so a folder deleted between
    // batches is never written through a handle kept from before. One batch
    // runs at a time.
    class BatchScope {
    public:
        explicit BatchScope(FileServices& fso);
        ~BatchScope();
        BatchScope(const BatchScope&) = delete;
        BatchScope& operator=(const BatchScope&) = delete;

    private:
        FileServices& fso_;
    };
    // What a batch keeps; each system defines its own in BatchState.h.
    struct BatchState;

private:
    // Creates one folder whose parent exists; 0 when it was made or a
    // folder or anything else is there already, else the system's code.
    long MakeOneFolder(std::u16string_view path) const;

    SystemCalls* calls_;
    std::unique_ptr<BatchState> batch_;  // while a BatchScope lives
    // Cleared once a copy found that new files cannot be made unnamed here
    // (Linux without /proc or the privilege to link them in): later copies
    // go the temporary-name way at once.
    mutable std::atomic<bool> unnamedFiles_{true};
};

}  // namespace mirado
