#include "KanaMapping.h"

namespace mirado {

namespace {

// From ぁ U+3041 through ゖ U+3096, and from ゝ U+309D through ゞ U+309E.
constexpr char16_t kHiraganaFirst = u'ぁ';
constexpr char16_t kHiraganaLast = u'ゖ';
constexpr char16_t kHiraganaIterationFirst = u'ゝ';
constexpr char16_t kHiraganaIterationLast = u'ゞ';
constexpr char16_t kKatakanaOffset = u'ァ' - u'ぁ';

bool IsConvertibleHiragana(char16_t c) {
    return (c >= kHiraganaFirst && c <= kHiraganaLast) ||
           (c >= kHiraganaIterationFirst && c <= kHiraganaIterationLast);
}

bool IsConvertibleKatakana(char16_t c) {
    return IsConvertibleHiragana(static_cast<char16_t>(c - kKatakanaOffset));
}

// Adds offset to each character that qualifies. All of these characters lie
// in the BMP outside the surrogate range, so surrogate pairs pass untouched.
template <typename Qualifies>
std::u16string Shift(std::u16string_view text, Qualifies qualifies, int offset) {
    std::u16string out(text);
    for (char16_t& c : out) {
        if (qualifies(c)) {
            c = static_cast<char16_t>(c + offset);
        }
    }
    return out;
}

}  // namespace

std::u16string ToKatakana(std::u16string_view text) {
    return Shift(text, IsConvertibleHiragana, kKatakanaOffset);
}

std::u16string ToHiragana(std::u16string_view text) {
    return Shift(text, IsConvertibleKatakana, -kKatakanaOffset);
}

}  // namespace mirado
