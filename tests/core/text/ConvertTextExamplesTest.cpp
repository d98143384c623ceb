#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "ConvertText.h"

namespace mirado {
namespace {

using namespace std::string_view_literals;

// Example conversions: text converted by mode must give expected.
struct TextRow {
    const char* name;
    int mode;
    std::u16string_view text, expected;
};

TEST(ConvertTextExamples, Converts) {
    for (const TextRow& row : {
         TextRow{"UpperSurrogates", kModeUpperCase, u"𐐨😀\xDC00" u"a\xD800", u"𐐀😀\xDC00" u"A\xD800"},
         TextRow{"CapitalizeWords", kModeCapitalize, u"hello wORLD", u"Hello World"},
         TextRow{"CapitalizePunctuationJoins", kModeCapitalize, u"my_file-name a.b,c(d)e'f", u"My_file-name A.b,c(d)e'f"},
         TextRow{"CapitalizeEverySeparator", kModeCapitalize, u"a\0b\tc\nd\ve\ff\rg h\u3000i"sv,
                 u"A\0B\tC\nD\vE\fF\rG H\u3000I"sv},
         TextRow{"CapitalizeRepeatedSeparators", kModeCapitalize, u"  ab  \u3000cd", u"  Ab  \u3000Cd"},
         TextRow{"CapitalizeOnlyCharacterAfterSeparator", kModeCapitalize, u"1st (place)", u"1st (place)"},
         TextRow{"CapitalizeFullWidth", kModeCapitalize, u"ａＢＣ　ｄｅｆ", u"Ａｂｃ　Ｄｅｆ"},
         TextRow{"CapitalizeDigraphUpperCase", kModeCapitalize, u"ǆungla ǅ", u"Ǆungla Ǆ"},
         TextRow{"CapitalizeSupplementary", kModeCapitalize, u"𐐨𐐀 𐐨", u"𐐀𐐨 𐐀"},
         TextRow{"FullAsciiAndSpace", kModeFullWidth, u"ABC 123!#\\~", u"ＡＢＣ　１２３！＃＼～"},
         TextRow{"FullSigns", kModeFullWidth, u"¢£¬¯¦¥₩", u"￠￡￢￣￤￥￦"},
         TextRow{"FullKanaAndPunctuation", kModeFullWidth, u"｡｢ｧｯｰｱﾝ｣､･", u"。「ァッーアン」、・"},
         TextRow{"FullVoicedComposed", kModeFullWidth, u"ｶﾞﾄﾞﾊﾞﾎﾟｳﾞﾜﾞｦﾞ", u"ガドバポヴヷヺ"},
         TextRow{"FullMarkWithoutPartner", kModeFullWidth, u"ﾞｱﾞｶﾟｯﾞﾊﾞﾞﾟ", u"゛ア゛カ゜ッ゛バ゛゜"},
         TextRow{"FullLeavesOthersAndPairs", kModeFullWidth, u"かな漢字ＡＢ\u3099𠮷ｶﾞ😀", u"かな漢字ＡＢ\u3099𠮷ガ😀"},
         TextRow{"HalfSigns", kModeHalfWidth, u"￠￡￢￣￤￥￦", u"¢£¬¯¦¥₩"},
         TextRow{"HalfSpacingAndCombiningMarks", kModeHalfWidth, u"゛゜カ\u3099ハ\u309A", u"ﾞﾟｶﾞﾊﾟ"},
         TextRow{"HalfMarkStaysWithWideLetter", kModeHalfWidth, u"\u3099か\u3099は\u309AＡ\u3099", u"\u3099か\u3099は\u309AA\uFF9E"},
         TextRow{"HalfLeavesOthersAndPairs", kModeHalfWidth, u"がな漢字ゔ𠮷ガ😀", u"がな漢字ゔ𠮷ｶﾞ😀"},
         TextRow{"KatakanaRangeEndsAndMarks", kModeKatakana, u"ぁあがぱゔゕゖゝゞ", u"ァアガパヴヵヶヽヾ"},
         TextRow{"KatakanaOnlyHiraganaChanges", kModeKatakana, u"ふぁいる_01 ＡＢ漢字ーカﾊﾞ𠮷😀", u"ファイル_01 ＡＢ漢字ーカﾊﾞ𠮷😀"},
         TextRow{"HiraganaRangeEndsAndMarks", kModeHiragana, u"ァアガパヴヵヶヽヾ", u"ぁあがぱゔゕゖゝゞ"},
         TextRow{"HiraganaNoHiraganaForm", kModeHiragana, u"ヷヸヹヺ・ーヿﾊﾞ𠮷😀か", u"ヷヸヹヺ・ーヿﾊﾞ𠮷😀か"}}) {
        EXPECT_EQ(ConvertText(row.text, row.mode), row.expected) << row.name;
    }
}

}  // namespace
}  // namespace mirado
