#include "SystemErrorCodes.h"

#include <cerrno>

#include "ErrorNumbers.h"

namespace mirado {

int ErrorNumberOfSystemCode(long systemCode) {
    switch (systemCode) {
    case EPERM: return kErrorNotPermitted;
    case ENOENT: return kErrorNotFound;
    case EINTR: return kErrorInterrupted;
    case EIO: return kErrorInputOutput;
    case ENOMEM: return kErrorOutOfMemory;
    case EACCES: return kErrorAccessDenied;
    case EBUSY: return kErrorBusy;
    case EEXIST: return kErrorExists;
    case ENOTDIR: return kErrorNotAFolder;
    case EISDIR: return kErrorIsAFolder;
    case EINVAL: return kErrorInvalidArgument;
    case ENFILE: return kErrorTooManyOpenFilesInSystem;
    case EMFILE: return kErrorTooManyOpenFiles;
    case ETXTBSY: return kErrorTextBusy;
    case EFBIG: return kErrorFileTooLarge;
    case ENOSPC: return kErrorDiskFull;
    case EROFS: return kErrorReadOnly;
    case ENAMETOOLONG: return kErrorNameTooLong;
    case ELOOP: return kErrorLinkLoop;
    case EOPNOTSUPP: return kErrorNotSupported;
#ifdef EDQUOT
    case EDQUOT: return kErrorQuotaExceeded;
#endif
    default: return kErrorOtherSystemFailure;
    }
}

}  // namespace mirado
