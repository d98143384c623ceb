#pragma once

#include <sys/stat.h>

#include <map>
#include <utility>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

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
// and of its file system stays with it; the buffers of the slowest way are
// allocated once and lent to one copy at a time.
//
// Several copies may be under way at once (each on a thread of its own),
// while the batch's thread looks up names and names finished copies: every
// member below is used under mutex only. A copy works on its own descriptor
// of the folder and its own copies of what was learnt, and hands back what
// it learns.
struct FileServices::BatchState {
    explicit BatchState(SystemCalls& calls) : calls(calls) {}
    ~BatchState() { LeaveFolder(); }
    BatchState(const BatchState&) = delete;
    BatchState& operator=(const BatchState&) = delete;

    // A descriptor of its own (the caller closes it) of the output folder at
    // path, and what is known of its file system. The folder's last
    // component must be a folder of its own: the copy never goes through a
    // symbolic link, even one put there after the folder was checked.
    // facts.device and inode say which folder it is.
    int OpenFolder(std::u16string_view path, TargetFileSystem& facts, ino_t& inode);
    // What a copy learnt of its target's file system (on device) and of
    // copying there from the source's (on sourceDevice).
    void Learnt(dev_t device, const TargetFileSystem& facts);
    void Learnt(dev_t sourceDevice, dev_t device, const CopyWays& ways);
    CopyWays WaysFrom(dev_t sourceDevice, dev_t device);
    // The newest facts of device, for a copy about to be named.
    void Refresh(dev_t device, TargetFileSystem& facts);

    // A buffer for one copy, null until the copy allocates it; given back
    // for the next.
    std::unique_ptr<char[]> LendBuffer();
    void GiveBack(std::unique_ptr<char[]> buffer);

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
    // The folder is the one of OpenFolder's facts.device and inode.
    void Apply(const SourceAttributes& attributes, const NewFile& file, dev_t device, ino_t inode);

    SystemCalls& calls;

private:
    int Folder(std::u16string_view path);  // mutex held
    void LeaveFolder();                    // mutex held

    std::mutex mutex;
    std::u16string folder;  // the output folder that the last copy went to
    int folderFd = -1;      // kept open for the next copy into it
    struct stat folderInfo {};
    using Devices = std::pair<dev_t, dev_t>;
    std::map<Devices, CopyWays> ways;  // what copies learnt, by the source's and the target's device
    using FolderId = std::pair<dev_t, ino_t>;
    std::map<FolderId, std::map<mode_t, mode_t>> createdModes;  // the mode a new file got, by folder and mode asked for
    std::vector<std::unique_ptr<char[]>> buffers;  // not lent at the moment
    std::map<dev_t, TargetFileSystem> targets;     // what the batch learnt of each output file system
};

}  // namespace mirado
