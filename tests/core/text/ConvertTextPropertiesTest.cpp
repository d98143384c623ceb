#include <gtest/gtest.h>

#include <ios>
#include <utility>
#include <string>
#include <vector>

#include "ConvertText.h"

namespace mirado {
namespace {

TEST(ConvertTextRoundTrip, HalfWidthUndoesFullWidth) {
    // Printable ASCII with the space (but for what names may not hold, which
    // stays full-width), and the half-width katakana with their punctuation
    // and marks.
    std::u16string alphabet;
    for (char16_t c = 0x20; c <= 0x7E; ++c)
        if (std::u16string_view(u"<>:\"/\\|?*").find(c) == std::u16string_view::npos) alphabet.push_back(c);
    for (char16_t c = 0xFF61; c <= 0xFF9F; ++c) alphabet.push_back(c);

    std::vector<std::u16string> samples = {alphabet, u"ﾞﾟｶﾞﾞｷﾟﾟﾊﾟﾊﾞ ｳﾞｦﾞﾜﾞ~", u"ｶﾞｲﾄﾞ_Ver.2 (ﾍﾟｰｼﾞ)"};
    for (const char16_t first : alphabet) {
        samples.push_back({first});
        for (const char16_t second : alphabet) samples.push_back({first, second});
    }
    for (const std::u16string& sample : samples)
        ASSERT_EQ(ConvertText(ConvertText(sample, kModeFullWidth), kModeHalfWidth), sample);
}

bool In(char16_t c, char16_t first, char16_t last) { return c >= first && c <= last; }

// The characters each mode converts, written out from the conversion rules.
bool FullWidthConverts(char16_t c) {
    return In(c, 0x20, 0x7E) || c == 0xA2 || c == 0xA3 || c == 0xA5 || c == 0xA6 || c == 0xAC ||
           c == 0xAF || c == 0x20A9 || In(c, 0xFF61, 0xFF9F);
}

bool HalfWidthConverts(char16_t c) {
    const bool katakanaWithoutHalfWidth =
        c == 0x30EE || c == 0x30F0 || c == 0x30F1 || c == 0x30F5 || c == 0x30F6 || c == 0x30F8 || c == 0x30F9;
    const bool forbiddenInNames = c == u'＜' || c == u'＞' || c == u'：' || c == u'＂' || c == u'／' || c == u'＼' ||
                                  c == u'｜' || c == u'？' || c == u'＊';
    return (In(c, 0xFF01, 0xFF5E) && !forbiddenInNames) || c == 0x3000 || In(c, 0xFFE0, 0xFFE6) || In(c, 0x3001, 0x3002) ||
           In(c, 0x300C, 0x300D) || In(c, 0x309B, 0x309C) || (In(c, 0x30A1, 0x30FC) && !katakanaWithoutHalfWidth);
}

bool KatakanaConverts(char16_t c) { return In(c, 0x3041, 0x3096) || In(c, 0x309D, 0x309E); }
bool HiraganaConverts(char16_t c) { return In(c, 0x30A1, 0x30F6) || In(c, 0x30FD, 0x30FE); }

// Each BMP code unit alone, lone surrogates included: changed exactly when
// the mode names it.
TEST(ConvertTextDomain, OnlyNamedCharactersChange) {
    for (const auto& [mode, converts] : {std::pair{kModeFullWidth, &FullWidthConverts}, {kModeHalfWidth, HalfWidthConverts},
                                         {kModeKatakana, KatakanaConverts}, {kModeHiragana, HiraganaConverts}}) {
        for (char32_t unit = 0; unit <= 0xFFFF; ++unit) {
            const std::u16string text(1, static_cast<char16_t>(unit));
            ASSERT_EQ(ConvertText(text, mode) != text, converts(text[0]))
                << "mode " << mode << ", U+" << std::hex << std::uppercase << static_cast<unsigned>(unit);
        }
    }
}

}  // namespace
}  // namespace mirado
