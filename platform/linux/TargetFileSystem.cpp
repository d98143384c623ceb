#include "TargetFileSystem.h"

#include <fcntl.h>
#include <linux/magic.h>
#include <sys/statfs.h>

#include <cerrno>
#include <string>

#include "OwnFile.h"
#include "SystemCalls.h"
#include "TemporaryName.h"
#include "ThisMachine.h"
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

// A new empty file of our own, locked while it lives; false when it could not be made.
bool CreateProbe(SystemCalls& calls, int folderFd, OwnFile& probe) {
    const int fd = probe.Create(folderFd, false, 0600);
    if (fd < 0) return false;
    calls.Close(fd);
    return true;
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
    OwnFile probe(calls);
    if (!CreateProbe(calls, folderFd, probe)) return errno;
    const std::string linked = ToUtf8(TemporaryCopyName(ThisProcess()));
    const std::string renamed = ToUtf8(TemporaryCopyName(ThisProcess()));
    fs.links = calls.LinkAt(folderFd, probe.Name().c_str(), folderFd, linked.c_str(), 0) == 0;
    // Onto a free name: the kernel itself refuses a taken one for every
    // file system, before asking it whether it knows the flag at all.
    fs.renameNoReplace = calls.RenameNoReplace(folderFd, probe.Name().c_str(), renamed.c_str()) == 0;
    // The other names are the same file, held by the probe's lock meanwhile.
    if (fs.links) calls.UnlinkAt(folderFd, linked.c_str(), 0);
    if (fs.renameNoReplace) calls.UnlinkAt(folderFd, renamed.c_str(), 0);
    fs.namingProbed = true;
    return 0;
}

int ProbeIdentity(SystemCalls& calls, int folderFd, TargetFileSystem& fs) {
    OwnFile first(calls), second(calls);
    if (!CreateProbe(calls, folderFd, first) || !CreateProbe(calls, folderFd, second)) return errno;
    // Creating them checked that each name shows its file's identity.
    struct stat a {}, b {};
    fs.distinctIdentities = calls.FStat(first.LockFd(), &a) == 0 && calls.FStat(second.LockFd(), &b) == 0 &&
                            a.st_ino != 0 && b.st_ino != 0 && a.st_ino != b.st_ino;
    fs.identityProbed = true;
    return 0;
}

}  // namespace mirado
