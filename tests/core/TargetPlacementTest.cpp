#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>

#include "ErrorOf.h"
#include "FileServices.h"
#include "TakenNames.h"
#include "TargetPlacement.h"
#include "TempDir.h"

namespace mirado {
namespace {

using test::TempDir;
using test::WriteFile;

// Runs in an empty working folder, so a relative "_rename" would show.
TEST(TargetPlacement, DestPathRefusesWhatIsNotAFullLocalPath) {
    TempDir work;
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(work.Path());
    FileServices fso;
    for (const std::u16string& source : {std::u16string(u""), std::u16string(u"a.txt"),
                                         std::u16string(u"sftp://host/home/a.txt"), std::u16string(u"/"),
                                         std::u16string(u"/a/b\0c", 6)}) {
        EXPECT_EQ(test::ErrorOf([&] { GetDestPath(fso, source, 0, {}); }),
                  u"1004:「" + source + u"」は、このコンピューターにあるファイルの完全なパスではないため、処理できません。");
    }
    std::filesystem::current_path(previous);
    EXPECT_TRUE(test::ListFolder(work.Path()).empty());
    EXPECT_FALSE(std::filesystem::exists("/_rename"));
}

struct UniqueRow {
    const char* label;
    std::vector<std::string> present;  // files (or "dir/" folders) already in the folder
    std::string target;
    std::string expected;
};
void PrintTo(const UniqueRow& row, std::ostream* out) { *out << row.label; }

class UniquePath : public testing::TestWithParam<UniqueRow> {};

TEST_P(UniquePath, FirstFreeNumberWins) {
    TempDir dir;
    for (const std::string& name : GetParam().present) {
        if (name.back() == '/')
            std::filesystem::create_directory(dir.Path() / name);
        else
            WriteFile(dir.Path() / name, "x");
    }
    FileServices fso;
    TakenNames taken(fso);
    const std::u16string target = test::U16(GetParam().target);
    EXPECT_EQ(GetUniquePath(fso, taken, dir.U16(), target), test::U16(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(
    TargetPlacement, UniquePath,
    testing::Values(UniqueRow{"free", {}, "A.jpg", "A.jpg"},
                    UniqueRow{"taken_once", {"A.jpg"}, "A.jpg", "A（1）.jpg"},
                    UniqueRow{"taken_twice", {"A.jpg", "A（1）.jpg"}, "A.jpg", "A（2）.jpg"},
                    UniqueRow{"gap_reused", {"A.jpg", "A（2）.jpg"}, "A.jpg", "A（1）.jpg"},
                    UniqueRow{"empty_extension", {"README"}, "README.", "README（1）."},
                    UniqueRow{"folder_does_not_count", {"A.jpg/"}, "A.jpg", "A.jpg"},
                    UniqueRow{"dotted_stem", {"a.b.txt"}, "a.b.txt", "a.b（1）.txt"}),
    [](const testing::TestParamInfo<UniqueRow>& info) { return std::string(info.param.label); });

TEST(TargetPlacement, CounterStopsAt32767) {
    TempDir dir;
    const auto touch = [&](const std::string& name) {
        const int fd = ::open((dir.Path() / name).c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0600);
        ASSERT_GE(fd, 0);
        ::close(fd);
    };
    touch("A.jpg");
    for (int n = 1; n <= 32766; ++n) touch("A（" + std::to_string(n) + "）.jpg");
    FileServices fso;
    const auto unique = [&] {
        TakenNames taken(fso);
        return GetUniquePath(fso, taken, dir.U16(), u"A.jpg");
    };
    EXPECT_EQ(unique(), u"A（32767）.jpg");

    touch("A（32767）.jpg");
    EXPECT_EQ(test::ErrorOf(unique),
              u"1001:「" + dir.U16("A.jpg") + u"」の名前は、番号（1）から（32767）を付けたものまで既にすべて使われているため、コピーできません。「_rename」フォルダーの中を整理してから、もう一度ドロップしてください。");
}

}  // namespace
}  // namespace mirado
