#include <gtest/gtest.h>

#include <windows.h>
#include <winioctl.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <iostream>
#include <numeric>
#include <stop_token>
#include <string>

#include "ErrorOf.h"
#include "FileServices.h"
#include "PathText.h"
#include "ProcessOwner.h"
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

// The real calls, with a hook before copies and renames that may stage a
// race or make the call fail with a chosen error; waits are only counted.
// With copyFile2 set, CopyFile2 is there: the real CopyFileExW copies, and
// the progress routine is asked after each of its (emulated) pieces, as
// Windows asks it.
class FaultyCalls : public SystemCalls {
public:
    enum class Call { Copy, Rename };
    std::function<DWORD(Call, int)> before;  // returns an error to fail with, or 0
    bool copyFile2 = false;
    DWORD copyFlags = 0;           // what CopyFile2 was asked for
    std::vector<DWORD> waits;      // milliseconds
    int pieces = 0;                // progress routine calls
    std::function<void(int)> onPiece;  // before the routine is asked after piece n

    HRESULT CopyFile2(const wchar_t* source, const wchar_t* target, COPYFILE2_EXTENDED_PARAMETERS* p) override {
        if (!copyFile2) return HRESULT_FROM_WIN32(ERROR_CALL_NOT_IMPLEMENTED);
        copyFlags = p->dwCopyFlags;
        if (Fails(Call::Copy)) return HRESULT_FROM_WIN32(::GetLastError());
        if (!SystemCalls::CopyFileExW(source, target, nullptr, nullptr, p->pfCancel, p->dwCopyFlags & COPY_FILE_FAIL_IF_EXISTS))
            return HRESULT_FROM_WIN32(::GetLastError());
        for (int piece = 0; piece < 3; ++piece) {
            COPYFILE2_MESSAGE message{};
            message.Type = COPYFILE2_CALLBACK_CHUNK_FINISHED;
            ++pieces;
            if (onPiece) onPiece(pieces);
            if (*p->pfCancel || p->pProgressRoutine(&message, p->pvCallbackContext) == COPYFILE2_PROGRESS_CANCEL) {
                ::DeleteFileW(target);
                return HRESULT_FROM_WIN32(ERROR_REQUEST_ABORTED);
            }
        }
        return S_OK;
    }
    BOOL CopyFileExW(const wchar_t* source, const wchar_t* target, LPPROGRESS_ROUTINE progress, void* context,
                     BOOL* cancel, DWORD flags) override {
        if (Fails(Call::Copy)) {
            // Windows removes its partial copy; a read-only one must go all the same.
            const DWORD error = ::GetLastError();
            if (SystemCalls::CopyFileExW(source, target, nullptr, nullptr, nullptr, flags))
                ::SetFileAttributesW(target, FILE_ATTRIBUTE_READONLY);
            ::SetLastError(error);
            return FALSE;
        }
        return SystemCalls::CopyFileExW(source, target, progress, context, cancel, flags);
    }
    BOOL SetInfo(HANDLE handle, FILE_INFO_BY_HANDLE_CLASS type, void* info, DWORD size) override {
        if (type == FileRenameInfo && Fails(Call::Rename)) return FALSE;
        return SystemCalls::SetInfo(handle, type, info, size);
    }
    void Wait(DWORD milliseconds) override { waits.push_back(milliseconds); }

private:
    bool Fails(Call call) {
        const int count = ++counts_[static_cast<int>(call)];
        const DWORD error = before ? before(call, count) : 0;
        if (error != 0) ::SetLastError(error);
        return error != 0;
    }
    int counts_[2] = {};
};

DWORD AttributesOf(const std::filesystem::path& path) { return ::GetFileAttributesW(path.c_str()); }

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

// Both ways of copying: CopyFile2 where Windows has it, CopyFileExW where
// not (Windows 7, Wine).
TEST(Win32FileServices, CopyKeepsDataLastWriteTimeAndAttributes) {
    constexpr DWORD kKept = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;
    for (const bool copyFile2 : {false, true}) {
        TempDir dir;
        std::string data(3 * 1024 * 1024 + 5, '\0');
        for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 31 % 251);
        WriteFile(dir.Path() / "src.bin", data);
        test::SetModified(dir.Path() / "src.bin", 2009, 11, 17, 9, 5, 3);
        ASSERT_TRUE(::SetFileAttributesW((dir.Path() / "src.bin").c_str(), kKept));
        FaultyCalls calls;
        calls.copyFile2 = copyFile2;
        const FileServices fso(calls);

        fso.CopyNoReplace(dir.U16("src.bin"), dir.U16(), u"copy.bin");

        EXPECT_EQ(ReadFile(dir.Path() / "copy.bin"), data);
        EXPECT_EQ(fso.GetFile(dir.U16("copy.bin")).DateLastModified, (LocalDateTime{2009, 11, 17, 9, 5, 3}));
        EXPECT_EQ(AttributesOf(dir.Path() / "copy.bin") & kKept, kKept) << "copyFile2=" << copyFile2;
        EXPECT_EQ(ListFolder(dir.Path()), (Names{"copy.bin", "src.bin"}));
        // Never COPY_FILE_ALLOW_DECRYPTED_DESTINATION: an encrypted file is
        // copied encrypted or not at all.
        if (copyFile2) {
            EXPECT_EQ(calls.copyFlags, DWORD{COPY_FILE_FAIL_IF_EXISTS});
        }
        ::SetFileAttributesW((dir.Path() / "src.bin").c_str(), FILE_ATTRIBUTE_NORMAL);
        ::SetFileAttributesW((dir.Path() / "copy.bin").c_str(), FILE_ATTRIBUTE_NORMAL);
    }
}

// What Wine does not emulate (it makes a file named "x:Zone.Identifier",
// its EncryptFileW does nothing, it writes holes out) is checked where the
// file system has it, and skipped with the reason where it does not.
TEST(Win32FileServices, KeepsStreamsEncryptionAndHolesWhereTheFileSystemHasThem) {
    TempDir dir;
    const auto source = dir.Path() / "download.exe";
    WriteFile(source, "MZ");
    const FileServices fso;
    std::vector<std::string> missing;

    WriteFile(dir.Path() / "download.exe:Zone.Identifier", "[ZoneTransfer]\r\nZoneId=3\r\n");
    WIN32_FIND_STREAM_DATA stream;
    const HANDLE streams = ::FindFirstStreamW(source.c_str(), FindStreamInfoStandard, &stream, 0);
    const bool namedStreams = streams != INVALID_HANDLE_VALUE && ::FindNextStreamW(streams, &stream);
    if (streams != INVALID_HANDLE_VALUE) ::FindClose(streams);
    if (!namedStreams) missing.push_back("named streams");

    const auto sparse = dir.Path() / "disk.img";
    WriteFile(sparse, "");
    {
        const HANDLE file = ::CreateFileW(sparse.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        DWORD done = 0;
        ::DeviceIoControl(file, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &done, nullptr);
        LARGE_INTEGER end{};
        end.QuadPart = LONGLONG{1} << 30;
        ::SetFilePointerEx(file, end, nullptr, FILE_BEGIN);
        ::SetEndOfFile(file);
        ::CloseHandle(file);
    }
    const bool holes = (AttributesOf(sparse) & FILE_ATTRIBUTE_SPARSE_FILE) != 0;
    if (!holes) missing.push_back("sparse files");

    const auto secret = dir.Path() / "secret.txt";
    WriteFile(secret, "confidential");
    const bool encryption = ::EncryptFileW(secret.c_str()) && (AttributesOf(secret) & FILE_ATTRIBUTE_ENCRYPTED) != 0;
    if (!encryption) missing.push_back("encryption");

    if (namedStreams) {
        std::filesystem::create_directory(dir.Path() / "out");
        fso.CopyNoReplace(test::U16(source), dir.U16("out"), u"renamed.exe");
        EXPECT_EQ(ReadFile(dir.Path() / "out" / "renamed.exe:Zone.Identifier"), "[ZoneTransfer]\r\nZoneId=3\r\n");
    }
    if (holes) {
        fso.CopyNoReplace(test::U16(sparse), dir.U16(), u"copy.img");
        EXPECT_NE(AttributesOf(dir.Path() / "copy.img") & FILE_ATTRIBUTE_SPARSE_FILE, 0u);
        DWORD high = 0;
        const DWORD low = ::GetCompressedFileSizeW((dir.Path() / "copy.img").c_str(), &high);
        EXPECT_LT((ULONGLONG{high} << 32 | low), ULONGLONG{1} << 20) << "the holes were written out";
    }
    if (encryption) {
        // Encrypted, or refused; never a plain copy.
        const std::u16string error = ErrorOf([&] { fso.CopyNoReplace(test::U16(secret), dir.U16(), u"copy.txt"); });
        if (error.empty()) {
            EXPECT_NE(AttributesOf(dir.Path() / "copy.txt") & FILE_ATTRIBUTE_ENCRYPTED, 0u);
        } else {
            EXPECT_FALSE(std::filesystem::exists(dir.Path() / "copy.txt"));
        }
    }
    if (missing.size() == 3) GTEST_SKIP() << "this file system has no named streams, sparse files or encryption";
    for (const std::string& what : missing) std::cout << "not checked, the file system lacks " << what << "\n";
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
    for (const Row& row : {Row{"disk_full_read_only_left", FaultyCalls::Call::Copy, ERROR_DISK_FULL,
                               u"28:コピー先のファイル「%2」への書き込みを完了できません。ディスクの空き領域が不足しています。"
                               u"不要なファイルを削除して空き領域を増やしてから、もう一度ドロップしてください。"},
                           Row{"source_rewritten", FaultyCalls::Call::Copy, 0,
                               u"1006:コピー元のファイル「%1」がコピー中に変更されたため、コピーを取り消しました。"},
                           Row{"rename_fails", FaultyCalls::Call::Rename, ERROR_ACCESS_DENIED,
                               u"13:コピー先のファイル「%2」を作成できません。アクセスが拒否されました。"
                               u"ファイルとフォルダーのアクセス許可を確認してから、もう一度ドロップしてください。"}}) {
        TempDir dir;
        WriteFile(dir.Path() / "src.txt", std::string(3 * 1024 * 1024, 'o'));
        test::SetModified(dir.Path() / "src.txt", 2009, 11, 17, 9, 5, 3);
        ASSERT_TRUE(::SetFileAttributesW((dir.Path() / "src.txt").c_str(), FILE_ATTRIBUTE_READONLY));
        FaultyCalls calls;
        calls.before = [&](FaultyCalls::Call call, int) -> DWORD {
            if (call != row.at) return 0;
            if (row.error == 0) {
                ::SetFileAttributesW((dir.Path() / "src.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
                WriteFile(dir.Path() / "src.txt", std::string(3 * 1024 * 1024, 'n'));
            }
            return row.error;
        };
        std::u16string expected = row.expected;
        expected.replace(expected.find(u"%"), 2, row.error == 0 ? dir.U16("src.txt") : dir.U16("dst.txt"));
        EXPECT_EQ(ErrorOf([&] { FileServices(calls).CopyNoReplace(dir.U16("src.txt"), dir.U16(), u"dst.txt"); }), expected)
            << row.label;
        EXPECT_EQ(ListFolder(dir.Path()), Names{"src.txt"}) << row.label;
        ::SetFileAttributesW((dir.Path() / "src.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
    }
}

// A stop asked for during the copy: CopyFile2's progress routine cancels it;
// Wine's CopyFileExW never looks at its cancel flag, so the finished copy is
// discarded before it gets its name.
TEST(Win32FileServices, AStopEndsTheCopyAndLeavesNothing) {
    for (const bool copyFile2 : {false, true}) {
        TempDir dir;
        WriteFile(dir.Path() / "src.txt", std::string(1024 * 1024, 's'));
        FaultyCalls calls;
        calls.copyFile2 = copyFile2;
        std::stop_source stop;
        // CopyFile2: after its first piece; CopyFileExW: as it starts.
        calls.onPiece = [&](int piece) {
            if (piece == 2) stop.request_stop();
        };
        calls.before = [&](FaultyCalls::Call, int) -> DWORD {
            if (!copyFile2) stop.request_stop();
            return 0;
        };
        EXPECT_EQ(ErrorOf([&] {
                      FileServices(calls).CopyNoReplace(dir.U16("src.txt"), dir.U16(), u"dst.txt", stop.get_token());
                  }),
                  u"4:操作が中断されました。")
            << "copyFile2=" << copyFile2;
        if (copyFile2) {
            EXPECT_EQ(calls.pieces, 2);
        }
        EXPECT_EQ(ListFolder(dir.Path()), Names{"src.txt"}) << "copyFile2=" << copyFile2;
    }
}

// A virus scanner holding the new file for a moment is waited for, about a
// second in all, without sleeping here (the waits are only counted).
TEST(Win32FileServices, SharingViolationsAfterTheCopyAreRetriedBriefly) {
    for (const int failures : {3, 1000}) {
        TempDir dir;
        WriteFile(dir.Path() / "src.txt", "scanned");
        FaultyCalls calls;
        calls.before = [&](FaultyCalls::Call call, int count) -> DWORD {
            return call == FaultyCalls::Call::Rename && count <= failures ? ERROR_SHARING_VIOLATION : 0;
        };
        const std::u16string error =
            ErrorOf([&] { FileServices(calls).CopyNoReplace(dir.U16("src.txt"), dir.U16(), u"dst.txt"); });
        const DWORD waited = std::accumulate(calls.waits.begin(), calls.waits.end(), DWORD{0});
        if (failures == 3) {
            EXPECT_EQ(error, u"");
            EXPECT_EQ(calls.waits.size(), 3u);
            EXPECT_EQ(ReadFile(dir.Path() / "dst.txt"), "scanned");
        } else {
            EXPECT_EQ(error.substr(0, 3), u"16:");
            EXPECT_GE(waited, 900u);
            EXPECT_LE(waited, 1100u);
            EXPECT_EQ(ListFolder(dir.Path()), Names{"src.txt"});
        }
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

// The next batch into a folder removes the temporary copies of batches that
// ended by force, and nothing else: not those of running processes, of
// other computers, of unknown owners, nor anything not made by this program.
TEST(Win32FileServices, ListingRemovesOnlyTheTemporaryCopiesOfEndedBatches) {
    TempDir dir;
    const TemporaryOwner self = ThisProcess();
    ASSERT_NE(self.start, 0u) << "the process's creation time is unknown";
    const auto name = [](const TemporaryOwner& owner) {
        const std::u16string text = TemporaryCopyName(owner);
        return std::string(text.begin(), text.end());
    };
    const std::string ended = name({self.host, self.process, self.start + 1});   // an earlier process with our id
    const std::string endedReadOnly = name({self.host, self.process, self.start - 1});
    const std::string noProcess = name({self.host, 0xFFFFFFF0, self.start});     // no process has this id
    const std::string running = name(self);
    const std::string otherHost = name({self.host + 1, self.process, self.start + 1});
    const std::string unknownStart = name({self.host, self.process, 0});
    for (const std::string& file : {ended, endedReadOnly, noProcess, running, otherHost, unknownStart,
                                    std::string(".mirado-0123456789abcdef.tmp"), ended + ".txt", std::string("a.txt")})
        WriteFile(dir.Path() / file, "x");
    ASSERT_TRUE(::SetFileAttributesW((dir.Path() / endedReadOnly).c_str(), FILE_ATTRIBUTE_READONLY));
    const std::string endedFolder = name({self.host, self.process, self.start + 2});
    std::filesystem::create_directory(dir.Path() / endedFolder);

    const std::optional<std::vector<std::u16string>> listed = FileServices().ListFileNames(dir.U16());

    Names kept{".mirado-0123456789abcdef.tmp", "a.txt", ended + ".txt", otherHost, running, unknownStart};
    std::sort(kept.begin(), kept.end());
    ASSERT_TRUE(listed.has_value());
    Names names;
    for (const std::u16string& text : *listed) names.emplace_back(text.begin(), text.end());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, kept);
    kept.push_back(endedFolder);
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(ListFolder(dir.Path()), kept);
}

}  // namespace
}  // namespace mirado
