#include <gtest/gtest.h>

#include <filesystem>

#include "BatchDriver.h"
#include "FakeBatchWindow.h"
#include "TempDir.h"

namespace mirado {
namespace {

using test::FakeBatchWindow;
using test::ListFolder;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;
using Names = std::vector<std::string>;

TEST(Win32Batch, CopiesBesideTheSourceAndNumbersWithoutRegardToCase) {
    TempDir dir;
    WriteFile(dir.Path() / "photo.JPG", "new");
    WriteFile(dir.Path() / "_rename" / "PHOTO.jpg", "old");
    FakeBatchWindow window(1);

    ProcessFiles(window, {dir.U16("photo.JPG"), dir.U16("photo.JPG")});

    EXPECT_TRUE(window.messages.empty());
    EXPECT_EQ(window.progressValues, (std::vector<int>{1, 2, 0}));
    EXPECT_EQ(ListFolder(dir.Path() / "_rename"), (Names{"PHOTO.jpg", "photo（1）.JPG", "photo（2）.JPG"}));
    EXPECT_EQ(ReadFile(dir.Path() / "_rename" / "PHOTO.jpg"), "old");
}

// Windows keeps device names and a few characters for itself; a colon
// would even write a hidden data stream. Such names are never made.
TEST(Win32Batch, NamesWindowsCannotStoreAreRefused) {
    // Every form is in the path rules' own table; here, that the batch asks them.
    const std::vector<std::pair<std::string, std::u16string>> rows = {
        {"name.txt", u"CON"}, {"name.txt", u"a:b"}, {"name", u"ends in dot."}};
    for (const auto& [source, replacement] : rows) {
        TempDir dir;
        WriteFile(dir.Path() / source, "x");
        FakeBatchWindow window(8);
        window.dialogAnswer = ReplaceAnswer{false, u"name", replacement};

        ProcessFiles(window, {dir.U16(source)});

        ASSERT_EQ(window.messages.size(), 1u);
        const std::u16string named = u"1003:「" + dir.U16(source) + u"」";
        EXPECT_EQ(window.messages[0].substr(0, named.size()), named);
        EXPECT_TRUE(ListFolder(dir.Path() / "_rename").empty());
    }
}

TEST(Win32Batch, HalfWidthKeepsWhatNamesMayNotHold) {
    TempDir dir;
    WriteFile(dir.Path() / u8"質問？ＡＢ.txt", "q");
    FakeBatchWindow window(4);
    ProcessFiles(window, {dir.U16("質問？ＡＢ.txt")});
    EXPECT_TRUE(window.messages.empty());
    EXPECT_EQ(ListFolder(dir.Path() / "_rename"), Names{"質問？AB.txt"});
}

}  // namespace
}  // namespace mirado
