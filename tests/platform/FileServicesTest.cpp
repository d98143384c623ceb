#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "FaultySystemCalls.h"
#include "FileServices.h"
#include "NewFile.h"
#include "TempDir.h"
#include "Utf.h"

namespace mirado {
namespace {

using test::ListFolder;
using test::TempDir;
using test::WriteFile;
using Names = std::vector<std::string>;

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
    testing::Values(PathPartsRow{"two_dots", u"/a/archive.tar.gz", u"archive.tar", u"gz", u"/a"},
                    PathPartsRow{"final_dot", u"/a/name.", u"name", u"", u"/a"},
                    PathPartsRow{"in_root", u"/x.txt", u"x", u"txt", u"/"},
                    PathPartsRow{"root_itself", u"/", u"", u"", u""},
                    PathPartsRow{"trailing_separator", u"/a/folder/", u"folder", u"", u"/a"},
                    PathPartsRow{"doubled_separator", u"/a//b.txt", u"b", u"txt", u"/a"},
                    PathPartsRow{"relative", u"x.txt", u"x", u"txt", u""},
                    PathPartsRow{"dot_in_folder_only", u"/a.b/c", u"c", u"", u"/a.b"}),
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

// The next batch into a folder removes the temporary files of batches that
// ended by force, and nothing else: not those of running processes, of other
// computers or users, of unknown owners, links, nor anything not ours.
TEST(FileServices, ListingRemovesOnlyTheTemporaryFilesOfEndedBatches) {
    TempDir dir;
    const TemporaryOwner self = ThisProcess();
    if (self.start == 0) GTEST_SKIP() << "without /proc no process can be told to have ended";
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    ::waitpid(child, nullptr, 0);  // a process that has ended
    const auto name = [](const TemporaryOwner& owner) { return ToUtf8(TemporaryCopyName(owner)); };
    const std::string ended = name({self.host, self.process, self.start + 1});  // an earlier process with our id
    const std::string endedChild = name({self.host, static_cast<std::uint64_t>(child), self.start});
    const std::string running = name(self);
    const std::string otherHost = name({self.host + 1, self.process, self.start + 1});
    const std::string unknownStart = name({self.host, self.process, 0});
    const std::string otherUser = name({self.host, self.process, self.start + 2});
    const std::string link = name({self.host, self.process, self.start + 3});
    const std::string folder = name({self.host, self.process, self.start + 4});
    for (const std::string& file : {ended, endedChild, running, otherHost, unknownStart, otherUser,
                                    std::string(".mirado-0123456789abcdef.tmp"), ended + ".txt", std::string("a.txt")})
        WriteFile(dir.Path() / file, "x");
    std::filesystem::create_symlink(dir.Path() / "a.txt", dir.Path() / link);
    std::filesystem::create_directory(dir.Path() / folder);
    const bool chowned = ::geteuid() == 0 && ::chown((dir.Path() / otherUser).c_str(), 4242, 4242) == 0;

    // One pass of the listing: ended batches' files are no names of it.
    test::FaultySystemCalls calls;
    const std::optional<std::vector<std::u16string>> listed = FileServices(calls).ListFileNames(dir.U16());

    Names kept{".mirado-0123456789abcdef.tmp", "a.txt", ended + ".txt", link, otherHost, running, unknownStart};
    if (chowned) kept.push_back(otherUser);
    std::sort(kept.begin(), kept.end());
    ASSERT_TRUE(listed.has_value());
    Names names;
    for (const std::u16string& text : *listed) names.push_back(ToUtf8(text));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, kept);
    kept.push_back(folder);
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(ListFolder(dir.Path()), kept);
    EXPECT_EQ(calls.Count(test::FaultySystemCalls::Call::Open), 1 + (chowned ? 0 : 1) + 1 + 1)
        << "/proc is read only for names of ours";

    // Nothing is removed through a link to the folder.
    WriteFile(dir.Path() / ended, "x");
    std::filesystem::create_symlink(dir.Path(), dir.Path() / "linked");
    FileServices().ListFileNames(dir.U16("linked"));
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / ended));
}

// Where a disk can neither rename without replacing nor link, a copy
// claims its name with an empty file first. A batch killed right then
// leaves the claim, its record and the data under a temporary name; the
// next batch into the folder removes all three, and nothing else: not a
// name that holds a finished copy by then.
TEST(FileServices, AClaimLeftByAKilledBatchIsRemovedWithItsRecord) {
    if (ThisProcess().start == 0) GTEST_SKIP() << "without /proc no process can be told to have ended";
    TempDir dir;
    WriteFile(dir.Path() / "a", "data");
    std::filesystem::create_directory(dir.Path() / "out");
    const pid_t child = ::fork();
    if (child == 0) {
        test::FaultySystemCalls calls;
        calls.Fail(test::FaultySystemCalls::Call::OpenUnnamed, EOPNOTSUPP);
        calls.Fail(test::FaultySystemCalls::Call::RenameNoReplace, EINVAL);
        calls.Fail(test::FaultySystemCalls::Call::LinkAt, EPERM);
        calls.before = [](test::FaultySystemCalls::Call call) {
            if (call == test::FaultySystemCalls::Call::Rename) ::raise(SIGKILL);
        };
        FileServices(calls).CopyNoReplace(dir.U16("a"), dir.U16("out"), u"b");
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    Names left = ListFolder(dir.Path() / "out");
    ASSERT_EQ(left.size(), 3u);
    EXPECT_EQ(left.back(), "b") << "the empty claim";
    EXPECT_NE(left[0].ends_with(".claim"), left[1].ends_with(".claim")) << "its record, and the data";
    // A record whose name holds a finished copy: only the record goes.
    const TemporaryOwner self = ThisProcess();
    const std::string record = ToUtf8(TemporaryClaimName({self.host, self.process, self.start + 1}));
    WriteFile(dir.Path() / "out" / record, "c");
    WriteFile(dir.Path() / "out/c", "a finished copy");

    const auto listed = FileServices().ListFileNames(dir.U16("out"));

    ASSERT_TRUE(listed.has_value());
    EXPECT_EQ(*listed, std::vector<std::u16string>{u"c"});
    EXPECT_EQ(ListFolder(dir.Path() / "out"), Names{"c"});
}

// Where new files cannot be unnamed, the temporary name says whose it is.
TEST(FileServices, TemporaryNamesSayWhoseTheyAre) {
    TempDir dir;
    WriteFile(dir.Path() / "a", "data");
    test::FaultySystemCalls calls;
    calls.Fail(test::FaultySystemCalls::Call::OpenUnnamed, EOPNOTSUPP);
    Names during;
    calls.before = [&](test::FaultySystemCalls::Call call) {
        if (call == test::FaultySystemCalls::Call::RenameNoReplace) during = ListFolder(dir.Path());
    };
    FileServices(calls).CopyNoReplace(dir.U16("a"), dir.U16(), u"b");
    const std::string owner = ToUtf8(TemporaryCopyName(ThisProcess())).substr(0, 8 + 3 * 17);
    ASSERT_EQ(during.size(), 2u);
    EXPECT_EQ(during[0].substr(0, owner.size()), owner);
}

}  // namespace
}  // namespace mirado
