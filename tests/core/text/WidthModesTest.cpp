#include <string>
#include <vector>

#include "ConvertText.h"
#include "TextRow.h"

namespace mirado {
namespace {

class WidthModes : public testing::TestWithParam<TextRow> {};

TEST_P(WidthModes, Converts) {
    EXPECT_EQ(ConvertText(GetParam().text, GetParam().mode), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Examples, WidthModes, testing::Values(
    TextRow{"FullAsciiAndSpace", kModeFullWidth, u"ABC 123", u"ＡＢＣ　１２３"},
    TextRow{"FullAsciiEnds", kModeFullWidth, u"!\\~", u"！＼～"},
    TextRow{"FullSigns", kModeFullWidth, u"¢£¬¯¦¥₩", u"￠￡￢￣￤￥￦"},
    TextRow{"FullKanaAndPunctuation", kModeFullWidth, u"｡｢ｧｯｰｱﾝ｣､･", u"。「ァッーアン」、・"},
    TextRow{"FullVoicedComposed", kModeFullWidth, u"ｶﾞﾄﾞﾊﾞﾎﾟｳﾞﾜﾞｦﾞ", u"ガドバポヴヷヺ"},
    TextRow{"FullMarkWithoutPartner", kModeFullWidth, u"ﾞｱﾞｶﾟｯﾞﾊﾞﾞﾟ", u"゛ア゛カ゜ッ゛バ゛゜"},
    TextRow{"FullLeavesOtherCharacters", kModeFullWidth, u"かな漢字ＡＢ\u3099𠮷", u"かな漢字ＡＢ\u3099𠮷"},
    TextRow{"FullKeepsSurrogatePairs", kModeFullWidth, u"𠮷ｶﾞ😀a", u"𠮷ガ😀ａ"},
    TextRow{"HalfAsciiAndSpace", kModeHalfWidth, u"ＡＢＣ　１２３！＼～", u"ABC 123!\\~"},
    TextRow{"HalfSigns", kModeHalfWidth, u"￠￡￢￣￤￥￦", u"¢£¬¯¦¥₩"},
    TextRow{"HalfVoicedSplit", kModeHalfWidth, u"ガドバポヴヷヺ", u"ｶﾞﾄﾞﾊﾞﾎﾟｳﾞﾜﾞｦﾞ"},
    TextRow{"HalfSpacingAndCombiningMarks", kModeHalfWidth, u"゛゜カ\u3099ハ\u309A", u"ﾞﾟｶﾞﾊﾟ"},
    TextRow{"HalfNoHalfWidthForm", kModeHalfWidth, u"ヮヰヱヵヶヸヹヽヾ", u"ヮヰヱヵヶヸヹヽヾ"},
    TextRow{"HalfLeavesHiraganaAndKanji", kModeHalfWidth, u"がな漢字ゔ", u"がな漢字ゔ"},
    TextRow{"HalfKeepsSurrogatePairs", kModeHalfWidth, u"𠮷ガ😀ａ", u"𠮷ｶﾞ😀a"}),
    TextRowName);

// Printable ASCII with the space, and the half-width katakana with their
// punctuation and marks.
std::u16string HalfWidthAlphabet() {
    std::u16string alphabet;
    for (char16_t c = 0x20; c <= 0x7E; ++c) alphabet.push_back(c);
    for (char16_t c = 0xFF61; c <= 0xFF9F; ++c) alphabet.push_back(c);
    return alphabet;
}

TEST(WidthRoundTrip, HalfWidthUndoesFullWidth) {
    const std::u16string alphabet = HalfWidthAlphabet();
    std::vector<std::u16string> samples = {alphabet, u"ﾞﾟｶﾞﾞｷﾟﾟﾊﾟﾊﾞ ｳﾞｦﾞﾜﾞ~", u"ｶﾞｲﾄﾞ_Ver.2 (ﾍﾟｰｼﾞ)"};
    for (const char16_t first : alphabet) {
        samples.push_back({first});
        for (const char16_t second : alphabet) samples.push_back({first, second});
    }
    for (const std::u16string& sample : samples) {
        ASSERT_EQ(ConvertText(ConvertText(sample, kModeFullWidth), kModeHalfWidth), sample);
    }
}

}  // namespace
}  // namespace mirado
