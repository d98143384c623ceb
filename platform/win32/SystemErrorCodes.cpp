#include "SystemErrorCodes.h"

#include <windows.h>

#include "ErrorNumbers.h"

namespace mirado {

int ErrorNumberOfSystemCode(long systemCode) {
    switch (static_cast<DWORD>(systemCode)) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_INVALID_DRIVE:
    case ERROR_NOT_READY: return kErrorNotFound;
    case ERROR_ACCESS_DENIED:
    case ERROR_NETWORK_ACCESS_DENIED: return kErrorAccessDenied;
    case ERROR_PRIVILEGE_NOT_HELD: return kErrorNotPermitted;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_BUSY: return kErrorBusy;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return kErrorExists;
    case ERROR_DIRECTORY: return kErrorNotAFolder;
    case ERROR_INVALID_PARAMETER:
    case ERROR_INVALID_NAME: return kErrorInvalidArgument;
    case ERROR_TOO_MANY_OPEN_FILES: return kErrorTooManyOpenFiles;
    case ERROR_FILE_TOO_LARGE: return kErrorFileTooLarge;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return kErrorDiskFull;
    case ERROR_WRITE_PROTECT: return kErrorReadOnly;
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_BUFFER_OVERFLOW: return kErrorNameTooLong;
    case ERROR_CANT_RESOLVE_FILENAME: return kErrorLinkLoop;
    case ERROR_NOT_SUPPORTED:
    case ERROR_INVALID_FUNCTION:
    case ERROR_ENCRYPTION_FAILED:  // an encrypted file, and a target that cannot encrypt
        return kErrorNotSupported;
    case 1295:  // ERROR_DISK_QUOTA_EXCEEDED, missing from some headers
        return kErrorQuotaExceeded;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY: return kErrorOutOfMemory;
    case ERROR_CRC:
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT:
    case ERROR_GEN_FAILURE:
    case ERROR_IO_DEVICE: return kErrorInputOutput;
    case ERROR_OPERATION_ABORTED:
    case ERROR_REQUEST_ABORTED: return kErrorInterrupted;
    default: return kErrorOtherSystemFailure;
    }
}

}  // namespace mirado
