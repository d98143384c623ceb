#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>

#include "ErrorOf.h"
#include "FaultySystemCalls.h"
#include "FileServices.h"
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

// Each row turns off faster ways (a call fails that many times), so the
// slower ones, the unprivileged link through /proc and the temporary name of
// file systems without unnamed files get exercised too. Each gives the file
// behind a link with its data, permissions and times, and leaves no
// temporary name.
TEST(FileCopy, EveryWayOfCopyingGivesTheSameFile) {
    struct Row {
        const char* label;
        std::map<Call, std::pair<int, int>> off;  // call -> errno, times
        size_t size;
    };
    const size_t big = 2 * 1024 * 1024 + 3;
    for (const Row& row : {Row{"fastest", {}, big}, Row{"empty", {}, 0} /* takes its name at once */,
                           Row{"no_clone", {{Call::Clone, {EOPNOTSUPP, 1}}}, 5},
                           Row{"buffer", {{Call::Clone, {EOPNOTSUPP, 1}}, {Call::CopyFileRange, {EXDEV, 1}}}, big},
                           Row{"link_through_proc", {{Call::LinkAt, {ENOENT, 1}}}, 7},
                           Row{"unnamed_not_linkable", {{Call::LinkAt, {ENOENT, 2}}}, 7},
                           Row{"no_unnamed_files", {{Call::OpenUnnamed, {EOPNOTSUPP, 1}}}, big}}) {
        SCOPED_TRACE(row.label);
        TempDir dir;
        const auto source = dir.Path() / "a";
        std::string data(row.size, '\0');
        for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 31 % 251);
        WriteFile(source, data);
        ::chmod(source.c_str(), 0640);
        const struct timespec times[2] = {{1000000000, 5}, {1258416303, 123456789}};
        ::utimensat(AT_FDCWD, source.c_str(), times, 0);
        std::filesystem::create_symlink(source, dir.Path() / "link");
        FaultySystemCalls calls;
        for (const auto& [call, fault] : row.off) calls.Fail(call, fault.first, 0, fault.second);

        FileServices(calls).CopyNoReplace(dir.U16("link"), dir.U16(), u"b");

        EXPECT_EQ(ReadFile(dir.Path() / "b"), data);
        EXPECT_FALSE(std::filesystem::is_symlink(dir.Path() / "b"));
        struct stat copy {};
        ASSERT_EQ(::stat((dir.Path() / "b").c_str(), &copy), 0);
        EXPECT_EQ(copy.st_mode & 07777, 0640u);
        EXPECT_EQ(copy.st_mtim.tv_sec, 1258416303);
        EXPECT_EQ(copy.st_mtim.tv_nsec, 123456789);
        EXPECT_EQ(ReadFile(source), data) << "the source is untouched";
        EXPECT_EQ(ListFolder(dir.Path()), (Names{"a", "b", "link"}));
    }
}

// A 1 GiB disk image holding 8 KiB of data must not become 1 GiB of blocks.
TEST(FileCopy, HolesStayHoles) {
    for (const bool buffer : {false, true}) {
        TempDir dir;
        const auto source = dir.Path() / "disk.img";
        const off_t size = off_t{1} << 30;
        WriteFile(source, "head");
        std::filesystem::resize_file(source, size);
        ASSERT_TRUE(std::fstream(source, std::ios::in | std::ios::out | std::ios::binary).seekp(size / 2)
                    << std::string(4096, 'm'));
        FaultySystemCalls calls;
        calls.Fail(Call::Clone, EOPNOTSUPP);
        if (buffer) calls.Fail(Call::CopyFileRange, EOPNOTSUPP);
        FileServices(calls).CopyNoReplace(test::U16(source), dir.U16(), u"copy.img");

        struct stat original {}, copy {};
        ASSERT_EQ(::stat(source.c_str(), &original), 0);
        ASSERT_EQ(::stat((dir.Path() / "copy.img").c_str(), &copy), 0);
        EXPECT_EQ(copy.st_size, size);
        EXPECT_LE(copy.st_blocks * 512, original.st_blocks * 512 * 101 / 100 + 64 * 1024) << "buffer=" << buffer;
        std::ifstream in(dir.Path() / "copy.img", std::ios::binary);
        std::string head(4, '\0'), middle(4097, '\0');
        in.read(head.data(), 4);
        in.seekg(size / 2 - 1).read(middle.data(), 4097);
        EXPECT_EQ(head, "head");
        EXPECT_EQ(middle, std::string(1, '\0') + std::string(4096, 'm'));
    }
}

// A copy belongs to whoever runs the program: set-id bits stay only while
// the copy has the source's owner and group.
TEST(FileCopy, SetIdBitsNeedTheSameOwnerAndGroup) {
    if (::geteuid() != 0) GTEST_SKIP() << "giving the source another owner needs root";
    struct Row {
        uid_t owner;
        gid_t group;
        mode_t mode, expected;
    };
    for (const Row& row : {Row{12345, 0, 06755, 0755}, Row{0, 12345, 02755, 0755}, Row{0, 0, 06755, 06755}}) {
        TempDir dir;
        WriteFile(dir.Path() / "tool", "#!/bin/sh\n");
        ASSERT_EQ(::chown((dir.Path() / "tool").c_str(), row.owner, row.group), 0);
        ASSERT_EQ(::chmod((dir.Path() / "tool").c_str(), row.mode), 0);
        FileServices().CopyNoReplace(dir.U16("tool"), dir.U16(), u"copy");
        struct stat copy {};
        ASSERT_EQ(::stat((dir.Path() / "copy").c_str(), &copy), 0);
        EXPECT_EQ(copy.st_mode & 07777, row.expected) << "owner " << row.owner << ", group " << row.group;
    }
}

// The access ACL goes with the data; where the target refuses it, the group
// gets no more than the ACL gave it. User attributes come along too.
TEST(FileCopy, AccessAclIsKeptOrNeverWidened) {
    for (const bool refused : {false, true}) {
        TempDir dir;
        const auto source = dir.Path() / "shared.txt";
        WriteFile(source, "secret");
        ASSERT_EQ(::chmod(source.c_str(), 0660), 0);
        // owner rw-, owning group ---, mask rw-, others ---, as setfacl writes it.
        const uint16_t acl[] = {2, 0, 0x01, 6, 0xFFFF, 0xFFFF, 0x04, 0, 0xFFFF, 0xFFFF,
                                0x10, 6, 0xFFFF, 0xFFFF, 0x20, 0, 0xFFFF, 0xFFFF};
        if (::setxattr(source.c_str(), "system.posix_acl_access", acl, sizeof acl, 0) != 0)
            GTEST_SKIP() << "this file system takes no ACLs";
        const bool userAttributes = ::setxattr(source.c_str(), "user.origin", "camera", 6, 0) == 0;
        FaultySystemCalls calls;
        if (refused) calls.Fail(Call::FSetXattr, EOPNOTSUPP);

        FileServices(calls).CopyNoReplace(test::U16(source), dir.U16(), u"copy.txt");

        const auto copy = dir.Path() / "copy.txt";
        struct stat info {};
        ASSERT_EQ(::stat(copy.c_str(), &info), 0);
        char value[64] = {};
        const ssize_t aclSize = ::getxattr(copy.c_str(), "system.posix_acl_access", value, sizeof value);
        if (refused) {
            EXPECT_EQ(info.st_mode & 0777, 0600u) << "the group had no rights";
            EXPECT_LT(aclSize, 0);
        } else {
            EXPECT_EQ(info.st_mode & 0777, 0660u);
            ASSERT_EQ(aclSize, static_cast<ssize_t>(sizeof acl));
            EXPECT_EQ(std::memcmp(value, acl, sizeof acl), 0);
            if (userAttributes) { EXPECT_EQ(::getxattr(copy.c_str(), "user.origin", value, sizeof value), 6); }
        }
    }
}

// A source written to while it is copied gives no copy: not one rewritten
// in place, and not one that keeps growing (which must not keep the copy
// going either).
TEST(FileCopy, ASourceThatChangesDuringTheCopyGivesNoCopy) {
    for (const bool grows : {false, true}) {
        TempDir dir;
        const auto source = dir.Path() / "log.txt";
        WriteFile(source, std::string(3 * 1024 * 1024, 'o'));
        test::SetModified(source, 2009, 11, 17, 9, 5, 3);
        FaultySystemCalls calls;
        calls.before = [&](Call call) {
            if (call != Call::CopyFileRange) return;
            if (grows) {
                std::ofstream(source, std::ios::binary | std::ios::app) << std::string(1024 * 1024, 'g');
            } else if (calls.Count(Call::CopyFileRange) == 2) {
                WriteFile(source, std::string(3 * 1024 * 1024, 'n'));
            }
        };
        EXPECT_EQ(ErrorOf([&] { FileServices(calls).CopyNoReplace(test::U16(source), dir.U16(), u"copy.txt"); }),
                  u"1006:コピー元のファイル「" + test::U16(source) + u"」がコピー中に変更されたため、コピーを取り消しました。");
        EXPECT_EQ(ListFolder(dir.Path()), Names{"log.txt"}) << "grows=" << grows;
        EXPECT_LE(calls.Count(Call::CopyFileRange), 4) << "no more than the size at the start is copied";
    }
}

// Also where unnamed files are not offered: then only the copy's own
// temporary name is removed, never a file that another program saved
// under the final name meanwhile.
TEST(FileCopy, AFailedWriteLeavesNoPartialFile) {
    for (const bool unnamed : {true, false}) {
        TempDir dir;
        WriteFile(dir.Path() / "src.txt", std::string(5 * 1024 * 1024, 'x'));
        FaultySystemCalls calls;
        if (!unnamed) calls.Fail(Call::OpenUnnamed, EOPNOTSUPP);
        calls.Fail(Call::Clone, EOPNOTSUPP);
        calls.Fail(Call::CopyFileRange, ENOSPC, 2);  // after two chunks went through
        calls.before = [&](Call call) {
            if (call == Call::CopyFileRange && calls.Count(call) == 2) WriteFile(dir.Path() / "dst.txt", "theirs");
        };
        EXPECT_EQ(ErrorOf([&] { FileServices(calls).CopyNoReplace(dir.U16("src.txt"), dir.U16(), u"dst.txt"); }),
                  u"28:コピー先のファイル「" + dir.U16("dst.txt") + u"」への書き込みを完了できません。ディスクの空き領域が不足しています。"
                  u"不要なファイルを削除して空き領域を増やしてから、もう一度ドロップしてください。");
        EXPECT_EQ(ListFolder(dir.Path()), (Names{"dst.txt", "src.txt"})) << "unnamed=" << unnamed;
        EXPECT_EQ(ReadFile(dir.Path() / "dst.txt"), "theirs");
    }
}

TEST(FileCopy, RefusesWhatIsNotARegularFileBeforeOpeningIt) {
    TempDir dir;
    ASSERT_EQ(::mkfifo((dir.Path() / "fifo").c_str(), 0600), 0);
    std::filesystem::create_directory(dir.Path() / "folder");
    FaultySystemCalls calls;
    for (const std::u16string& source : {dir.U16("fifo"), dir.U16("folder"), std::u16string(u"/dev/zero")}) {
        EXPECT_EQ(ErrorOf([&] { FileServices(calls).CopyNoReplace(source, dir.U16(), u"copy"); }),
                  u"1002:「" + source + u"」は通常のファイルではないため、処理できません。");
    }
    EXPECT_EQ(calls.Count(Call::Open), 0) << "nothing was opened";
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "copy"));
}

TEST(FileCopy, FailuresNameThePathInvolved) {
    TempDir dir;
    WriteFile(dir.Path() / "src.txt", "x");
    FaultySystemCalls calls;
    const FileServices fso(calls);
    const auto copy = [&](const char* from, std::u16string_view to) {
        return ErrorOf([&] { fso.CopyNoReplace(dir.U16(from), to.substr(0, to.rfind(u'/')), to.substr(to.rfind(u'/') + 1)); });
    };
    EXPECT_EQ(copy("src.txt", dir.U16("_rename/c.txt")),
              u"2:コピー先のフォルダー「" + dir.U16("_rename") + u"」を開けません。ファイルまたはフォルダーが見つかりません。");
    std::filesystem::create_directory(dir.Path() / "elsewhere");
    std::filesystem::create_directory_symlink("elsewhere", dir.Path() / "link");
    EXPECT_EQ(copy("src.txt", dir.U16("link/c.txt")).substr(0, 5), u"1005:") << "never through a link";
    EXPECT_TRUE(ListFolder(dir.Path() / "elsewhere").empty());
    WriteFile(dir.Path() / "empty.txt", "");  // created under its name at once, but never in place of a file
    EXPECT_EQ(copy("empty.txt", dir.U16("src.txt")),
              u"17:コピー先のファイル「" + dir.U16("src.txt") + u"」を作成できません。同じ名前のファイルまたはフォルダーが既にあります。");
    EXPECT_EQ(ReadFile(dir.Path() / "src.txt"), "x");
    // 86 full-width letters are 258 bytes in UTF-8, over the 255 a name may have.
    const std::u16string longName = dir.U16() + u"/" + std::u16string(86, u'Ａ') + u".txt";
    const int copiesBefore = calls.Count(Call::CopyFileRange);
    EXPECT_EQ(copy("src.txt", longName), u"36:コピー先のファイル「" + longName + u"」を作成できません。ファイル名またはパスが長すぎます。");
    EXPECT_EQ(calls.Count(Call::CopyFileRange), copiesBefore) << "refused before any data moved";
    // A copy is never made where its full path would pass 4096 bytes.
    std::filesystem::path deep = dir.Path();
    while (deep.string().size() < 3900) deep /= std::string(100, 'd');
    std::filesystem::create_directories(deep);
    const std::u16string longPath = test::U16(deep / std::string(4096 - deep.string().size(), 'n'));
    EXPECT_EQ(copy("src.txt", longPath), u"36:コピー先のファイル「" + longPath + u"」を作成できません。ファイル名またはパスが長すぎます。");
    EXPECT_TRUE(ListFolder(deep).empty());
}

}  // namespace
}  // namespace mirado
