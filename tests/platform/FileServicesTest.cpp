#include <gtest/gtest.h>

#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#include "FaultySystemCalls.h"
#include "FileServices.h"
#include "TemporaryName.h"
#include "ThisMachine.h"
#include "TempDir.h"
#include "Utf.h"

namespace mirado {
namespace {

using test::ListFolder;
using test::TempDir;
using test::WriteFile;
using Names = std::vector<std::string>;
using Call = test::FaultySystemCalls::Call;

TEST(FileServices, PathPartsSplitLikeTheNamingRuleExpects) {
    struct Row {
        std::u16string path, base, ext, parent;
    };
    const FileServices fso;
    for (const Row& row : {Row{u"/a/archive.tar.gz", u"archive.tar", u"gz", u"/a"}, Row{u"/a/name.", u"name", u"", u"/a"},
                           Row{u"/x.txt", u"x", u"txt", u"/"}, Row{u"/", u"", u"", u""},
                           Row{u"/a/folder/", u"folder", u"", u"/a"}, Row{u"/a//b.txt", u"b", u"txt", u"/a"},
                           Row{u"x.txt", u"x", u"txt", u""}, Row{u"/a.b/c", u"c", u"", u"/a.b"}}) {
        SCOPED_TRACE(ToUtf8(row.path));
        EXPECT_EQ(fso.GetBaseName(row.path), row.base);
        EXPECT_EQ(fso.GetExtensionName(row.path), row.ext);
        EXPECT_EQ(fso.GetParentFolderName(row.path), row.parent);
    }
}

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

// The next batch into a folder removes what batches of this computer left
// when they ended: a temporary file whose lock is free. Nothing else: not a
// live batch's (locked), not another computer's, not a link, a folder or a
// name that is not ours; nothing through a link to the folder.
TEST(FileServices, ListingRemovesOnlyWhatEndedBatchesLeft) {
    TempDir dir;
    const TemporaryOwner self = ThisProcess();
    const auto name = [](const TemporaryOwner& owner) { return ToUtf8(TemporaryCopyName(owner)); };
    const std::string ended = name({self.host, self.process + 1, self.start});
    const std::string earlierBoot = name({self.host, self.process, self.start + 1});
    const std::string live = name({self.host, self.process + 2, self.start});
    const std::string otherHost = name({self.host + 1, self.process + 1, self.start});
    const std::string link = name({self.host, self.process + 3, self.start});
    const std::string folder = name({self.host, self.process + 4, self.start});
    for (const std::string& file : {ended, earlierBoot, live, otherHost, std::string(".mirado-0123456789abcdef.tmp"),
                                    ended + ".txt", std::string("a.txt")})
        WriteFile(dir.Path() / file, "x");
    std::filesystem::create_symlink(dir.Path() / "a.txt", dir.Path() / link);
    std::filesystem::create_directory(dir.Path() / folder);
    // Its owner holds the lock as a running batch does.
    const int held = ::open((dir.Path() / live).c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);

    const std::optional<std::vector<std::u16string>> listed = FileServices().ListFileNames(dir.U16());
    ::close(held);

    Names kept{".mirado-0123456789abcdef.tmp", "a.txt", ended + ".txt", link, otherHost, live};
    std::sort(kept.begin(), kept.end());
    ASSERT_TRUE(listed.has_value());
    Names names;
    for (const std::u16string& text : *listed) names.push_back(ToUtf8(text));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, kept);
    kept.push_back(folder);
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(ListFolder(dir.Path()), kept);

    WriteFile(dir.Path() / ended, "x");
    std::filesystem::create_symlink(dir.Path(), dir.Path() / "linked");
    FileServices().ListFileNames(dir.U16("linked"));
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / ended));
}

// A copy in another process, held just before its data takes its name,
// after setUp made the process what the row plays. Returns its pid.
pid_t StartHeldCopy(const TempDir& dir, int ready, int go, const std::function<bool()>& setUp) {
    const pid_t child = ::fork();
    if (child != 0) return child;
    if (!setUp()) ::_exit(77);
    test::FaultySystemCalls calls;
    calls.Fail(Call::OpenUnnamed, EOPNOTSUPP);
    calls.before = [&](Call call) {
        // The first rename is the probe of what the disk offers.
        if (call != Call::RenameNoReplace || calls.Count(Call::RenameNoReplace) != 2) return;
        char byte = 1;
        if (::write(ready, &byte, 1) != 1 || ::read(go, &byte, 1) != 1) ::raise(SIGKILL);
    };
    FileServices(calls).CopyNoReplace(dir.U16("a"), dir.U16("out"), u"b");
    ::_exit(0);
}

// The pid namespace of a sandbox: the same user and computer, a /proc of its own.
bool OwnPidNamespace() {
    if (::unshare(CLONE_NEWPID | CLONE_NEWNS) != 0) return false;
    const pid_t inner = ::fork();
    if (inner > 0) {
        int status = 0;
        ::waitpid(inner, &status, 0);
        ::_exit(WIFEXITED(status) ? WEXITSTATUS(status) : 1);
    }
    return inner == 0 && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
           ::mount("proc", "/proc", "proc", 0, nullptr) == 0;
}

// Another computer sharing the folder: another host name and boot.
bool OtherComputer(const std::filesystem::path& bootId) {
    return ::unshare(CLONE_NEWNS | CLONE_NEWUTS) == 0 && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
           ::sethostname("mirado-other", 12) == 0 &&
           ::mount(bootId.c_str(), "/proc/sys/kernel/random/boot_id", nullptr, MS_BIND, nullptr) == 0;
}

// A live batch in its own pid namespace keeps its temporary file while the
// next batch lists the folder, and finishes its copy; one of another
// computer keeps it even after a kill, since its lock is not seen here.
TEST(FileServices, ListingKeepsLiveAndOtherComputersFiles) {
    struct Row {
        const char* label;
        bool killed;
        std::function<bool()> setUp;
    };
    TempDir dir;
    WriteFile(dir.Path() / "boot_id", "00000000-1111-2222-3333-444444444444\n");
    for (const Row& row : {Row{"own_pid_namespace", false, OwnPidNamespace},
                           Row{"other_computer", true, [&] { return OtherComputer(dir.Path() / "boot_id"); }}}) {
        WriteFile(dir.Path() / "a", "data");
        std::filesystem::remove_all(dir.Path() / "out");
        std::filesystem::create_directory(dir.Path() / "out");
        int ready[2], go[2];
        ASSERT_EQ(::pipe(ready), 0);
        ASSERT_EQ(::pipe(go), 0);
        const pid_t child = StartHeldCopy(dir, ready[1], go[0], row.setUp);
        ::close(ready[1]);
        ::close(go[0]);
        char byte = 0;
        const bool held = ::read(ready[0], &byte, 1) == 1;
        ::close(ready[0]);
        if (row.killed) ::kill(child, SIGKILL);
        std::optional<std::vector<std::u16string>> listed;
        if (held) listed = FileServices().ListFileNames(dir.U16("out"));
        if (held && !row.killed) ::write(go[1], &byte, 1);
        ::close(go[1]);  // a child still held ends
        int status = 0;
        ::waitpid(child, &status, 0);
        if (!held && WIFEXITED(status) && WEXITSTATUS(status) == 77) GTEST_SKIP() << "namespaces cannot be made here";
        ASSERT_TRUE(held) << row.label << ": the copy did not start";

        ASSERT_TRUE(listed.has_value());
        ASSERT_EQ(listed->size(), 1u) << row.label;
        EXPECT_TRUE(listed->front().starts_with(u".mirado-")) << row.label;
        if (!row.killed) {
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << row.label;
            EXPECT_EQ(ListFolder(dir.Path() / "out"), Names{"b"}) << row.label;
        }
    }
}

// Where a disk can neither rename without replacing nor link, a copy
// claims its name with an empty file first. A batch killed right then
// leaves the claim, its record and the data under a temporary name; the
// next batch into the folder removes all three. A record goes without its
// claim when it is incomplete, when the folder spells the name otherwise,
// or when the name holds another file by then.
TEST(FileServices, AClaimLeftByAKilledBatchIsRemovedWithItsRecord) {
    TempDir dir;
    WriteFile(dir.Path() / "a", "data");
    std::filesystem::create_directory(dir.Path() / "out");
    const pid_t child = ::fork();
    if (child == 0) {
        test::FaultySystemCalls calls;
        calls.Fail(Call::OpenUnnamed, EOPNOTSUPP);
        calls.Fail(Call::RenameNoReplace, EINVAL);
        calls.Fail(Call::LinkAt, EPERM);
        calls.before = [](Call call) { if (call == Call::Rename) ::raise(SIGKILL); };
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
    const TemporaryOwner self = ThisProcess();
    const auto record = [&](std::uint64_t process, const std::string& text) {
        WriteFile(dir.Path() / "out" / ToUtf8(TemporaryClaimName({self.host, self.process + process, self.start})), text);
    };
    const auto identity = [&](const char* name) {
        struct stat info {};
        ::stat((dir.Path() / "out" / name).c_str(), &info);
        return std::to_string(info.st_dev) + ' ' + std::to_string(info.st_ino) + '\0';
    };
    WriteFile(dir.Path() / "out/c", "a finished copy");
    record(1, std::string("c\0", 2) + identity("c"));
    WriteFile(dir.Path() / "out/d", "");
    record(2, std::string("d\0", 2));
    WriteFile(dir.Path() / "out/e", "");
    record(3, std::string("E\0", 2) + identity("e"));

    const auto listed = FileServices().ListFileNames(dir.U16("out"));

    ASSERT_TRUE(listed.has_value());
    std::vector<std::u16string> names = *listed;
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::u16string>{u"c", u"d", u"e"}));
    EXPECT_EQ(ListFolder(dir.Path() / "out"), (Names{"c", "d", "e"}));
}

}  // namespace
}  // namespace mirado
