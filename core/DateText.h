#pragma once

#include <string>

#include "FileInfo.h"

namespace mirado {

// A date and time as the Japanese default formats write it: the short date
// "yyyy/MM/dd", a space and the long time "H:mm:ss". Exactly midnight gives
// the date alone.
std::u16string DateTimeText(const LocalDateTime& value);

}  // namespace mirado
