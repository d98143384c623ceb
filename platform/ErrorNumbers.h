#pragma once

namespace mirado {

// Every number the user can see in an error box, the same on every system.
// Failures of the system carry the numbers Linux gives them; each system's
// file services translate their own codes into these. The program's own
// refusals start at 1001. README.md lists the table.
enum ErrorNumber : int {
    kErrorNotPermitted = 1,
    kErrorNotFound = 2,
    kErrorInterrupted = 4,
    kErrorInputOutput = 5,
    kErrorOutOfMemory = 12,
    kErrorAccessDenied = 13,
    kErrorBusy = 16,
    kErrorExists = 17,
    kErrorNotAFolder = 20,
    kErrorIsAFolder = 21,
    kErrorInvalidArgument = 22,
    kErrorTooManyOpenFilesInSystem = 23,
    kErrorTooManyOpenFiles = 24,
    kErrorTextBusy = 26,
    kErrorFileTooLarge = 27,
    kErrorDiskFull = 28,
    kErrorReadOnly = 30,
    kErrorNameTooLong = 36,
    kErrorLinkLoop = 40,
    kErrorNotSupported = 95,
    kErrorQuotaExceeded = 122,
    kErrorInvalidPropertyValue = 380,  // a control refused a value
    kErrorOtherSystemFailure = 999,    // the description gives the system's own code

    kErrorCounterOverflow = 1001,
    kErrorNotRegularFile = 1002,
    kErrorInvalidNewName = 1003,
    kErrorNotLocalPath = 1004,
    kErrorNotRealFolder = 1005,
    kErrorSourceChanged = 1006,
    kErrorNoCalendarDate = 1007,
    kErrorNameNotKept = 1008,
};

}  // namespace mirado
