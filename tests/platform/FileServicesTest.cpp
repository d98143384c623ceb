#include <gtest/gtest.h>

#include <filesystem>

#include "FileServices.h"
#include "TempDir.h"

namespace mirado {
namespace {

using test::TempDir;
using test::WriteFile;

struct PathPartsRow {
    const char* label;
    std::u16string path;
    std::u16string base;
    std::u16string ext;
    std::u16string parent;
};
void PrintTo(const PathPartsRow& row, std::ostream* out) { *out << row.label; }

class PathParts : public testing::TestWithParam<PathPartsRow> {};

TEST_P(PathParts, SplitLikeTheNamingRuleExpects) {
    const FileServices fso;
    const PathPartsRow& row = GetParam();
    EXPECT_EQ(fso.GetBaseName(row.path), row.base);
    EXPECT_EQ(fso.GetExtensionName(row.path), row.ext);
    EXPECT_EQ(fso.GetParentFolderName(row.path), row.parent);
}

INSTANTIATE_TEST_SUITE_P(
    FileServices, PathParts,
    testing::Values(PathPartsRow{"plain", u"/a/report.txt", u"report", u"txt", u"/a"},
                    PathPartsRow{"two_dots", u"/a/archive.tar.gz", u"archive.tar", u"gz", u"/a"},
                    PathPartsRow{"no_extension", u"/a/README", u"README", u"", u"/a"},
                    PathPartsRow{"leading_dot", u"/home/u/.profile", u"", u"profile", u"/home/u"},
                    PathPartsRow{"final_dot", u"/a/name.", u"name", u"", u"/a"},
                    PathPartsRow{"in_root", u"/x.txt", u"x", u"txt", u"/"},
                    PathPartsRow{"root_itself", u"/", u"", u"", u""},
                    PathPartsRow{"trailing_separator", u"/a/folder/", u"folder", u"", u"/a"},
                    PathPartsRow{"doubled_separator", u"/a//b.txt", u"b", u"txt", u"/a"},
                    PathPartsRow{"relative", u"x.txt", u"x", u"txt", u""},
                    PathPartsRow{"dot_in_folder_only", u"/a.b/c", u"c", u"", u"/a.b"},
                    PathPartsRow{"japanese", u"/写真/ねこ　１.JPG", u"ねこ　１", u"JPG", u"/写真"}),
    [](const testing::TestParamInfo<PathPartsRow>& info) { return std::string(info.param.label); });

TEST(FileServices, ExistenceTestsTellFilesFromFolders) {
    TempDir dir;
    WriteFile(dir.Path() / "f.txt", "x");
    std::filesystem::create_directory(dir.Path() / "d");
    std::filesystem::create_symlink(dir.Path() / "missing", dir.Path() / "dangling");
    const FileServices fso;

    EXPECT_TRUE(fso.FileExists(dir.U16("f.txt")));
    EXPECT_FALSE(fso.FileExists(dir.U16("d")));
    EXPECT_FALSE(fso.FileExists(dir.U16("nothing")));
    EXPECT_TRUE(fso.FileExists(dir.U16("dangling"))) << "a link occupies the name even when it points nowhere";
    EXPECT_TRUE(fso.FolderExists(dir.U16("d")));
    EXPECT_FALSE(fso.FolderExists(dir.U16("f.txt")));
    EXPECT_FALSE(fso.FolderExists(dir.U16("nothing")));
}

}  // namespace
}  // namespace mirado
