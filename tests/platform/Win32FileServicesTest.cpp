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

// The real calls, with a hook before copies, each piece of CopyFile2's
// work and renames, that may stage a race or make the call fail with a
// chosen error; waits are only counted. With copyFile2 set, CopyFile2 is
// there: it copies by CopyFileExW below, then asks the progress routine
// before each of its (emulated) pieces, as Windows asks it.
class FaultyCalls : public SystemCalls {
public:
    enum class Call { Copy, Piece, Rename };
    std::function<DWORD(Call, int)> before;  // returns an error to fail with, or 0
    bool copyFile2 = false;
    DWORD copyFlags = 0;           // what CopyFile2 was asked for
    std::vector<DWORD> waits;      // milliseconds

    int Count(Call call) const { return counts_[static_cast<int>(call)]; }

    HRESULT CopyFile2(const wchar_t* source, const wchar_t* target, COPYFILE2_EXTENDED_PARAMETERS* p) override {
        if (!copyFile2) return HRESULT_FROM_WIN32(ERROR_CALL_NOT_IMPLEMENTED);
        copyFlags = p->dwCopyFlags;
        if (!CopyFileExW(source, target, nullptr, nullptr, p->pfCancel, p->dwCopyFlags & COPY_FILE_FAIL_IF_EXISTS))
            return HRESULT_FROM_WIN32(::GetLastError());
        for (int piece = 0; piece < 3; ++piece) {
            COPYFILE2_MESSAGE message{};
            message.Type = COPYFILE2_CALLBACK_CHUNK_FINISHED;
            if (*p->pfCancel || p->pProgressRoutine(&message, p->pvCallbackContext) == COPYFILE2_PROGRESS_CANCEL) {
                ::DeleteFileW(target);
                return HRESULT_FROM_WIN32(ERROR_REQUEST_ABORTED);
            }
            Fails(Call::Piece);
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
    int counts_[3] = {};
};
using Call = FaultyCalls::Call;

// src.txt, read-only and dated, in a folder of its own, to be copied there
// as dst.txt through FaultyCalls, with a stop of its own.
struct CopyScene {
    CopyScene(bool copyFile2, const std::string& data, DWORD attributes = FILE_ATTRIBUTE_READONLY) {
        WriteFile(dir.Path() / "src.txt", data);
        test::SetModified(dir.Path() / "src.txt", 2009, 11, 17, 9, 5, 3);
        EXPECT_TRUE(::SetFileAttributesW((dir.Path() / "src.txt").c_str(), attributes));
        calls.copyFile2 = copyFile2;
    }
    ~CopyScene() {  // read-only files would stay behind
        for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
            ::SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    std::u16string Copy() {
        return ErrorOf([&] { FileServices(calls).CopyNoReplace(dir.U16("src.txt"), dir.U16(), u"dst.txt", stop.get_token()); });
    }

    TempDir dir;
    FaultyCalls calls;
    std::stop_source stop;
};

DWORD AttributesOf(const std::filesystem::path& path) { return ::GetFileAttributesW(path.c_str()); }

TEST(Win32PathText, SplitsDriveAndSharePaths) {
    struct Row {
        const char* label;
        std::u16string path, base, ext, parent;
        bool full;
    };
    const FileServices fso;
    for (const Row& row : {Row{"drive", u"C:\\a\\report.txt", u"report", u"txt", u"C:\\a", true},
                           Row{"drive_slashes", u"C:/a/b.tar.gz", u"b.tar", u"gz", u"C:/a", true},
                           Row{"drive_root", u"C:\\x.txt", u"x", u"txt", u"C:\\", true},
                           Row{"share", u"\\\\server\\share\\d\\x.txt", u"x", u"txt", u"\\\\server\\share\\d", true},
                           Row{"share_root", u"\\\\server\\share\\x.txt", u"x", u"txt", u"\\\\server\\share\\", true},
                           Row{"long_form", u"\\\\?\\C:\\a\\x.txt", u"x", u"txt", u"\\\\?\\C:\\a", true},
                           Row{"drive_relative", u"C:foo.txt", u"foo", u"txt", u"C:", false},
                           Row{"root_relative", u"\\foo\\x.txt", u"x", u"txt", u"\\foo", false},
                           Row{"relative", u"foo\\x.txt", u"x", u"txt", u"foo", false},
                           Row{"share_itself", u"\\\\server\\share", u"", u"", u"", true},
                           Row{"server_only", u"\\\\server\\", u"server", u"", u"\\", false}}) {
        SCOPED_TRACE(row.label);
        EXPECT_EQ(fso.GetBaseName(row.path), row.base);
        EXPECT_EQ(fso.GetExtensionName(row.path), row.ext);
        EXPECT_EQ(fso.GetParentFolderName(row.path), row.parent);
        EXPECT_EQ(fso.IsAbsolutePath(row.path), row.full);
    }
}

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
// not (Windows 7, Wine). A virus scanner that holds the new file for a
// moment is waited for.
TEST(Win32FileServices, CopyKeepsDataLastWriteTimeAndAttributes) {
    constexpr DWORD kKept = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;
    std::string data(3 * 1024 * 1024 + 5, '\0');
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 31 % 251);
    for (const bool copyFile2 : {false, true}) {
        SCOPED_TRACE(copyFile2 ? "CopyFile2" : "CopyFileExW");
        CopyScene scene(copyFile2, data, kKept);
        scene.calls.before = [](Call call, int count) -> DWORD {
            return call == Call::Rename && count <= 3 ? ERROR_SHARING_VIOLATION : 0;
        };

        EXPECT_EQ(scene.Copy(), u"");

        EXPECT_EQ(ReadFile(scene.dir.Path() / "dst.txt"), data);
        EXPECT_EQ(FileServices().GetFile(scene.dir.U16("dst.txt")).DateLastModified,
                  (LocalDateTime{2009, 11, 17, 9, 5, 3}));
        EXPECT_EQ(AttributesOf(scene.dir.Path() / "dst.txt") & kKept, kKept);
        EXPECT_EQ(ListFolder(scene.dir.Path()), (Names{"dst.txt", "src.txt"}));
        EXPECT_EQ(scene.calls.waits.size(), 3u);
        // Never COPY_FILE_ALLOW_DECRYPTED_DESTINATION: an encrypted file is
        // copied encrypted or not at all.
        EXPECT_EQ(scene.calls.copyFlags, copyFile2 ? DWORD{COPY_FILE_FAIL_IF_EXISTS} : 0);
    }
}

// What Wine does not emulate (it makes a file named "x:Zone.Identifier",
// its EncryptFileW does nothing, it writes holes out) is checked where the
// file system has it, and skipped with the reason where it does not.
TEST(Win32FileServices, KeepsStreamsEncryptionAndHolesWhereTheFileSystemHasThem) {
    TempDir dir;
    const FileServices fso;
    std::vector<std::string> missing;

    WriteFile(dir.Path() / "download.exe", "MZ");
    WriteFile(dir.Path() / "download.exe:Zone.Identifier", "[ZoneTransfer]\r\nZoneId=3\r\n");
    if (ListFolder(dir.Path()) == Names{"download.exe"}) {  // the stream is no file of its own
        std::filesystem::create_directory(dir.Path() / "out");
        fso.CopyNoReplace(dir.U16("download.exe"), dir.U16("out"), u"renamed.exe");
        EXPECT_EQ(ReadFile(dir.Path() / "out" / "renamed.exe:Zone.Identifier"), "[ZoneTransfer]\r\nZoneId=3\r\n");
    } else {
        missing.push_back("named streams");
    }

    const auto sparse = dir.Path() / "disk.img";
    WriteFile(sparse, "");
    const HANDLE file = ::CreateFileW(sparse.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    DWORD done = 0;
    ::DeviceIoControl(file, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &done, nullptr);
    LARGE_INTEGER end{};
    end.QuadPart = LONGLONG{1} << 30;
    ::SetFilePointerEx(file, end, nullptr, FILE_BEGIN);
    ::SetEndOfFile(file);
    ::CloseHandle(file);
    if ((AttributesOf(sparse) & FILE_ATTRIBUTE_SPARSE_FILE) != 0) {
        fso.CopyNoReplace(test::U16(sparse), dir.U16(), u"copy.img");
        EXPECT_NE(AttributesOf(dir.Path() / "copy.img") & FILE_ATTRIBUTE_SPARSE_FILE, 0u);
        DWORD high = 0;
        const DWORD low = ::GetCompressedFileSizeW((dir.Path() / "copy.img").c_str(), &high);
        EXPECT_LT((ULONGLONG{high} << 32 | low), ULONGLONG{1} << 20) << "the holes were written out";
    } else {
        missing.push_back("sparse files");
    }

    const auto secret = dir.Path() / "secret.txt";
    WriteFile(secret, "confidential");
    if (::EncryptFileW(secret.c_str()) && (AttributesOf(secret) & FILE_ATTRIBUTE_ENCRYPTED) != 0) {
        // Encrypted, or refused; never a plain copy.
        const std::u16string error = ErrorOf([&] { fso.CopyNoReplace(test::U16(secret), dir.U16(), u"copy.txt"); });
        if (error.empty()) {
            EXPECT_NE(AttributesOf(dir.Path() / "copy.txt") & FILE_ATTRIBUTE_ENCRYPTED, 0u);
        } else {
            EXPECT_FALSE(std::filesystem::exists(dir.Path() / "copy.txt"));
        }
    } else {
        missing.push_back("encryption");
    }
    if (missing.size() == 3)
        GTEST_SKIP() << "this file system has no named streams, sparse files or encryption (Wine emulates none of them)";
    for (const std::string& what : missing) std::cout << "not checked, the file system lacks " << what << "\n";
}

// A copy that fails or is stopped, either way of copying, leaves nothing of
// its own: neither under its name nor under a temporary one. A file that
// takes the name (in any case) while the copy is written stays as it is.
// Wine's CopyFileExW never looks at its cancel flag, so a copy finished
// after a stop is discarded before it gets its name.
TEST(Win32FileServices, AFailedCopyLeavesNothing) {
    struct Row {
        const char* label;
        Call at;                        // where it goes wrong: that call (the first use of it)
        DWORD error;                    // fails with this, or 0
        void (*meanwhile)(CopyScene&);  // or this happens just before it
        std::u16string expected;        // %1 for the source, %2 for the target
        Names left;
        DWORD waited = 0;  // milliseconds, about
    };
    const Row rows[] = {
        {"disk_full_read_only_left", Call::Copy, ERROR_DISK_FULL, nullptr,
         u"28:コピー先のファイル「%2」への書き込みを完了できません。ディスクの空き領域が不足しています。"
         u"不要なファイルを削除して空き領域を増やしてから、もう一度ドロップしてください。",
         {"src.txt"}},
        {"source_rewritten", Call::Copy, 0,
         [](CopyScene& scene) {
             ::SetFileAttributesW((scene.dir.Path() / "src.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
             WriteFile(scene.dir.Path() / "src.txt", std::string(3 * 1024 * 1024, 'n'));
         },
         u"1006:コピー元のファイル「%1」がコピー中に変更されたため、コピーを取り消しました。", {"src.txt"}},
        {"name_taken_meanwhile", Call::Rename, 0, [](CopyScene& scene) { WriteFile(scene.dir.Path() / "DST.txt", "theirs"); },
         u"17:コピー先のファイル「%2」を作成できません。同じ名前のファイルまたはフォルダーが既にあります。",
         {"DST.txt", "src.txt"}},
        {"rename_refused", Call::Rename, ERROR_ACCESS_DENIED, nullptr,
         u"13:コピー先のファイル「%2」を作成できません。アクセスが拒否されました。"
         u"ファイルとフォルダーのアクセス許可を確認してから、もう一度ドロップしてください。",
         {"src.txt"}},
        // A virus scanner that never lets go of the new file: about a second.
        {"held_by_a_scanner", Call::Rename, ERROR_SHARING_VIOLATION, nullptr,
         u"16:コピー先のファイル「%2」を作成できません。ファイルが使用中です。"
         u"このファイルを使用しているアプリを閉じてから、もう一度ドロップしてください。",
         {"src.txt"}, 1000},
        {"stopped", Call::Copy, 0, [](CopyScene& scene) { scene.stop.request_stop(); }, u"4:操作が中断されました。",
         {"src.txt"}},
    };
    for (const Row& row : rows) {
        for (const bool copyFile2 : {false, true}) {
            SCOPED_TRACE(std::string(row.label) + (copyFile2 ? " CopyFile2" : " CopyFileExW"));
            CopyScene scene(copyFile2, std::string(3 * 1024 * 1024, 'o'));
            scene.calls.before = [&](Call call, int) -> DWORD {
                if (call != row.at) return 0;
                if (row.meanwhile) row.meanwhile(scene);
                return row.error;
            };
            std::u16string expected = row.expected;
            for (const auto& [mark, path] : {std::pair{u"%1", scene.dir.U16("src.txt")}, {u"%2", scene.dir.U16("dst.txt")}})
                if (const size_t at = expected.find(mark); at != std::u16string::npos) expected.replace(at, 2, path);

            EXPECT_EQ(scene.Copy(), expected);

            EXPECT_EQ(ListFolder(scene.dir.Path()), row.left);
            for (const std::string& name : row.left) {
                if (name != "src.txt") { EXPECT_EQ(ReadFile(scene.dir.Path() / name), "theirs"); }
            }
            const DWORD waited = std::accumulate(scene.calls.waits.begin(), scene.calls.waits.end(), DWORD{0});
            EXPECT_NEAR(waited, row.waited, row.waited / 10);
            if (scene.stop.stop_requested()) { EXPECT_EQ(scene.calls.Count(Call::Piece), 0) << "copied on after the stop"; }
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
    const auto name = [](const TemporaryOwner& owner) { return test::FsPath(TemporaryCopyName(owner)).string(); };
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
