#pragma once

#include <string>
#include <string_view>

namespace mirado {

// Conversions between the program's UTF-16 text and UTF-8, the encoding of
// file names and messages on this platform. Unpaired surrogates and invalid
// bytes become U+FFFD rather than being dropped silently.
std::string ToUtf8(std::u16string_view text);
std::u16string FromUtf8(std::string_view text);

// A number in ASCII decimal digits, without sign padding.
std::u16string Decimal(long long value);

}  // namespace mirado
