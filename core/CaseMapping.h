#pragma once

#include <string>
#include <string_view>

namespace mirado {

// Case conversions of file names. Each character is mapped on its own by
// Unicode's simple, locale-independent case mapping, so the same name gives
// the same result on every machine, Turkish or otherwise.

// Every character that has an upper-case form takes it.
std::u16string ToUpperCase(std::u16string_view text);

// Every character that has a lower-case form takes it.
std::u16string ToLowerCase(std::u16string_view text);

// The first character of the text and each character after a word
// separator in upper case, every other character in lower case. Only NUL,
// tab, line feed, vertical tab, form feed, carriage return, the space and
// the ideographic space separate words; punctuation does not, so
// "my_file-name" stays one word.
std::u16string CapitalizeWords(std::u16string_view text);

}  // namespace mirado
