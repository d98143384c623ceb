#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <filesystem>
#include <functional>
#include <mutex>
#include <thread>

#include "Error.h"
#include "RecordingEvents.h"
#include "FaultySystemCalls.h"
#include "Gate.h"
#include "ScratchMount.h"
#include "TempDir.h"
#include "Utf.h"

namespace mirado {
namespace {

using test::RecordingEvents;
using test::FaultySystemCalls;
using test::Gate;
using Call = FaultySystemCalls::Call;
using test::ListFolder;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;
using Names = std::vector<std::string>;
using Lines = std::vector<std::string>;
using Reports = std::vector<std::u16string>;

// Each copy goes beside its source: a name in another folder is another name.
TEST(Batch, CopiesEveryFileBesideItsSourceAndTellsHowItGoes) {
    TempDir dir;
    for (const char* name : {"a.txt", "b.txt", "c.txt", "写真　フォルダー/a.txt"}) WriteFile(dir.Path() / name, name);
    // Modes the umask cuts, mixed: what one copy learns must not mislead the next.
    for (const auto& [name, mode] : {std::pair{"a.txt", 0666}, {"b.txt", 0600}, {"c.txt", 0666}})
        ::chmod((dir.Path() / name).c_str(), static_cast<mode_t>(mode));

    const RecordingEvents events =
        test::Run({dir.U16("a.txt"), dir.U16("b.txt"), dir.U16("c.txt"), dir.U16("写真　フォルダー/a.txt")});

    EXPECT_EQ(events.lines, (Lines{"max 4", "value 1", "value 2", "value 3", "value 4", "value 0",
                                   "end copied=4 folders=2"}));
    EXPECT_EQ(events.outcome.folders, (Reports{dir.U16("_rename"), dir.U16("写真　フォルダー/_rename")}));
    EXPECT_EQ(ListFolder(dir.Path() / "_rename"), (Names{"A.txt", "B.txt", "C.txt"}));
    EXPECT_EQ(ReadFile(dir.Path() / "_rename/B.txt"), "b.txt");
    EXPECT_EQ(ReadFile(dir.Path() / "写真　フォルダー/_rename/A.txt"), "写真　フォルダー/a.txt");
    for (const auto& [name, mode] : {std::pair{"A.txt", 0666}, {"B.txt", 0600}, {"C.txt", 0666}}) {
        struct stat copy {};
        ASSERT_EQ(::stat((dir.Path() / "_rename" / name).c_str(), &copy), 0);
        EXPECT_EQ(copy.st_mode & 07777, static_cast<mode_t>(mode)) << name;
    }
    EXPECT_EQ(test::Run({}).lines, (Lines{"max 0", "value 0", "end copied=0 folders=0"})) << "an empty list";
}

TEST(Batch, FirstFailureEndsTheBatchWithOneMessage) {
    TempDir dir;
    WriteFile(dir.Path() / "a.txt", "a");
    WriteFile(dir.Path() / "c.txt", "c");

    const RecordingEvents events = test::Run({dir.U16("a.txt"), dir.U16("gone/deeper/x.txt"), dir.U16("c.txt")});

    EXPECT_EQ(events.lines, (Lines{"max 3", "value 1", "value 2", "failed", "value 0", "end copied=1 folders=1"}));
    EXPECT_EQ(events.reports, Reports{u"2:コピー元のファイル「" + dir.U16("gone/deeper/x.txt") +
                                                           u"」を開けません。ファイルまたはフォルダーが見つかりません。"});
    EXPECT_EQ(ListFolder(dir.Path() / "_rename"), Names{"A.txt"}) << "earlier copies stay, later files are not done";
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "gone")) << "a failed file leaves no new folders";
}

// A taken name gets the first free number, before the last "." of the new
// name (which a name without an extension has too); within a batch the
// numbering goes on where it stopped.
TEST(Batch, TakenNamesGetTheFirstFreeNumber) {
    TempDir dir;
    WriteFile(dir.Path() / "a.b.txt", "a");
    WriteFile(dir.Path() / "README", "r");
    WriteFile(dir.Path() / "_rename/A.B（2）.txt", "earlier");
    FaultySystemCalls calls;
    FileServices fso(calls);
    const std::u16string a = dir.U16("a.b.txt");
    EXPECT_TRUE(test::Run({a, a, a, dir.U16("README"), dir.U16("README")}, 0, {}, &fso).reports.empty());
    EXPECT_EQ(ListFolder(dir.Path() / "_rename"),
              (Names{"A.B.txt", "A.B（1）.txt", "A.B（2）.txt", "A.B（3）.txt", "README", "README（1）"}));
    EXPECT_EQ(calls.Count(Call::OpenUnnamed), 5) << "no copy made twice for a name given out";

    WriteFile(dir.Path() / "a.b.txt", "changed");
    test::Run({a}, 0, {}, &fso);
    EXPECT_EQ(ReadFile(dir.Path() / "_rename/A.B.txt"), "a") << "renaming again never overwrites earlier results";
    EXPECT_EQ(ReadFile(dir.Path() / "_rename/A.B（2）.txt"), "earlier");
    EXPECT_EQ(ReadFile(dir.Path() / "_rename/A.B（4）.txt"), "changed");
}

// What a batch on a thread of its own tells, for a test that looks while it runs.
struct SharedEvents : RecordingEvents {
    void Progress(int value) override {
        {
            const std::lock_guard lock(mutex);
            RecordingEvents::Progress(value);
        }
        if (value == 2) second.Open();
    }
    void Failed(const std::u16string& report) override {
        const std::lock_guard lock(mutex);
        RecordingEvents::Failed(report);
    }
    std::string Last() {
        const std::lock_guard lock(mutex);
        return lines.back();
    }
    std::mutex mutex;
    Gate second;  // opens as the bar says 2
};

// Copies overlap, names follow the drop: while file 2's copy is held, the
// later ones finish and wait for their names, and the bar says 2. Three
// files that get one name are numbered in drop order whatever order their
// data finished in, and the first failure in drop order (file 5) is
// reported once: the files before it keep their copies, nothing of file 6
// is left, finished or not.
TEST(Batch, OverlappingCopiesAreNamedInDropOrder) {
    for (const bool unnamed : {true, false}) {
        TempDir dir;
        std::vector<std::u16string> files;
        for (const char* name : {"a.txt", "ab.txt", "Ab.txt", "aB.txt", "gone.txt", "e.txt"}) {
            if (std::string(name) != "gone.txt") WriteFile(dir.Path() / name, name);
            files.push_back(dir.U16(name));
        }
        const auto out = dir.Path() / "_rename";
        FaultySystemCalls calls;
        if (!unnamed) calls.Fail(Call::OpenUnnamed, EOPNOTSUPP);
        Gate held, othersDone;
        const std::string second = (dir.Path() / "ab.txt").string();
        calls.beforeOpen = [&](const char* path) {
            if (path == second) held.WaitInside();
        };
        calls.before = [&](Call call) {
            if (call == Call::FUtimens && calls.Count(Call::FUtimens) == 4) othersDone.Open();  // 1, 3, 4 and 6
        };
        FileServices fso(calls);
        SharedEvents events;
        std::jthread batch([&] { RunBatch({files, 0, {}, 8}, fso, events); });  // all six under way at once
        held.WaitUntilInside();
        othersDone.WaitInside();
        events.second.WaitInside();
        Names named = ListFolder(out);
        std::erase_if(named, [](const std::string& name) { return name.starts_with(".mirado-"); });
        EXPECT_EQ(named, Names{"A.txt"}) << unnamed;
        EXPECT_EQ(events.Last(), "value 2");
        held.Open();
        batch.join();

        EXPECT_EQ(events.lines, (Lines{"max 6", "value 1", "value 2", "value 3", "value 4", "value 5", "failed",
                                       "value 0", "end copied=4 folders=1"}));
        EXPECT_EQ(events.reports, Reports{u"2:コピー元のファイル「" + dir.U16("gone.txt") +
                                          u"」を開けません。ファイルまたはフォルダーが見つかりません。"});
        EXPECT_EQ(ListFolder(out), (Names{"A.txt", "AB.txt", "AB（1）.txt", "AB（2）.txt"})) << unnamed;
        EXPECT_EQ(ReadFile(out / "AB.txt"), "ab.txt");
        EXPECT_EQ(ReadFile(out / "AB（1）.txt"), "Ab.txt");
        EXPECT_EQ(ReadFile(out / "AB（2）.txt"), "aB.txt");
    }
}

// Failures that copies under way together can cause, for want of
// descriptors or of room that later copies hold, are not the user's: the
// copy is made again alone, once the later ones have given back what they
// held. Only a failure that comes again alone is reported, once, as one
// copy at a time would report it.
TEST(Batch, FailuresThatOverlapCausesAreRetriedAlone) {
    struct Row {
        const char* label;
        Call call;
        int error;
        int times;
    };
    for (const Row& row : {Row{"descriptors", Call::OpenUnnamed, EMFILE, 1}, Row{"room", Call::CopyFileRange, ENOSPC, 1},
                           Row{"room_alone_too", Call::CopyFileRange, ENOSPC, INT_MAX}}) {
        TempDir dir;
        std::vector<std::u16string> files;
        for (const char* name : {"a.bin", "b.bin", "c.bin"}) {
            WriteFile(dir.Path() / name, std::string(64 * 1024, name[0]));
            files.push_back(dir.U16(name));
        }
        FaultySystemCalls calls;
        calls.Fail(Call::Clone, EOPNOTSUPP);
        calls.Fail(row.call, row.error, 0, row.times);
        FileServices fso(calls);

        RecordingEvents events;
        RunBatch({files, 0, {}, 3}, fso, events);  // three at once, as on a share

        if (row.times == 1) {
            EXPECT_EQ(events.reports, Reports{}) << row.label;
            EXPECT_EQ(ListFolder(dir.Path() / "_rename"), (Names{"A.bin", "B.bin", "C.bin"})) << row.label;
            EXPECT_EQ(ReadFile(dir.Path() / "_rename/C.bin"), std::string(64 * 1024, 'c'));
        } else {
            ASSERT_EQ(events.reports.size(), 1u) << row.label;
            EXPECT_TRUE(events.reports[0].starts_with(u"28:コピー先のファイル「" + dir.U16("_rename/A.bin")));
            EXPECT_FALSE(std::filesystem::exists(dir.Path() / "_rename")) << "made by the batch, left empty";
        }
    }
}

// Another program saves files under names the batch is about to use, after
// the batch read the folder: the copy cannot take the name. Their files stay
// as they are and the copies take the next number; a folder of the name is
// in the way.
TEST(Batch, NamesTakenByAnotherProgramDuringTheBatchAreLeftAlone) {
    // Unnamed files, a temporary name renamed without replacing, and the
    // claim of a disk that can neither rename so nor link.
    for (const int way : {0, 1, 2}) {
        TempDir dir;
        for (const char* name : {"a.txt", "b.txt", "c.txt"}) WriteFile(dir.Path() / name, name);
        const auto out = dir.Path() / "_rename";
        FaultySystemCalls calls;
        if (way > 0) calls.Fail(Call::OpenUnnamed, EOPNOTSUPP);
        if (way > 1) calls.Fail(Call::RenameNoReplace, EINVAL), calls.Fail(Call::LinkAt, EPERM);
        calls.before = [&](Call call) {
            if (call != Call::LinkAt && call != Call::RenameNoReplace && call != Call::OpenAt) return;
            // As A.txt is given its name, B.txt appears; as B（1）.txt is, so does B（1）.txt.
            const bool a = std::filesystem::exists(out / "A.txt");
            if (!a && !std::filesystem::exists(out / "B.txt")) WriteFile(out / "B.txt", "theirs");
            if (a && !std::filesystem::exists(out / "B（1）.txt")) WriteFile(out / "B（1）.txt", "theirs too");
        };
        FileServices fso(calls);
        std::filesystem::create_directories(out / "C.txt");

        const RecordingEvents events = test::Run({dir.U16("a.txt"), dir.U16("b.txt"), dir.U16("c.txt")}, 0, {}, &fso);

        EXPECT_EQ(events.reports, Reports{u"17:コピー先のファイル「" + test::U16(out / "C.txt") +
                                                               u"」を作成できません。同じ名前のファイルまたはフォルダーが既にあります。"});
        EXPECT_EQ(ListFolder(out), (Names{"A.txt", "B.txt", "B（1）.txt", "B（2）.txt", "C.txt"})) << way;
        EXPECT_EQ(ReadFile(out / "B.txt"), "theirs");
        EXPECT_EQ(ReadFile(out / "B（1）.txt"), "theirs too");
        EXPECT_EQ(ReadFile(out / "B（2）.txt"), "b.txt");
        EXPECT_TRUE(ListFolder(out / "C.txt").empty());
    }
}

// A batch keeps its output folder open, but the next batch writes only into
// the folder that the path names then: one moved away or removed is made
// again. (Copies already on their way when it is moved during a batch
// follow it: they were written into it.)
TEST(Batch, AnOutputFolderMovedAwayOrRemovedIsMadeAgain) {
    TempDir dir;
    for (const char* name : {"a.txt", "b.txt", "c.txt"}) WriteFile(dir.Path() / name, name);
    FileServices fso;
    RecordingEvents events;
    RunBatch({{dir.U16("a.txt")}, 0, {}}, fso, events);
    std::filesystem::rename(dir.Path() / "_rename", dir.Path() / "moved");
    RunBatch({{dir.U16("b.txt")}, 0, {}}, fso, events);
    std::filesystem::remove_all(dir.Path() / "_rename");
    RunBatch({{dir.U16("c.txt")}, 0, {}}, fso, events);
    EXPECT_TRUE(events.reports.empty());
    EXPECT_EQ(ListFolder(dir.Path() / "moved"), Names{"A.txt"});
    EXPECT_EQ(ListFolder(dir.Path() / "_rename"), Names{"C.txt"});
}

// A new name that cannot be a file name is refused before any folder is made.
TEST(Batch, RefusesANewNameThatIsNoFileName) {
    struct Row {
        std::string source;
        std::u16string find, replace;
        std::u16string name;  // the refused name as reported
    };
    for (const Row& row : {Row{"abc.txt", u"b", u"/../", u"a/../c.txt"},
                           Row{"abc.txt", u"b", std::u16string(1, u'\0'), std::u16string(u"a\0c.txt", 7)},
                           Row{"ab", u"ab", u".", u".."}, Row{"ab", u"ab", u"", u"."}}) {
        TempDir dir;
        WriteFile(dir.Path() / row.source, "x");
        EXPECT_EQ(test::Run({dir.U16(row.source)}, 8, {row.find, row.replace}).reports,
                  Reports{u"1003:「" + dir.U16(row.source) + u"」の新しい名前「" + row.name +
                          u"」は、ファイル名に使用できません。空の名前、「.」と「..」、「/」を含む名前は"
                          u"無効です。変換の種類か置換後の文字列を変えてから、もう一度ドロップしてください。"});
        EXPECT_EQ(ListFolder(dir.Path()), Names{row.source});
    }
}

// A relative path or an address of another kind would put the output
// folder in the working folder or at the root: it is refused before anything
// is made (here in an empty working folder, where it would show).
TEST(Batch, RefusesWhatIsNotAFullLocalPath) {
    TempDir work;
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(work.Path());
    for (const std::u16string& source : {std::u16string(u""), std::u16string(u"a.txt"),
                                         std::u16string(u"sftp://host/home/a.txt"), std::u16string(u"/"),
                                         std::u16string(u"/a/b\0c", 6)}) {
        EXPECT_EQ(test::Run({source}).reports,
                  Reports{u"1004:「" + source + u"」は、このコンピューターにあるファイルの完全なパスではないため、処理できません。"});
    }
    std::filesystem::current_path(previous);
    EXPECT_TRUE(ListFolder(work.Path()).empty());
    EXPECT_FALSE(std::filesystem::exists("/_rename"));
}

TEST(Batch, NumbersStopAt32767) {
    TempDir dir;
    WriteFile(dir.Path() / "a.jpg", "a");
    std::filesystem::create_directory(dir.Path() / "_rename");
    const auto touch = [&](const std::string& name) {
        const int fd = ::open((dir.Path() / "_rename" / name).c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0600);
        ASSERT_GE(fd, 0);
        ::close(fd);
    };
    touch("A.jpg");
    for (int n = 1; n <= 32766; ++n) touch("A（" + std::to_string(n) + "）.jpg");
    EXPECT_TRUE(test::Run({dir.U16("a.jpg")}).reports.empty());
    EXPECT_EQ(ReadFile(dir.Path() / "_rename/A（32767）.jpg"), "a");
    EXPECT_EQ(test::Run({dir.U16("a.jpg")}).reports,
              Reports{u"1001:「" + dir.U16("_rename/A.jpg") +
                      u"」の名前は、番号（1）から（32767）を付けたものまで既にすべて使われているため、コピーできません。"
                      u"「_rename」フォルダーの中を整理してから、もう一度ドロップしてください。"});
}

// What is already called _rename must be a folder of its own: nothing is
// ever written through a link to somewhere else.
TEST(Batch, AnOutputFolderThatIsNoRealFolderStopsTheBatch) {
    const std::vector<std::pair<const char*, std::function<void(const std::filesystem::path&)>>> rows = {
        {"link_to_folder", [](const auto& at) { std::filesystem::create_directory_symlink("../elsewhere", at); }},
        {"dangling_link", [](const auto& at) { std::filesystem::create_symlink("../nowhere", at); }},
        {"file", [](const auto& at) { WriteFile(at, "x"); }},
        {"fifo", [](const auto& at) { ASSERT_EQ(::mkfifo(at.c_str(), 0600), 0); }},
    };
    for (const auto& [label, make] : rows) {
        TempDir dir;
        WriteFile(dir.Path() / "d/x.txt", "x");
        std::filesystem::create_directory(dir.Path() / "elsewhere");
        make(dir.Path() / "d/_rename");
        EXPECT_EQ(test::Run({dir.U16("d/x.txt")}).reports, Reports{
                                       u"1005:「" + dir.U16("d/_rename") +
                                       u"」はフォルダーではありません（シンボリック リンクやファイルなど）。"
                                       u"この名前のものを移動するか削除してから、もう一度ドロップしてください。"})
            << label;
        EXPECT_TRUE(ListFolder(dir.Path() / "elsewhere").empty()) << label;
        EXPECT_FALSE(std::filesystem::exists(dir.Path() / "nowhere")) << label;
    }
}

// A read-only disk: the folder or the copy that cannot be made says why,
// and its files can still be copied elsewhere.
TEST(Batch, AReadOnlyDiskSaysWhyNothingCanBeWrittenThere) {
    std::string whyNot;
    const auto mount = test::ScratchMount::Create(64 * 1024, whyNot);
    if (!mount) GTEST_SKIP() << whyNot;
    WriteFile(mount->Path() / "a.txt", "a");
    WriteFile(mount->Path() / "in/b.txt", "b");
    std::filesystem::create_directory(mount->Path() / "in/_rename");
    if (!mount->MakeReadOnly()) GTEST_SKIP() << "remounting read-only was refused";
    const std::u16string readOnly = u"を作成できません。読み取り専用の場所には書き込めません。";
    EXPECT_EQ(test::Run({test::U16(mount->Path() / "a.txt")}).reports,
              Reports{u"30:フォルダー「" + test::U16(mount->Path() / "_rename") + u"」" + readOnly});
    EXPECT_EQ(test::Run({test::U16(mount->Path() / "in/b.txt")}).reports,
              Reports{u"30:コピー先のファイル「" + test::U16(mount->Path() / "in/_rename/B.txt") + u"」" + readOnly});
    TempDir dir;
    FileServices().CopyNoReplace(test::U16(mount->Path() / "a.txt"), dir.U16(), u"copy.txt");
    EXPECT_EQ(ReadFile(dir.Path() / "copy.txt"), "a");
}

// Names from old disks may be bytes of another encoding (Shift_JIS here).
// Such a name is copied under its own bytes, and never confused with the
// name that shows the same when its bytes are replaced by U+FFFD.
TEST(Batch, NamesThatAreNotUtf8KeepTheirBytes) {
    TempDir dir;
    const std::string sjis = "\x83\x65\x83\x58\x83\x67";  // テスト
    WriteFile(dir.Path() / (sjis + ".txt"), "the dropped file");
    WriteFile(dir.Path() / "\uFFFDe\uFFFDX\uFFFDg.txt", "its look-alike");
    test::SetModified(dir.Path() / (sjis + ".txt"), 2009, 11, 17, 9, 5, 3);
    const std::u16string source = FromUtf8((dir.Path() / (sjis + ".txt")).string());

    for (const int type : {0, 4, 8, 7}) {
        EXPECT_TRUE(test::Run({source}, type, {u"e", u"E"}).reports.empty()) << type;
    }
    EXPECT_EQ(ListFolder(dir.Path() / "_rename"),
              (Names{"20091117 90503.txt", sjis + ".txt", sjis + "（1）.txt", sjis + "（2）.txt"}));
    EXPECT_EQ(ReadFile(dir.Path() / "_rename" / (sjis + "（2）.txt")), "the dropped file");

    EXPECT_EQ(test::Run({FromUtf8((dir.Path() / "\x83gone.txt").string())}).reports, Reports{u"2:コピー元のファイル「" + dir.U16() +
                                                           u"/\\x83gone.txt」を開けません。ファイルまたはフォルダーが見つかりません。"});
}

}  // namespace
}  // namespace mirado
