#pragma once

#include <string_view>

#include "Error.h"

namespace mirado {

// The batch engine's own error numbers (operating-system failures use errno
// values, which stay well below these).
inline constexpr int kErrorCounterOverflow = 1001;
inline constexpr int kErrorInvalidNewName = 1003;
inline constexpr int kErrorNotLocalPath = 1004;

// No free numbered name below the counter's limit of 32767.
Error CounterOverflowError(std::u16string_view target);
// The new name of source is not a single usable file name.
Error InvalidNewNameError(std::u16string_view source, std::u16string_view name);
// The dropped entry is not a full path of a file on this computer.
Error NotLocalPathError(std::u16string_view path);

}  // namespace mirado
