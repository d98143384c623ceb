#pragma once

#include <string>
#include <string_view>

namespace mirado {

// Conversions between the program's UTF-16 text and the bytes of file names
// and messages on this platform, which are UTF-8 by convention only. Decoding
// never loses a byte: each byte 0x80..0xFF that is not part of a valid UTF-8
// sequence becomes the lone surrogate U+DC80..U+DCFF, and encoding turns such
// a surrogate back into its byte, so any name on disk makes the round trip.
// Other lone surrogates are encoded as U+FFFD.
std::string ToUtf8(std::u16string_view text);
std::u16string FromUtf8(std::string_view bytes);

// True when text holds a lone surrogate, such as one standing for an
// undecodable byte: it is then no Unicode text that could be converted.
bool HasLoneSurrogate(std::u16string_view text) noexcept;

// text as it may be shown to the user: a lone surrogate standing for an
// undecodable byte is written "\xNN", any other one as U+FFFD.
std::u16string DisplayText(std::u16string_view text);

// A number in ASCII decimal digits, without sign padding.
std::u16string Decimal(long long value);

}  // namespace mirado
