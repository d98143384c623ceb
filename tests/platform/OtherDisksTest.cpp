#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "FaultMount.h"
#include "RecordingEvents.h"
#include "ScratchMount.h"
#include "TempDir.h"

// Copies onto disks that offer less than a local Linux file system, or
// report failures late, served by a FUSE file system that passes through
// to a backing folder and refuses what such disks refuse.

namespace mirado {
namespace {

using test::FaultMount;
using test::ListFolder;
using test::ReadFile;
using test::WriteFile;
using Names = std::vector<std::string>;
using Reports = std::vector<std::u16string>;

// exFAT and vfat through FUSE have no unnamed files, no rename that refuses
// to replace and no links; NFS has links. Either way gives the whole copy, never in place of another program's file,
// and leaves nothing of its own.
TEST(OtherDisks, CopiesWithWhatTheDiskOffers) {
    struct Row {
        const char* label;
        std::vector<std::string> faults;
    };
    for (const Row& row : {Row{"links_only", {"no-noreplace"}},
                           Row{"fuse_exfat", {"no-noreplace", "no-links"}}}) {
        std::string whyNot;
        const auto mount = FaultMount::Create(row.faults, whyNot);
        if (!mount) GTEST_SKIP() << whyNot;
        std::string data(3 * 1024 * 1024 + 17, 'd');
        data.back() = 'z';
        WriteFile(mount->Path() / "a.txt", data);
        WriteFile(mount->Path() / "e.txt", "");
        WriteFile(mount->Path() / "_rename/A.txt", "theirs");
        const auto a = test::U16(mount->Path() / "a.txt");

        EXPECT_EQ(test::Run({a, test::U16(mount->Path() / "e.txt"), a}).reports, Reports{}) << row.label;

        const auto out = mount->Path() / "_rename";
        EXPECT_EQ(ListFolder(out), (Names{"A.txt", "A（1）.txt", "A（2）.txt", "E.txt"})) << row.label;
        EXPECT_EQ(ReadFile(out / "A.txt"), "theirs");
        EXPECT_EQ(ReadFile(out / "A（2）.txt"), data) << row.label;
        EXPECT_EQ(ReadFile(out / "E.txt"), "");
    }
}

// A name the disk refuses, and failures that come only when the data is
// flushed (a share's full disk or quota, a server that cuts the file):
// the true cause names the copy, and nothing is left under its name or
// any other.
TEST(OtherDisks, RefusalsAndLateFailuresSayWhyAndLeaveNothing) {
    struct Row {
        const char* label;
        std::vector<std::string> faults;
        std::u16string replace;  // what "a" becomes
        std::u16string report;   // after the path of the copy
    };
    const std::u16string refused = u"」を作成できません。このディスクはこのファイル名を受け付けません（FAT や exFAT のディスクでは"
                                   u"「\" * : < > ? \\ |」を名前に使えず、ディスクによっては日本語の名前も使えません）。"
                                   u"変換の種類か置換後の文字列を変えてから、もう一度ドロップしてください。";
    const std::u16string unwritten = u"」への書き込みを完了できません。";
    for (const Row& row :
         {Row{"kernel_vfat_name", {"fat-names"}, u"?", u"22:コピー先のファイル「" + std::u16string(refused)},
          Row{"fuse_exfat_name", {"fat-names", "no-noreplace", "no-links"}, u"*", u"22:コピー先のファイル「" + refused},
          Row{"quota_at_close", {"flush=" + std::to_string(EDQUOT), "no-noreplace", "no-links"}, u"b",
              u"122:コピー先のファイル「" + unwritten + u"ディスクの使用量の上限を超えました。不要なファイルを削除してから、もう一度ドロップしてください。"},
          Row{"cut_at_close", {"cut=1048576", "flush=" + std::to_string(ENOSPC)}, u"b",
              u"28:コピー先のファイル「" + unwritten + u"ディスクの空き領域が不足しています。不要なファイルを削除して空き領域を増やしてから、"
                                                       u"もう一度ドロップしてください。"},
          Row{"fsync", {"fsync=" + std::to_string(EIO)}, u"b",
              u"5:コピー先のファイル「" + unwritten + u"ディスクの読み書き中にエラーが発生しました。"}}) {
        std::string whyNot;
        const auto mount = FaultMount::Create(row.faults, whyNot);
        if (!mount) GTEST_SKIP() << whyNot;
        WriteFile(mount->Path() / "data.bin", std::string(3 * 1024 * 1024, 'x'));
        std::filesystem::create_directory(mount->Path() / "_rename");

        const auto events = test::Run({test::U16(mount->Path() / "data.bin")}, 8, {u"a", row.replace});

        const std::u16string copy = test::U16(mount->Path() / "_rename") + u"/d" + row.replace + u"t" + row.replace + u".bin";
        std::u16string expected = row.report;
        expected.insert(expected.find(u'「') + 1, copy);
        EXPECT_EQ(events.reports, Reports{expected}) << row.label;
        EXPECT_EQ(ListFolder(mount->Backing() / "_rename"), Names{}) << row.label;
    }
}

// A real exFAT stick through FUSE that shows another user as the owner of
// every file (mounted for that user, copied to by root): the copies are
// proved ours by identity, numbered without regard to case, and a name the
// disk refuses (it answers ENOENT) is reported as refused; nothing of ours
// is left either way.
TEST(OtherDisks, AnExfatStickThatShowsAnotherOwner) {
    std::string whyNot;
    const auto stick = test::ScratchMount::CreateExfatFuse("uid=4242,gid=4242", whyNot);
    if (!stick) GTEST_SKIP() << whyNot;
    const std::filesystem::path out = stick->Path() / "_rename";
    WriteFile(stick->Path() / "a.txt", std::string(100 * 1024, 'p'));
    WriteFile(out / "a.txt", "theirs");
    const auto a = test::U16(stick->Path() / "a.txt");

    EXPECT_EQ(test::Run({a, a}).reports, Reports{});
    const auto refused = test::Run({a}, 8, {u"a", u"?"});

    EXPECT_EQ(ListFolder(out), (Names{"A（1）.txt", "A（2）.txt", "a.txt"}));
    EXPECT_TRUE(ReadFile(out / "A（2）.txt") == std::string(100 * 1024, 'p'));
    EXPECT_EQ(ReadFile(out / "a.txt"), "theirs");
    ASSERT_EQ(refused.reports.size(), 1u);
    EXPECT_EQ(refused.reports[0].substr(0, 3), u"22:");
    EXPECT_NE(refused.reports[0].find(test::U16(out / "?.txt")), std::u16string::npos);
}

}  // namespace
}  // namespace mirado
