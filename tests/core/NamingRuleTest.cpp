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

TEST(NamingRule, NewNameFollowsTheRuleOfTheSelectedType) {
    struct Row {
        int type;
        std::u16string source, expected;
    };
    FileServices fso;
    for (const Row& row : {Row{0, u"/x/report.txt", u"REPORT.txt"}, Row{1, u"/x/Report FINAL.TXT", u"report final.TXT"},
                           Row{2, u"/x/my file_name.TXT", u"My File_name.TXT"},
                           Row{3, u"/x/ABC 123.txt", u"ＡＢＣ　１２３.txt"}, Row{4, u"/x/ＡＢＣ　ガ.txt", u"ABC ｶﾞ.txt"},
                           Row{5, u"/x/ねこ neko.jpg", u"ネコ neko.jpg"}, Row{6, u"/x/ネコ.jpg", u"ねこ.jpg"},
                           Row{0, u"/x/README", u"README."}, Row{0, u"/home/u/.profile", u".profile"},
                           Row{-1, u"/x/a.txt", u""}, Row{9, u"/x/a.txt", u""}}) {
        EXPECT_EQ(GetNewName(fso, row.source, row.type, {}), row.expected) << "type " << row.type;
    }
    EXPECT_EQ(GetNewName(fso, u"/x/data.a", 8, {u"a", u"b"}), u"dbtb.a") << "the extension is never replaced";
}

// Every occurrence, without overlap, case and width as given.
TEST(NamingRule, ReplaceAllReplacesEveryOccurrenceWithoutOverlap) {
    EXPECT_EQ(ReplaceAll(u"aaa", u"aa", u"b"), u"ba");
    EXPECT_EQ(ReplaceAll(u"ab", u"a", u"aa"), u"aab") << "the replacement is not searched again";
    EXPECT_EQ(ReplaceAll(u"banana", u"", u"x"), u"banana");
    EXPECT_EQ(ReplaceAll(u"AaＡa", u"a", u"b"), u"AbＡb");
    EXPECT_EQ(ReplaceAll(u"x y", u" y", u"_"), u"x_");
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
