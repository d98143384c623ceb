#pragma once

namespace mirado {

// The program's error number (ErrorNumbers.h) for a code of this system:
// an errno value on Linux, a GetLastError() value on Windows. Codes without
// a number of their own give kErrorOtherSystemFailure.
int ErrorNumberOfSystemCode(long systemCode);

}  // namespace mirado
