#include "CaseMapping.h"

#include <unicode/uchar.h>
#include <unicode/utf16.h>

namespace mirado {

namespace {

bool IsWordSeparator(UChar32 c) {
    return c == 0x0000 || (c >= 0x0009 && c <= 0x000D) || c == 0x0020 || c == 0x3000;
}

void AppendCodePoint(std::u16string& out, UChar32 c) {
    if (U16_LENGTH(c) == 1) {
        out.push_back(static_cast<char16_t>(c));
    } else {
        out.push_back(static_cast<char16_t>(U16_LEAD(c)));
        out.push_back(static_cast<char16_t>(U16_TRAIL(c)));
    }
}

// Applies map to each code point of text. An unpaired surrogate comes
// through as itself; no case mapping changes it, so it survives unchanged.
template <typename Map>
std::u16string MapEachCodePoint(std::u16string_view text, Map map) {
    std::u16string out;
    out.reserve(text.size());
    const auto length = static_cast<int32_t>(text.size());
    int32_t i = 0;
    while (i < length) {
        UChar32 c;
        U16_NEXT(text.data(), i, length, c);
        AppendCodePoint(out, map(c));
    }
    return out;
}

}  // namespace

std::u16string ToUpperCase(std::u16string_view text) {
    return MapEachCodePoint(text, u_toupper);
}

std::u16string ToLowerCase(std::u16string_view text) {
    return MapEachCodePoint(text, u_tolower);
}

std::u16string CapitalizeWords(std::u16string_view text) {
    bool atWordStart = true;
    return MapEachCodePoint(text, [&](UChar32 c) {
        const UChar32 mapped = atWordStart ? u_toupper(c) : u_tolower(c);
        atWordStart = IsWordSeparator(c);
        return mapped;
    });
}

}  // namespace mirado
