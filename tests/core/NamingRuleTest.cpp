#include <gtest/gtest.h>

#include "ErrorOf.h"
#include "FileServices.h"
#include "NamingRule.h"
#include "TempDir.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>

#include "ScratchMount.h"
#endif

namespace mirado {
namespace {

struct NameRow {
    const char* label;
    int type;
    std::u16string source;
    std::u16string expected;
};
void PrintTo(const NameRow& row, std::ostream* out) { *out << row.label; }

class NewName : public testing::TestWithParam<NameRow> {};

TEST_P(NewName, FollowsTheRuleOfTheSelectedType) {
    FileServices fso;
    EXPECT_EQ(GetNewName(fso, GetParam().source, GetParam().type, {}), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    NamingRule, NewName,
    testing::Values(NameRow{"upper_keeps_extension_case", 0, u"/x/report.txt", u"REPORT.txt"},
                    NameRow{"lower", 1, u"/x/Report FINAL.TXT", u"report final.TXT"},
                    NameRow{"capitalize_words", 2, u"/x/my file_name.TXT", u"My File_name.TXT"},
                    NameRow{"full_width_base_only", 3, u"/x/ABC 123.txt", u"ＡＢＣ　１２３.txt"},
                    NameRow{"half_width", 4, u"/x/ＡＢＣ　ガ.txt", u"ABC ｶﾞ.txt"},
                    NameRow{"hiragana_only_changes", 5, u"/x/ねこ neko.jpg", u"ネコ neko.jpg"},
                    NameRow{"katakana_to_hiragana", 6, u"/x/ネコ.jpg", u"ねこ.jpg"},
                    NameRow{"no_extension_keeps_dot", 0, u"/x/README", u"README."},
                    NameRow{"leading_dot_is_extension", 0, u"/home/u/.profile", u".profile"},
                    NameRow{"no_type_selected", -1, u"/x/a.txt", u""},
                    NameRow{"type_out_of_range", 9, u"/x/a.txt", u""}),
    [](const testing::TestParamInfo<NameRow>& info) { return std::string(info.param.label); });

struct ReplaceRow {
    const char* label;
    std::u16string text, find, replacement, expected;
};
void PrintTo(const ReplaceRow& row, std::ostream* out) { *out << row.label; }

class Replace : public testing::TestWithParam<ReplaceRow> {};

TEST_P(Replace, ReplacesEveryOccurrenceWithoutOverlap) {
    const ReplaceRow& row = GetParam();
    EXPECT_EQ(ReplaceAll(row.text, row.find, row.replacement), row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    NamingRule, Replace,
    testing::Values(ReplaceRow{"no_overlap", u"aaa", u"aa", u"b", u"ba"},
                    ReplaceRow{"replacement_not_rescanned", u"ab", u"a", u"aa", u"aab"},
                    ReplaceRow{"empty_find_keeps_text", u"banana", u"", u"x", u"banana"},
                    ReplaceRow{"case_sensitive", u"Aa", u"a", u"b", u"Ab"},
                    ReplaceRow{"width_sensitive", u"Ａa", u"a", u"b", u"Ａb"},
                    ReplaceRow{"leading_space_kept", u"x y", u" y", u"_", u"x_"}),
    [](const testing::TestParamInfo<ReplaceRow>& info) { return std::string(info.param.label); });

TEST(NamingRule, FindAndReplaceUsesTheGivenTexts) {
    FileServices fso;
    EXPECT_EQ(GetNewName(fso, u"/x/data.a", 8, {u"a", u"b"}), u"dbtb.a") << "the extension is never replaced";
}

TEST(NamingRule, LastModifiedNameDropsSlashesAndColons) {
    test::TempDir dir;
    const auto file = dir.Path() / "photo.JPG";
    test::WriteFile(file, "x");
    FileServices fso;
    const auto name = [&](const char* file) { return GetNewName(fso, dir.U16(file), 7, {}); };

    test::SetModified(file, 2009, 11, 17, 9, 5, 3);
    EXPECT_EQ(name("photo.JPG"), u"20091117 90503.JPG");
    test::SetModified(file, 2009, 11, 17, 0, 0, 0);
    EXPECT_EQ(name("photo.JPG"), u"20091117.JPG");
    test::SetModified(file, 2009, 11, 17, 0, 0, 1);  // only exactly midnight drops the time
    EXPECT_EQ(name("photo.JPG"), u"20091117 00001.JPG");
    EXPECT_EQ(test::ErrorOf([&] { name("gone.txt"); }),
              u"2:ファイル「" + dir.U16("gone.txt") + u"」の最終更新日時を取得できません。ファイルまたはフォルダーが見つかりません。");
    std::filesystem::create_directory(dir.Path() / "folder");  // only a file is named by its date
    EXPECT_EQ(test::ErrorOf([&] { name("folder"); }),
              u"1002:「" + dir.U16("folder") + u"」は通常のファイルではないため、処理できません。");
}

#ifndef _WIN32
// tmpfs keeps times far beyond any calendar: such a time names nothing.
TEST(NamingRule, LastModifiedNameNeedsACalendarDate) {
    std::string whyNot;
    const auto mount = test::ScratchMount::Create(64 * 1024, whyNot);
    if (!mount) GTEST_SKIP() << whyNot;
    FileServices fso;
    for (const time_t seconds : {time_t{1} << 62, time_t{253402300800}}) {  // and 10000-01-01
        const auto file = mount->Path() / "far.txt";
        test::WriteFile(file, "x");
        const struct timespec times[2] = {{seconds, 0}, {seconds, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
        EXPECT_EQ(test::ErrorOf([&] { GetNewName(fso, test::U16(file), 7, {}); }),
                  u"1007:ファイル「" + test::U16(file) +
                      u"」の最終更新日時は西暦 1 年から 9999 年までの日時ではないため、名前にできません。");
    }
}

#endif

}  // namespace
}  // namespace mirado
