#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <optional>

#include "Error.h"
#include "FaultySystemCalls.h"
#include "FileServices.h"
#include "ScratchMount.h"
#include "TempDir.h"

namespace mirado {
namespace {

using test::FaultySystemCalls;
using test::ListFolder;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;
using Call = FaultySystemCalls::Call;

std::optional<Error> CopyError(const FileServices& fso, const std::u16string& from, const std::u16string& to) {
    try {
        fso.CopyFile(from, to);
        return std::nullopt;
    } catch (const Error& e) {
        return e;
    }
}

struct stat StatOf(const std::filesystem::path& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
    return info;
}

TEST(FileCopy, CopiesDataPermissionsAndTimes) {
    TempDir dir;
    const auto source = dir.Path() / "src.bin";
    std::string data(3 * 1024 * 1024 + 17, '\0');
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 31 % 251);
    WriteFile(source, data);
    ::chmod(source.c_str(), 0640);
    const struct timespec times[2] = {{1000000000, 5}, {1258416303, 123456789}};
    ::utimensat(AT_FDCWD, source.c_str(), times, 0);
    std::filesystem::create_directory(dir.Path() / "out");

    FileServices().CopyFile(dir.U16("src.bin"), dir.U16("out/copy.bin"));

    EXPECT_EQ(ReadFile(dir.Path() / "out/copy.bin"), data);
    const struct stat copy = StatOf(dir.Path() / "out/copy.bin");
    EXPECT_EQ(copy.st_mode & 07777, 0640u);
    EXPECT_EQ(copy.st_mtim.tv_sec, 1258416303);
    EXPECT_EQ(copy.st_mtim.tv_nsec, 123456789);
    EXPECT_EQ(ReadFile(source), data) << "the source is untouched";
    EXPECT_EQ(ListFolder(dir.Path() / "out"), std::vector<std::string>{"copy.bin"});
}

TEST(FileCopy, EveryWayOfMovingDataGivesTheSameCopy) {
    // Each row turns off the faster ways, so the slower ones get exercised too.
    const std::vector<std::vector<Call>> offs = {{}, {Call::Clone}, {Call::Clone, Call::CopyFileRange}};
    for (const auto& off : offs) {
        TempDir dir;
        const std::string data(2 * 1024 * 1024 + 3, 'q');
        WriteFile(dir.Path() / "a", data);
        FaultySystemCalls calls;
        for (const Call call : off) calls.Fail(call, EOPNOTSUPP);
        FileServices(calls).CopyFile(dir.U16("a"), dir.U16("b"));
        EXPECT_EQ(ReadFile(dir.Path() / "b"), data) << off.size() << " ways turned off";
    }
}

TEST(FileCopy, UnnamedFileIsLinkedInWithoutPrivileges) {
    // Without CAP_DAC_READ_SEARCH linking by descriptor fails with ENOENT;
    // the copy then links through /proc.
    TempDir dir;
    WriteFile(dir.Path() / "a", "data");
    FaultySystemCalls calls;
    calls.Fail(Call::LinkAt, ENOENT, 0, 1);
    FileServices(calls).CopyFile(dir.U16("a"), dir.U16("b"));
    EXPECT_EQ(calls.Count(Call::LinkAt), 2);
    EXPECT_EQ(ReadFile(dir.Path() / "b"), "data");
}

TEST(FileCopy, EmptyFileIsCopied) {
    TempDir dir;
    WriteFile(dir.Path() / "empty", "");
    FileServices().CopyFile(dir.U16("empty"), dir.U16("copy"));
    EXPECT_EQ(std::filesystem::file_size(dir.Path() / "copy"), 0u);
}

TEST(FileCopy, FollowsSymbolicLinksToTheFile) {
    TempDir dir;
    WriteFile(dir.Path() / "real.txt", "contents");
    std::filesystem::create_symlink(dir.Path() / "real.txt", dir.Path() / "link.txt");
    FileServices().CopyFile(dir.U16("link.txt"), dir.U16("copy.txt"));
    EXPECT_FALSE(std::filesystem::is_symlink(dir.Path() / "copy.txt"));
    EXPECT_EQ(ReadFile(dir.Path() / "copy.txt"), "contents");
}

TEST(FileCopy, NeverReplacesAnExistingFile) {
    TempDir dir;
    WriteFile(dir.Path() / "new.txt", "new");
    WriteFile(dir.Path() / "taken.txt", "old");
    const auto error = CopyError(FileServices(), dir.U16("new.txt"), dir.U16("taken.txt"));
    ASSERT_TRUE(error);
    EXPECT_EQ(error->Number(), EEXIST);
    EXPECT_EQ(error->Description(), u"コピー先のファイル「" + dir.U16("taken.txt") +
                                        u"」を作成できません。同じ名前のファイルまたはフォルダーが既にあります。");
    EXPECT_EQ(ReadFile(dir.Path() / "taken.txt"), "old");
}

TEST(FileCopy, AFileThatAppearsDuringTheCopyIsNotReplaced) {
    // Both ways of creating the target: the unnamed file linked in at the
    // end, and the exclusive create where unnamed files are not offered.
    for (const bool unnamed : {true, false}) {
        TempDir dir;
        WriteFile(dir.Path() / "src.txt", "mine");
        FaultySystemCalls calls;
        if (!unnamed) calls.Fail(Call::OpenUnnamed, EOPNOTSUPP);
        const auto target = dir.Path() / "dst.txt";
        calls.before = [&](Call call) {
            if (call == (unnamed ? Call::LinkAt : Call::OpenAt) && !std::filesystem::exists(target))
                WriteFile(target, "theirs");
        };
        const auto error = CopyError(FileServices(calls), dir.U16("src.txt"), dir.U16("dst.txt"));
        ASSERT_TRUE(error) << "unnamed=" << unnamed;
        EXPECT_EQ(error->Number(), EEXIST);
        EXPECT_EQ(ReadFile(target), "theirs");
        EXPECT_EQ(ListFolder(dir.Path()), (std::vector<std::string>{"dst.txt", "src.txt"}));
    }
}

TEST(FileCopy, AFailedWriteLeavesNoPartialFile) {
    for (const bool unnamed : {true, false}) {
        TempDir dir;
        WriteFile(dir.Path() / "src.txt", std::string(5 * 1024 * 1024, 'x'));
        FaultySystemCalls calls;
        if (!unnamed) calls.Fail(Call::OpenUnnamed, EOPNOTSUPP);
        calls.Fail(Call::Clone, EOPNOTSUPP);
        calls.Fail(Call::CopyFileRange, ENOSPC, 2);  // fails after two chunks went through
        const auto error = CopyError(FileServices(calls), dir.U16("src.txt"), dir.U16("dst.txt"));
        ASSERT_TRUE(error) << "unnamed=" << unnamed;
        EXPECT_EQ(error->Number(), ENOSPC);
        EXPECT_EQ(error->Description(),
                  u"「" + dir.U16("dst.txt") + u"」へのコピー中にエラーが発生しました。ディスクの空き領域が不足しています。");
        EXPECT_EQ(ListFolder(dir.Path()), std::vector<std::string>{"src.txt"});
    }
}

TEST(FileCopy, RefusesWhatIsNotARegularFileBeforeOpeningIt) {
    TempDir dir;
    ASSERT_EQ(::mkfifo((dir.Path() / "fifo").c_str(), 0600), 0);
    std::filesystem::create_directory(dir.Path() / "folder");
    FaultySystemCalls calls;
    const FileServices fso(calls);
    for (const std::u16string& source : {dir.U16("fifo"), dir.U16("folder"), std::u16string(u"/dev/zero")}) {
        const auto error = CopyError(fso, source, dir.U16("copy"));
        ASSERT_TRUE(error);
        EXPECT_EQ(error->Number(), 1002);
        EXPECT_EQ(error->Description(), u"「" + source + u"」は通常のファイルではないため、処理できません。");
    }
    EXPECT_EQ(calls.Count(Call::Open), 0) << "nothing was opened";
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "copy"));
}

TEST(FileCopy, MissingSourceAndMissingFolderAreNamed) {
    TempDir dir;
    WriteFile(dir.Path() / "src.txt", "x");
    const FileServices fso;

    auto error = CopyError(fso, dir.U16("gone.txt"), dir.U16("copy.txt"));
    ASSERT_TRUE(error);
    EXPECT_EQ(error->Number(), ENOENT);
    EXPECT_EQ(error->Description(),
              u"コピー元のファイル「" + dir.U16("gone.txt") + u"」を開けません。ファイルまたはフォルダーが見つかりません。");

    error = CopyError(fso, dir.U16("src.txt"), dir.U16("_rename/copy.txt"));
    ASSERT_TRUE(error);
    EXPECT_EQ(error->Number(), ENOENT);
    EXPECT_EQ(error->Description(), u"コピー先のフォルダー「" + dir.U16("_rename") +
                                        u"」を開けません。ファイルまたはフォルダーが見つかりません。");
}

TEST(FileCopy, AFolderInTheWayFailsTheCopy) {
    TempDir dir;
    WriteFile(dir.Path() / "src.txt", "x");
    std::filesystem::create_directory(dir.Path() / "dst.txt");
    const auto error = CopyError(FileServices(), dir.U16("src.txt"), dir.U16("dst.txt"));
    ASSERT_TRUE(error);
    EXPECT_EQ(error->Number(), EEXIST);
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path() / "dst.txt"));
}

TEST(FileCopy, ANameTooLongIsRefusedBeforeAnyDataMoves) {
    TempDir dir;
    WriteFile(dir.Path() / "src.txt", "x");
    // 86 full-width characters are 258 bytes in UTF-8, over the 255 a name may have.
    const std::u16string longName(86, u'Ａ');
    FaultySystemCalls calls;
    const auto error = CopyError(FileServices(calls), dir.U16("src.txt"), dir.U16() + u"/" + longName + u".txt");
    ASSERT_TRUE(error);
    EXPECT_EQ(error->Number(), ENAMETOOLONG);
    EXPECT_NE(error->Description().find(u"ファイル名またはパスが長すぎます。"), std::u16string::npos);
    EXPECT_EQ(calls.Count(Call::CopyFileRange), 0);
}

TEST(FileCopy, ANameEndingInADotIsStoredWithoutIt) {
    TempDir dir;
    WriteFile(dir.Path() / "README", "read me");
    std::filesystem::create_directory(dir.Path() / "out");
    FileServices().CopyFile(dir.U16("README"), dir.U16("out/README."));
    EXPECT_EQ(ListFolder(dir.Path() / "out"), std::vector<std::string>{"README"});
}

TEST(FileCopy, DiskFullLeavesNothingBehind) {
    std::string whyNot;
    const auto mount = test::ScratchMount::Create(64 * 1024, whyNot);
    if (!mount) GTEST_SKIP() << whyNot;
    TempDir dir;
    WriteFile(dir.Path() / "big.bin", std::string(1024 * 1024, 'z'));
    const auto target = test::U16(mount->Path() / "big.bin");

    const auto error = CopyError(FileServices(), dir.U16("big.bin"), target);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->Number(), ENOSPC);
    EXPECT_EQ(error->Description(),
              u"「" + target + u"」へのコピー中にエラーが発生しました。ディスクの空き領域が不足しています。");
    EXPECT_TRUE(ListFolder(mount->Path()).empty());
}

TEST(FileCopy, ReadOnlyLocationIsReportedAndSourceCanBeReadOnly) {
    std::string whyNot;
    const auto mount = test::ScratchMount::Create(1024 * 1024, whyNot);
    if (!mount) GTEST_SKIP() << whyNot;
    WriteFile(mount->Path() / "src.txt", "on a read-only disk");
    if (!mount->MakeReadOnly()) GTEST_SKIP() << "remounting read-only was refused";
    TempDir dir;

    FileServices().CopyFile(test::U16(mount->Path() / "src.txt"), dir.U16("copy.txt"));
    EXPECT_EQ(ReadFile(dir.Path() / "copy.txt"), "on a read-only disk");

    const auto target = test::U16(mount->Path() / "copy.txt");
    const auto error = CopyError(FileServices(), dir.U16("copy.txt"), target);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->Number(), EROFS);
    EXPECT_EQ(error->Description(),
              u"コピー先のファイル「" + target + u"」を作成できません。読み取り専用の場所には書き込めません。");
}

}  // namespace
}  // namespace mirado
