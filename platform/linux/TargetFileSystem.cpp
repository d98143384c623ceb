#include "TargetFileSystem.h"

#include <fcntl.h>
#include <linux/magic.h>
#include <sys/statfs.h>

#include <cerrno>
#include <string>

#include "NewFile.h"
#include "SystemCalls.h"
#include "TemporaryName.h"
#include "Utf.h"

namespace mirado {
namespace {

// Those missing from older headers.
constexpr unsigned long kCifsMagic = 0xFF534D42;
constexpr unsigned long kSmb2Magic = 0xFE534D42;
constexpr unsigned long kFuseMagic = 0x65735546;
constexpr unsigned long kCephMagic = 0x00C36400;
constexpr unsigned long kAfsFsMagic = 0x6B414653;
constexpr unsigned long kOrangeFsMagic = 0x20030528;

// A new empty file under a temporary name of ours; empty when it could not be made.
std::string CreateProbe(SystemCalls& calls, int folderFd) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = ToUtf8(TemporaryCopyName(ThisProcess()));
        const int fd = calls.OpenAt(folderFd, name.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0) {
            calls.Close(fd);
            return name;
        }
        if (errno != EEXIST) return {};
    }
    return {};
}

}  // namespace

bool DefersWriteErrors(SystemCalls& calls, int fd) {
    struct statfs info {};
    if (calls.FStatFs(fd, &info) != 0) return false;
    switch (static_cast<unsigned long>(info.f_type)) {
    case NFS_SUPER_MAGIC:
    case SMB_SUPER_MAGIC:
    case kCifsMagic:
    case kSmb2Magic:
    case kFuseMagic:
    case kCephMagic:
    case AFS_SUPER_MAGIC:
    case kAfsFsMagic:
    case V9FS_MAGIC:
    case CODA_SUPER_MAGIC:
    case kOrangeFsMagic: return true;
    default: return false;
    }
}

int ProbeNaming(SystemCalls& calls, int folderFd, TargetFileSystem& fs) {
    const std::string probe = CreateProbe(calls, folderFd);
    if (probe.empty()) return errno;
    const std::string linked = ToUtf8(TemporaryCopyName(ThisProcess()));
    const std::string renamed = ToUtf8(TemporaryCopyName(ThisProcess()));
    fs.links = calls.LinkAt(folderFd, probe.c_str(), folderFd, linked.c_str(), 0) == 0;
    // Onto a free name: the kernel itself refuses a taken one for every
    // file system, before asking it whether it knows the flag at all.
    fs.renameNoReplace = calls.RenameNoReplace(folderFd, probe.c_str(), renamed.c_str()) == 0;
    for (const std::string* name : {&probe, &linked, &renamed}) calls.UnlinkAt(folderFd, name->c_str(), 0);
    fs.namingProbed = true;
    return 0;
}

}  // namespace mirado
