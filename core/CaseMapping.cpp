#include "CaseMapping.h"

#include <algorithm>
#include <cstdint>

#include "CaseTable.h"

namespace mirado {

namespace {

template <std::size_t N>
char32_t MapCodePoint(const std::array<CaseRange, N>& ranges, char32_t c) {
    // The ranges do not overlap, so only the last one starting at or before c
    // can hold it.
    const auto after = std::upper_bound(ranges.begin(), ranges.end(), c,
                                        [](char32_t value, const CaseRange& range) { return value < range.first; });
    if (after == ranges.begin()) return c;
    const CaseRange& range = *(after - 1);
    if (c > range.last || (c - range.first) % range.step != 0) return c;
    return static_cast<char32_t>(static_cast<std::int32_t>(c) + range.delta);
}

// ASCII, most of many a name, is answered without a search.
char32_t SimpleUpperCase(char32_t c) {
    if (c < 0x80) return c >= U'a' && c <= U'z' ? c - 0x20 : c;
    return MapCodePoint(kUpperCaseRanges, c);
}

char32_t SimpleLowerCase(char32_t c) {
    if (c < 0x80) return c >= U'A' && c <= U'Z' ? c + 0x20 : c;
    return MapCodePoint(kLowerCaseRanges, c);
}

bool IsWordSeparator(char32_t c) {
    return c == 0x0000 || (c >= 0x0009 && c <= 0x000D) || c == 0x0020 || c == 0x3000;
}

bool IsLeadSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool IsTrailSurrogate(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

void AppendCodePoint(std::u16string& out, char32_t c) {
    if (c < 0x10000) {
        out.push_back(static_cast<char16_t>(c));
    } else {
        out.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
    }
}

// Applies map to each code point of text. An unpaired surrogate comes
// through as a code point of its own; no case mapping changes it, so it
// survives unchanged.
template <typename Map>
std::u16string MapEachCodePoint(std::u16string_view text, Map map) {
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (IsLeadSurrogate(text[i]) && i + 1 < text.size() && IsTrailSurrogate(text[i + 1])) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        AppendCodePoint(out, map(c));
    }
    return out;
}

}  // namespace

std::u16string ToUpperCase(std::u16string_view text) {
    return MapEachCodePoint(text, SimpleUpperCase);
}

std::u16string ToLowerCase(std::u16string_view text) {
    return MapEachCodePoint(text, SimpleLowerCase);
}

std::u16string CapitalizeWords(std::u16string_view text) {
    bool atWordStart = true;
    return MapEachCodePoint(text, [&](char32_t c) {
        const char32_t mapped = atWordStart ? SimpleUpperCase(c) : SimpleLowerCase(c);
        atWordStart = IsWordSeparator(c);
        return mapped;
    });
}

}  // namespace mirado
