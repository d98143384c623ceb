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
    const std::string first = CreateProbe(calls, folderFd);
    if (first.empty()) return errno;
    const std::string second = CreateProbe(calls, folderFd);
    if (second.empty()) {
        const int error = errno;
        calls.UnlinkAt(folderFd, first.c_str(), 0);
        return error;
    }
    const std::string third = ToUtf8(TemporaryCopyName(ThisProcess()));
    fs.links = calls.LinkAt(folderFd, first.c_str(), folderFd, third.c_str(), 0) == 0;
    // Only EEXIST shows the flag is honoured: a file system that renamed
    // anyway has just replaced a file of ours, and is never asked to again.
    fs.renameNoReplace = calls.RenameNoReplace(folderFd, first.c_str(), second.c_str()) != 0 && errno == EEXIST;
    for (const std::string* name : {&first, &second, &third}) calls.UnlinkAt(folderFd, name->c_str(), 0);
    fs.namingProbed = true;
    return 0;
}

}  // namespace mirado
