#pragma once

#include <sys/stat.h>

#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "FileCopy.h"
#include "FileServices.h"
#include "TargetFileSystem.h"

namespace mirado {

class NewFile;
class SystemCalls;
struct SourceAttributes;

// What the copies of one batch share. The output folder that the last copy
// went to stays open, so that the files of a batch that go to one folder
// open it once, and what the copies into it learned of the ways of copying
// stays with it; the buffer of the slowest way is allocated once.
struct FileServices::BatchState {
    explicit BatchState(SystemCalls& calls) : calls(calls) {}
    ~BatchState() { LeaveFolder(); }
    BatchState(const BatchState&) = delete;
    BatchState& operator=(const BatchState&) = delete;

    // The open output folder at path. Its last component must be a folder
    // of its own: the copy never goes through a symbolic link, even one put
    // there after the folder was checked.
    int Folder(std::u16string_view path);

    // Keeps the folder open only while it is still the folder at its path:
    // one that was removed, moved away or replaced is left, so the next copy
    // goes where the path leads now. info is what is at path, or null.
    void Recheck(std::u16string_view path, const struct stat* info);

    // lstat of path; a name in the open folder is looked up there, without
    // walking the whole path again (unless that is too long to be walked).
    bool LStat(std::u16string_view path, struct stat& info);

    // Gives the new file the source's attributes. The mode a file gets at
    // its creation in this folder depends on the mode asked for only (the
    // umask and the folder's default ACL do the rest), so it is looked at
    // once per mode. Those only ever take bits away: a copy is never more
    // open than asked for, whatever happens meanwhile.
    void Apply(const SourceAttributes& attributes, const NewFile& file);

    void LeaveFolder();

    // What the open output folder's file system offers; it is asked when
    // the batch first writes there.
    TargetFileSystem& Target();

    SystemCalls& calls;
    std::u16string folder;  // the output folder that the last copy went to
    int folderFd = -1;      // kept open for the next copy into it
    struct stat folderInfo {};
    std::map<dev_t, CopyWays> ways;         // what copies into it learned, by the source's device
    std::map<mode_t, mode_t> createdModes;  // the mode a new file got there, by the mode asked for
    std::unique_ptr<char[]> buffer;
    std::map<dev_t, TargetFileSystem> targets;  // what the batch learnt of each output file system
};

}  // namespace mirado
