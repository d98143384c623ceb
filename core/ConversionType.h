#pragma once

#include <array>
#include <string_view>

namespace mirado {

// The conversion types, numbered as the entries of the type list in the main
// window. The number of the selected entry is the ConversionType.
inline constexpr int kToUpperCase = 0;
inline constexpr int kToLowerCase = 1;
inline constexpr int kCapitalizeWords = 2;
inline constexpr int kToFullWidth = 3;
inline constexpr int kToHalfWidth = 4;
inline constexpr int kToKatakana = 5;
inline constexpr int kToHiragana = 6;
inline constexpr int kLastModified = 7;
inline constexpr int kFindAndReplace = 8;

// The list texts, in list order.
inline constexpr std::array<std::u16string_view, 9> kConversionTypeTexts = {
    u"大文字に変換",
    u"小文字に変換",
    u"各単語の先頭文字を大文字に変換",
    u"半角文字を全角文字に変換",
    u"全角文字を半角文字に変換",
    u"ひらがなをカタカナに変換",
    u"カタカナをひらがなに変換",
    u"最終更新日時に変換",
    u"指定した文字列に置換",
};

}  // namespace mirado
