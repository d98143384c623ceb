#pragma once

#include <string_view>

#include "Error.h"
#include "ErrorNumbers.h"

namespace mirado {

// The batch engine's own refusals (their numbers are in ErrorNumbers.h).

// No free numbered name below the counter's limit of 32767.
Error CounterOverflowError(std::u16string_view target);
// The new name of source is not a single usable file name.
Error InvalidNewNameError(std::u16string_view source, std::u16string_view name);
// The copy's name was taken from it right after it was created, again and
// again: the disk does not keep what it is told, or another program takes
// every name that the copy takes.
Error NameNotKeptError(std::u16string_view target);
// More files were dropped than the progress bar can count.
Error TooManyFilesError();
// The dropped entry is not a full path of a file on this computer.
Error NotLocalPathError(std::u16string_view path);

}  // namespace mirado
