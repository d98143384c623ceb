#pragma once

#include <string>
#include <string_view>

namespace mirado {

// The text conversion codes. Each is a conversion of its own; they are
// never combined (3 is not 1 and 2 together).
enum TextMode : int {
    kModeUpperCase = 1,
    kModeLowerCase = 2,
    kModeCapitalize = 3,
    kModeFullWidth = 4,
    kModeHalfWidth = 8,
    kModeKatakana = 16,
    kModeHiragana = 32,
};

// Converts text by one mode. Characters that the mode does not name stay as
// they are; an unknown mode returns the text unchanged.
std::u16string ConvertText(std::u16string_view text, int mode);

}  // namespace mirado
