#include "ConvertText.h"
#include "TextRow.h"

namespace mirado {
namespace {

class KanaModes : public testing::TestWithParam<TextRow> {};

TEST_P(KanaModes, Converts) {
    EXPECT_EQ(ConvertText(GetParam().text, GetParam().mode), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Examples, KanaModes, testing::Values(
    TextRow{"KatakanaRangeEndsAndMarks", kModeKatakana, u"ぁあがぱゔゕゖゝゞ", u"ァアガパヴヵヶヽヾ"},
    TextRow{"KatakanaOnlyHiraganaChanges", kModeKatakana, u"ふぁいる_01 ＡＢ漢字ーカﾊﾞ", u"ファイル_01 ＡＢ漢字ーカﾊﾞ"},
    TextRow{"KatakanaKeepsSurrogatePairs", kModeKatakana, u"𠮷か😀", u"𠮷カ😀"},
    TextRow{"HiraganaRangeEndsAndMarks", kModeHiragana, u"ァアガパヴヵヶヽヾ", u"ぁあがぱゔゕゖゝゞ"},
    TextRow{"HiraganaNoHiraganaForm", kModeHiragana, u"ヷヸヹヺ・ーヿﾊﾞ", u"ヷヸヹヺ・ーヿﾊﾞ"},
    TextRow{"HiraganaKeepsSurrogatePairs", kModeHiragana, u"𠮷カ😀", u"𠮷か😀"}),
    TextRowName);

}  // namespace
}  // namespace mirado
