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
