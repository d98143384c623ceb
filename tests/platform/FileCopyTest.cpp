#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <optional>

#include "ErrorOf.h"
#include "FaultySystemCalls.h"
#include "FileServices.h"
#include "ScratchMount.h"
#include "TempDir.h"

namespace mirado {
namespace {

using test::ErrorOf;
using test::FaultySystemCalls;
using test::ListFolder;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;
using Call = FaultySystemCalls::Call;
using Names = std::vector<std::string>;

TEST(FileCopy, CopiesDataPermissionsAndTimes) {
    TempDir dir;
    const auto source = dir.Path() / "src.bin";
    std::string data(3 * 1024 * 1024 + 17, '\0');
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 31 % 251);
    WriteFile(source, data);
    ::chmod(source.c_str(), 0640);
    const struct timespec times[2] = {{1000000000, 5}, {1258416303, 123456789}};
    ::utimensat(AT_FDCWD, source.c_str(), times, 0);

    FileServices().CopyFile(dir.U16("src.bin"), dir.U16("copy.bin"));

    EXPECT_EQ(ReadFile(dir.Path() / "copy.bin"), data);
    struct stat copy {};
    ASSERT_EQ(::stat((dir.Path() / "copy.bin").c_str(), &copy), 0);
    EXPECT_EQ(copy.st_mode & 07777, 0640u);
    EXPECT_EQ(copy.st_mtim.tv_sec, 1258416303);
    EXPECT_EQ(copy.st_mtim.tv_nsec, 123456789);
    EXPECT_EQ(ReadFile(source), data) << "the source is untouched";
}

TEST(FileCopy, EveryWayOfCopyingGivesTheSameFile) {
    // Each row turns off faster ways, so the slower ones and the
    // unprivileged link through /proc get exercised too.
    struct Row {
        std::vector<Call> off;
        size_t size;
    };
    for (const Row& row : {Row{{}, 2 * 1024 * 1024 + 3}, Row{{Call::Clone}, 5}, Row{{Call::Clone}, 0},
                           Row{{Call::Clone, Call::CopyFileRange}, 2 * 1024 * 1024 + 3}, Row{{Call::LinkAt}, 7}}) {
        TempDir dir;
        const std::string data(row.size, 'q');
        WriteFile(dir.Path() / "a", data);
        FaultySystemCalls calls;
        for (const Call call : row.off) calls.Fail(call, call == Call::LinkAt ? ENOENT : EOPNOTSUPP, 0, 1);
        FileServices(calls).CopyFile(dir.U16("a"), dir.U16("b"));
        EXPECT_EQ(ReadFile(dir.Path() / "b"), data) << row.off.size() << " ways off, " << row.size << " bytes";
    }
}

TEST(FileCopy, FollowsSymbolicLinksToTheFile) {
    TempDir dir;
    WriteFile(dir.Path() / "real.txt", "contents");
    std::filesystem::create_symlink(dir.Path() / "real.txt", dir.Path() / "link.txt");
    FileServices().CopyFile(dir.U16("link.txt"), dir.U16("copy.txt"));
    EXPECT_FALSE(std::filesystem::is_symlink(dir.Path() / "copy.txt"));
    EXPECT_EQ(ReadFile(dir.Path() / "copy.txt"), "contents");
}

TEST(FileCopy, NeverReplacesAFileNotEvenOneThatAppearsMeanwhile) {
    // Without a race, and with the file appearing just before the unnamed
    // copy is linked in or just before the exclusive create.
    for (const std::optional<Call> raceAt : {std::optional<Call>(), std::optional(Call::LinkAt), std::optional(Call::OpenAt)}) {
        TempDir dir;
        const auto target = dir.Path() / "dst.txt";
        WriteFile(dir.Path() / "src.txt", "mine");
        if (!raceAt) WriteFile(target, "theirs");
        FaultySystemCalls calls;
        if (raceAt == Call::OpenAt) calls.Fail(Call::OpenUnnamed, EOPNOTSUPP);
        calls.before = [&](Call call) {
            if (call == raceAt && !std::filesystem::exists(target)) WriteFile(target, "theirs");
        };
        EXPECT_EQ(ErrorOf([&] { FileServices(calls).CopyFile(dir.U16("src.txt"), dir.U16("dst.txt")); }),
                  u"17:コピー先のファイル「" + dir.U16("dst.txt") +
                      u"」を作成できません。同じ名前のファイルまたはフォルダーが既にあります。");
        EXPECT_EQ(ReadFile(target), "theirs");
        EXPECT_EQ(ListFolder(dir.Path()), (Names{"dst.txt", "src.txt"}));
    }
}

TEST(FileCopy, AFailedWriteLeavesNoPartialFile) {
    for (const bool unnamed : {true, false}) {
        TempDir dir;
        WriteFile(dir.Path() / "src.txt", std::string(5 * 1024 * 1024, 'x'));
        FaultySystemCalls calls;
        if (!unnamed) calls.Fail(Call::OpenUnnamed, EOPNOTSUPP);
        calls.Fail(Call::Clone, EOPNOTSUPP);
        calls.Fail(Call::CopyFileRange, ENOSPC, 2);  // after two chunks went through
        EXPECT_EQ(ErrorOf([&] { FileServices(calls).CopyFile(dir.U16("src.txt"), dir.U16("dst.txt")); }),
                  u"28:「" + dir.U16("dst.txt") + u"」へのコピー中にエラーが発生しました。ディスクの空き領域が不足しています。");
        EXPECT_EQ(ListFolder(dir.Path()), Names{"src.txt"}) << "unnamed=" << unnamed;
    }
}

TEST(FileCopy, RefusesWhatIsNotARegularFileBeforeOpeningIt) {
    TempDir dir;
    ASSERT_EQ(::mkfifo((dir.Path() / "fifo").c_str(), 0600), 0);
    std::filesystem::create_directory(dir.Path() / "folder");
    FaultySystemCalls calls;
    for (const std::u16string& source : {dir.U16("fifo"), dir.U16("folder"), std::u16string(u"/dev/zero")}) {
        EXPECT_EQ(ErrorOf([&] { FileServices(calls).CopyFile(source, dir.U16("copy")); }),
                  u"1002:「" + source + u"」は通常のファイルではないため、処理できません。");
    }
    EXPECT_EQ(calls.Count(Call::Open), 0) << "nothing was opened";
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "copy"));
}

TEST(FileCopy, FailuresNameThePathInvolved) {
    TempDir dir;
    WriteFile(dir.Path() / "src.txt", "x");
    std::filesystem::create_directory(dir.Path() / "taken");
    FaultySystemCalls calls;
    const FileServices fso(calls);
    const auto copy = [&](const char* from, const std::u16string& to) {
        return ErrorOf([&] { fso.CopyFile(dir.U16(from), to); });
    };
    EXPECT_EQ(copy("gone.txt", dir.U16("c.txt")),
              u"2:コピー元のファイル「" + dir.U16("gone.txt") + u"」を開けません。ファイルまたはフォルダーが見つかりません。");
    EXPECT_EQ(copy("src.txt", dir.U16("_rename/c.txt")),
              u"2:コピー先のフォルダー「" + dir.U16("_rename") + u"」を開けません。ファイルまたはフォルダーが見つかりません。");
    EXPECT_EQ(copy("src.txt", dir.U16("taken")),
              u"17:コピー先のファイル「" + dir.U16("taken") + u"」を作成できません。同じ名前のファイルまたはフォルダーが既にあります。");
    // 86 full-width letters are 258 bytes in UTF-8, over the 255 a name may have.
    const std::u16string longName = dir.U16() + u"/" + std::u16string(86, u'Ａ') + u".txt";
    const int copiesBefore = calls.Count(Call::CopyFileRange);
    EXPECT_EQ(copy("src.txt", longName), u"36:コピー先のファイル「" + longName + u"」を作成できません。ファイル名またはパスが長すぎます。");
    EXPECT_EQ(calls.Count(Call::CopyFileRange), copiesBefore) << "refused before any data moved";
}

TEST(FileCopy, ANameEndingInADotIsStoredWithoutIt) {
    TempDir dir;
    WriteFile(dir.Path() / "README", "read me");
    std::filesystem::create_directory(dir.Path() / "out");
    FileServices().CopyFile(dir.U16("README"), dir.U16("out/README."));
    EXPECT_EQ(ListFolder(dir.Path() / "out"), Names{"README"});
}

TEST(FileCopy, DiskFullLeavesNothingBehind) {
    std::string whyNot;
    const auto mount = test::ScratchMount::Create(64 * 1024, whyNot);
    if (!mount) GTEST_SKIP() << whyNot;
    TempDir dir;
    WriteFile(dir.Path() / "big.bin", std::string(1024 * 1024, 'z'));
    const auto target = test::U16(mount->Path() / "big.bin");
    EXPECT_EQ(ErrorOf([&] { FileServices().CopyFile(dir.U16("big.bin"), target); }),
              u"28:「" + target + u"」へのコピー中にエラーが発生しました。ディスクの空き領域が不足しています。");
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
    EXPECT_EQ(ErrorOf([&] { FileServices().CopyFile(dir.U16("copy.txt"), target); }),
              u"30:コピー先のファイル「" + target + u"」を作成できません。読み取り専用の場所には書き込めません。");
}

}  // namespace
}  // namespace mirado
