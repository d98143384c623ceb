#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <functional>
#include <string>

#include "ErrorOf.h"
#include "FileServices.h"
#include "PathText.h"
#include "SystemCalls.h"
#include "TempDir.h"

namespace mirado {
namespace {

using test::ErrorOf;
using test::ListFolder;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;
using Names = std::vector<std::string>;

// The real calls, with a hook before reads, writes and renames that may
// stage a race or make the call fail with a chosen error.
class FaultyCalls : public SystemCalls {
public:
    enum class Call { Read, Write, Rename };
    std::function<DWORD(Call, int)> before;  // returns an error to fail with, or 0

    BOOL Read(HANDLE handle, void* buffer, DWORD length, DWORD* done) override {
        return Fails(Call::Read) ? FALSE : SystemCalls::Read(handle, buffer, length, done);
    }
    BOOL Write(HANDLE handle, const void* buffer, DWORD length, DWORD* done) override {
        return Fails(Call::Write) ? FALSE : SystemCalls::Write(handle, buffer, length, done);
    }
    BOOL SetInfo(HANDLE handle, FILE_INFO_BY_HANDLE_CLASS type, void* info, DWORD size) override {
        if (type == FileRenameInfo && Fails(Call::Rename)) return FALSE;
        return SystemCalls::SetInfo(handle, type, info, size);
    }

private:
    bool Fails(Call call) {
        const int count = ++counts_[static_cast<int>(call)];
        const DWORD error = before ? before(call, count) : 0;
        if (error != 0) ::SetLastError(error);
        return error != 0;
    }
    int counts_[3] = {};
};

struct PathRow {
    const char* label;
    std::u16string path, base, ext, parent;
    bool full;
};
void PrintTo(const PathRow& row, std::ostream* out) { *out << row.label; }

class Win32PathText : public testing::TestWithParam<PathRow> {};

TEST_P(Win32PathText, SplitsDriveAndSharePaths) {
    const PathRow& row = GetParam();
    const FileServices fso;
    EXPECT_EQ(fso.GetBaseName(row.path), row.base);
    EXPECT_EQ(fso.GetExtensionName(row.path), row.ext);
    EXPECT_EQ(fso.GetParentFolderName(row.path), row.parent);
    EXPECT_EQ(fso.IsAbsolutePath(row.path), row.full);
}

INSTANTIATE_TEST_SUITE_P(
    FileServices, Win32PathText,
    testing::Values(PathRow{"drive", u"C:\\a\\report.txt", u"report", u"txt", u"C:\\a", true},
                    PathRow{"drive_slashes", u"C:/a/b.tar.gz", u"b.tar", u"gz", u"C:/a", true},
                    PathRow{"drive_root", u"C:\\x.txt", u"x", u"txt", u"C:\\", true},
                    PathRow{"share", u"\\\\server\\share\\d\\x.txt", u"x", u"txt", u"\\\\server\\share\\d", true},
                    PathRow{"share_root", u"\\\\server\\share\\x.txt", u"x", u"txt", u"\\\\server\\share\\", true},
                    PathRow{"long_form", u"\\\\?\\C:\\a\\x.txt", u"x", u"txt", u"\\\\?\\C:\\a", true},
                    PathRow{"drive_relative", u"C:foo.txt", u"foo", u"txt", u"C:", false},
                    PathRow{"root_relative", u"\\foo\\x.txt", u"x", u"txt", u"\\foo", false},
                    PathRow{"relative", u"foo\\x.txt", u"x", u"txt", u"foo", false},
                    PathRow{"share_itself", u"\\\\server\\share", u"", u"", u"", true},
                    PathRow{"server_only", u"\\\\server\\", u"server", u"", u"\\", false}),
    [](const testing::TestParamInfo<PathRow>& info) { return std::string(info.param.label); });

TEST(Win32PathText, FileAddressesNameDrivesAndShares) {
    EXPECT_EQ(PathOfFileAddress(u"", "/C:/写真/a b.txt"), u"C:\\写真\\a b.txt");
    EXPECT_EQ(PathOfFileAddress(u"server", "/share/a.txt"), u"\\\\server\\share\\a.txt");
}

TEST(Win32PathText, NamesWindowsCannotStoreAreRefused) {
    for (const std::u16string name :
         {u"CON.", u"con.txt", u"Aux.tar.gz", u"nul .txt", u"COM1.log", u"lpt9.", u"COM¹.txt", u"LPT³.", u"CONIN$.",
          u"a<b.txt", u"a>b.", u"a:b.txt", u"a\"b.", u"a/b.", u"a\\b.", u"a|b.", u"a?b.", u"a*b.", u"tab\t.",
          u"end..", u"end .", u"."}) {
        EXPECT_FALSE(IsStorableName(name)) << std::string(name.begin(), name.end());
    }
    for (const std::u16string name : {u"CONSOLE.txt", u"COM10.txt", u"COM0.txt", u"a.b.txt", u"README.", u"質問？.txt",
                                      u" lead.txt", u".profile"}) {
        EXPECT_TRUE(IsStorableName(name)) << std::string(name.begin(), name.end());
    }
}

TEST(Win32FileServices, CopyKeepsDataLastWriteTimeAndReadOnly) {
    TempDir dir;
    std::string data(3 * 1024 * 1024 + 5, '\0');
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 31 % 251);
    WriteFile(dir.Path() / "src.bin", data);
    test::SetModified(dir.Path() / "src.bin", 2009, 11, 17, 9, 5, 3);
    ASSERT_TRUE(::SetFileAttributesW((dir.Path() / "src.bin").c_str(), FILE_ATTRIBUTE_READONLY));
    const FileServices fso;

    fso.CopyNoReplace(dir.U16("src.bin"), dir.U16(), u"copy.bin");

    EXPECT_EQ(ReadFile(dir.Path() / "copy.bin"), data);
    EXPECT_EQ(fso.GetFile(dir.U16("copy.bin")).DateLastModified, (LocalDateTime{2009, 11, 17, 9, 5, 3}));
    EXPECT_NE(::GetFileAttributesW((dir.Path() / "copy.bin").c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_EQ(ListFolder(dir.Path()), (Names{"copy.bin", "src.bin"}));
    ::SetFileAttributesW((dir.Path() / "src.bin").c_str(), FILE_ATTRIBUTE_NORMAL);
    ::SetFileAttributesW((dir.Path() / "copy.bin").c_str(), FILE_ATTRIBUTE_NORMAL);
}

// Also a file that appears under the name (in any case) while the copy is
// written: the rename that gives the copy its name never replaces.
TEST(Win32FileServices, NeverReplacesAFileAndLeavesNoTemporaryName) {
    for (const bool race : {false, true}) {
        TempDir dir;
        WriteFile(dir.Path() / "src.txt", "mine");
        if (!race) WriteFile(dir.Path() / "DST.txt", "theirs");
        FaultyCalls calls;
        calls.before = [&](FaultyCalls::Call call, int) -> DWORD {
            if (race && call == FaultyCalls::Call::Rename) WriteFile(dir.Path() / "DST.txt", "theirs");
            return 0;
        };
        EXPECT_EQ(ErrorOf([&] { FileServices(calls).CopyNoReplace(dir.U16("src.txt"), dir.U16(), u"dst.txt"); }),
                  u"17:コピー先のファイル「" + dir.U16("dst.txt") +
                      u"」を作成できません。同じ名前のファイルまたはフォルダーが既にあります。");
        EXPECT_EQ(ReadFile(dir.Path() / "DST.txt"), "theirs");
        EXPECT_EQ(ListFolder(dir.Path()), (Names{"DST.txt", "src.txt"})) << "race=" << race;
    }
}

TEST(Win32FileServices, AFailedCopyLeavesNothing) {
    struct Row {
        const char* label;
        FaultyCalls::Call at;
        DWORD error;  // 0: the source is rewritten instead
        std::u16string expected;  // %1 for the source, %2 for the target
    };
    for (const Row& row : {Row{"disk_full", FaultyCalls::Call::Write, ERROR_DISK_FULL,
                               u"28:コピー先のファイル「%2」への書き込みを完了できません。ディスクの空き領域が不足しています。"
                               u"不要なファイルを削除して空き領域を増やしてから、もう一度ドロップしてください。"},
                           Row{"source_rewritten", FaultyCalls::Call::Read, 0,
                               u"1006:コピー元のファイル「%1」がコピー中に変更されたため、コピーを取り消しました。"}}) {
        TempDir dir;
        WriteFile(dir.Path() / "src.txt", std::string(3 * 1024 * 1024, 'o'));
        test::SetModified(dir.Path() / "src.txt", 2009, 11, 17, 9, 5, 3);
        FaultyCalls calls;
        calls.before = [&](FaultyCalls::Call call, int count) -> DWORD {
            if (call != row.at || count != 2) return 0;
            if (row.error == 0) WriteFile(dir.Path() / "src.txt", std::string(3 * 1024 * 1024, 'n'));
            return row.error;
        };
        std::u16string expected = row.expected;
        expected.replace(expected.find(u"%"), 2, row.error == 0 ? dir.U16("src.txt") : dir.U16("dst.txt"));
        EXPECT_EQ(ErrorOf([&] { FileServices(calls).CopyNoReplace(dir.U16("src.txt"), dir.U16(), u"dst.txt"); }), expected)
            << row.label;
        EXPECT_EQ(ListFolder(dir.Path()), Names{"src.txt"}) << row.label;
    }
}

// Paths past MAX_PATH (260) work through the \\?\ form, ".." included.
TEST(Win32FileServices, LongPathsWork) {
    TempDir dir;
    std::u16string folder = dir.U16();
    while (folder.size() < 400) folder += u"\\" + std::u16string(60, u'長');
    const FileServices fso;
    fso.CreateFolder(folder);
    EXPECT_TRUE(fso.FolderExists(folder));
    WriteFile(dir.Path() / "src.txt", "far away");
    fso.CopyNoReplace(dir.U16("src.txt"), folder + u"\\x\\..", u"copy.txt");
    EXPECT_TRUE(fso.FileExists(folder + u"\\copy.txt"));
    EXPECT_EQ(fso.GetFile(folder + u"\\copy.txt").DateLastModified, fso.GetFile(dir.U16("src.txt")).DateLastModified);
}

TEST(Win32FileServices, OnlyRegularFilesAreCopied) {
    TempDir dir;
    std::filesystem::create_directory(dir.Path() / "folder");
    const FileServices fso;
    for (const std::u16string& source : {dir.U16("folder"), dir.U16("NUL"), std::u16string(u"\\\\.\\NUL")}) {
        EXPECT_EQ(ErrorOf([&] { fso.CopyNoReplace(source, dir.U16(), u"copy"); }),
                  u"1002:「" + source + u"」は通常のファイルではないため、処理できません。");
    }
    EXPECT_EQ(ListFolder(dir.Path()), Names{"folder"});
}

// A _rename that is a symbolic link or junction is no folder of its own.
TEST(Win32FileServices, ALinkedOutputFolderIsRefused) {
    TempDir dir;
    std::filesystem::create_directory(dir.Path() / "elsewhere");
    ::CreateSymbolicLinkW((dir.Path() / "_rename").c_str(), (dir.Path() / "elsewhere").c_str(),
                          SYMBOLIC_LINK_FLAG_DIRECTORY | SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE);
    // Wine answers that it made the link but makes none.
    const DWORD attributes = ::GetFileAttributesW((dir.Path() / "_rename").c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
        GTEST_SKIP() << "symbolic links to folders cannot be made here";
    WriteFile(dir.Path() / "x.txt", "x");
    const FileServices fso;
    EXPECT_FALSE(fso.FolderExists(dir.U16("_rename")));
    EXPECT_EQ(ErrorOf([&] { fso.CreateFolder(dir.U16("_rename")); }).substr(0, 5), u"1005:");
    EXPECT_EQ(ErrorOf([&] { fso.CopyNoReplace(dir.U16("x.txt"), dir.U16("_rename"), u"X.txt"); }).substr(0, 5), u"1005:");
    EXPECT_TRUE(ListFolder(dir.Path() / "elsewhere").empty());
}

}  // namespace
}  // namespace mirado
