#include <unicode/uloc.h>

#include <clocale>
#include <string>

#include "ConvertText.h"
#include "TextRow.h"

namespace mirado {
namespace {

using namespace std::string_view_literals;

class CaseModes : public testing::TestWithParam<TextRow> {};

TEST_P(CaseModes, Converts) {
    EXPECT_EQ(ConvertText(GetParam().text, GetParam().mode), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Examples, CaseModes, testing::Values(
    TextRow{"UpperLatinKeepsDigitsAndKana", kModeUpperCase, u"report_v2 かな", u"REPORT_V2 かな"},
    TextRow{"UpperFullWidthGreekCyrillic", kModeUpperCase, u"ａｂｚ αβω жук", u"ＡＢＺ ΑΒΩ ЖУК"},
    TextRow{"UpperSupplementary", kModeUpperCase, u"𐐨😀x", u"𐐀😀X"},
    TextRow{"UpperLoneSurrogates", kModeUpperCase, u"\xDC00" u"a\xD800", u"\xDC00" u"A\xD800"},
    TextRow{"LowerFullWidthGreekCyrillic", kModeLowerCase, u"ＡＢＺ ΑΒΩ ЖУК ÀÉ", u"ａｂｚ αβω жук àé"},
    TextRow{"LowerSupplementary", kModeLowerCase, u"𐐀😀X", u"𐐨😀x"},
    TextRow{"CapitalizeWords", kModeCapitalize, u"hello world", u"Hello World"},
    TextRow{"CapitalizeLowersTheRest", kModeCapitalize, u"hELLO wORLD", u"Hello World"},
    TextRow{"CapitalizeUnderscoreJoins", kModeCapitalize, u"my file_name", u"My File_name"},
    TextRow{"CapitalizePunctuationJoins", kModeCapitalize, u"my_file-name a.b,c(d)e'f", u"My_file-name A.b,c(d)e'f"},
    TextRow{"CapitalizeEverySeparator", kModeCapitalize, u"a\0b\tc\nd\ve\ff\rg h\u3000i"sv,
            u"A\0B\tC\nD\vE\fF\rG H\u3000I"sv},
    TextRow{"CapitalizeRepeatedSeparators", kModeCapitalize, u"  ab  \u3000cd", u"  Ab  \u3000Cd"},
    TextRow{"CapitalizeOnlyCharacterAfterSeparator", kModeCapitalize, u"1st (place)", u"1st (place)"},
    TextRow{"CapitalizeFullWidth", kModeCapitalize, u"ａＢＣ　ｄｅｆ", u"Ａｂｃ　Ｄｅｆ"},
    TextRow{"CapitalizeDigraphTitleCase", kModeCapitalize, u"ǆungla ǅ", u"ǅungla ǅ"},
    TextRow{"CapitalizeSupplementary", kModeCapitalize, u"𐐨𐐀 𐐨", u"𐐀𐐨 𐐀"}),
    TextRowName);

// The case modes must not follow any locale: under Turkish rules "i" would
// upper-case to "İ" and "I" lower-case to "ı".
TEST(CaseModesLocale, TurkishDefaultLocaleChangesNothing) {
    const std::string previousIcuLocale = uloc_getDefault();
    const std::string previousCLocale = std::setlocale(LC_ALL, nullptr);
    UErrorCode status = U_ZERO_ERROR;
    uloc_setDefault("tr_TR", &status);
    ASSERT_TRUE(U_SUCCESS(status));
    std::setlocale(LC_ALL, "tr_TR.UTF-8");  // honoured where the system has it

    EXPECT_EQ(ConvertText(u"file in", kModeUpperCase), u"FILE IN");
    EXPECT_EQ(ConvertText(u"FILE IN", kModeLowerCase), u"file in");
    EXPECT_EQ(ConvertText(u"iI II", kModeCapitalize), u"Ii Ii");

    uloc_setDefault(previousIcuLocale.c_str(), &status);
    std::setlocale(LC_ALL, previousCLocale.c_str());
}

}  // namespace
}  // namespace mirado
