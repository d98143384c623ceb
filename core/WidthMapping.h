#pragma once

#include <string>
#include <string_view>

namespace mirado {

// Conversions between the half-width and full-width forms of the characters
// that Japanese text writes in both widths: printable ASCII, the space, the
// cent, pound, not, macron, broken bar, yen and won signs, and the half-width
// katakana with their punctuation. Every other character stays as it is.

// Half-width forms made full-width. A half-width katakana followed by the
// voiced mark ﾞ or the semi-voiced mark ﾟ becomes the single voiced or
// semi-voiced katakana where one exists (ｶﾞ gives ガ, ﾊﾟ gives パ); a mark
// that composes with nothing becomes the full-width mark ゛ or ゜.
std::u16string ToFullWidth(std::u16string_view text);

// Full-width forms made half-width, undoing ToFullWidth, except ＜＞：＂／＼｜？＊,
// whose half-width forms no file name may hold everywhere. A voiced or
// semi-voiced katakana splits into its base and ﾞ or ﾟ (ガ gives ｶﾞ); the
// combining marks U+3099 and U+309A, as left by names decomposed on other
// systems, become ﾞ and ﾟ where the letter before them was narrowed, and
// stay with a letter that keeps its width (か + U+3099). Katakana without a half-width form, such
// as ヰ or ヶ, stay full-width.
std::u16string ToHalfWidth(std::u16string_view text);

}  // namespace mirado
