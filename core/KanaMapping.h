#pragma once

#include <string>
#include <string_view>

namespace mirado {

// Conversions between the two kana scripts. Hiragana U+3041..U+3096 and
// katakana U+30A1..U+30F6 are the same syllables 0x60 code points apart; the
// iteration marks ゝゞ and ヽヾ pair up the same way. Half-width katakana,
// katakana without a hiragana form (such as ヷ) and every other character
// stay as they are.

std::u16string ToKatakana(std::u16string_view text);

std::u16string ToHiragana(std::u16string_view text);

}  // namespace mirado
