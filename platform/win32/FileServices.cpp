#include "FileServices.h"

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "BatchState.h"
#include "ErrorText.h"
#include "PathText.h"
#include "SystemCalls.h"

namespace mirado {
namespace {

constexpr DWORD kChunk = 1 << 20;      // bytes per read and write
constexpr std::size_t kNameMax = 255;  // UTF-16 units in one name on NTFS, FAT and exFAT
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

long LastError() { return static_cast<long>(::GetLastError()); }

// wchar_t is a UTF-16 unit on Windows.
std::wstring Wide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

// Closes a handle when it goes out of scope.
class HandleGuard {
public:
    HandleGuard(SystemCalls& calls, HANDLE handle) : calls_(calls), handle_(handle) {}
    ~HandleGuard() {
        if (Valid()) calls_.Close(handle_);
    }
    HandleGuard(const HandleGuard&) = delete;
    HandleGuard& operator=(const HandleGuard&) = delete;
    HANDLE Get() const { return handle_; }
    bool Valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }

private:
    SystemCalls& calls_;
    HANDLE handle_;
};

// The path as the wide calls take it without a length limit: made full by
// GetFullPathNameW (which resolves "." and ".."; the \\?\ form does not),
// then given the \\?\ or \\?\UNC\ prefix. Device paths (\\.\NUL) stay as
// they are, so that they are recognised as devices.
std::wstring LongPath(SystemCalls& calls, std::u16string_view path) {
    const std::wstring given = Wide(path);
    const DWORD needed = calls.FullPathName(given.c_str(), 0, nullptr);
    if (needed == 0) return given;
    std::wstring full(needed, L'\0');
    const DWORD length = calls.FullPathName(given.c_str(), needed, full.data());
    if (length == 0 || length >= needed) return given;
    full.resize(length);
    if (full.rfind(L"\\\\?\\", 0) == 0 || full.rfind(L"\\\\.\\", 0) == 0) return full;
    if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

bool IsRealFolder(DWORD attributes) {
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
           (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
}

bool IsNotThere(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

// What the program reads of an open file.
struct OpenFileInfo {
    FILE_BASIC_INFO basic{};
    FILE_STANDARD_INFO standard{};
};

bool ReadInfo(SystemCalls& calls, HANDLE handle, OpenFileInfo& info) {
    return calls.GetInfo(handle, FileBasicInfo, &info.basic, sizeof info.basic) &&
           calls.GetInfo(handle, FileStandardInfo, &info.standard, sizeof info.standard);
}

// Opens path (links followed) with access, and refuses what is not a
// regular file: folders, devices such as NUL or COM1, pipes.
std::unique_ptr<HandleGuard> OpenRegularFile(SystemCalls& calls, std::u16string_view path, DWORD access,
                                             OpenFileInfo& info, std::u16string_view action) {
    auto file = std::make_unique<HandleGuard>(
        calls, calls.Open(LongPath(calls, path).c_str(), access, kShareAll, OPEN_EXISTING,
                          FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_SEQUENTIAL_SCAN));
    if (!file->Valid()) throw SystemError(LastError(), action, path);
    if (calls.FileType(file->Get()) != FILE_TYPE_DISK) throw NotRegularFileError(path);
    if (!ReadInfo(calls, file->Get(), info)) throw SystemError(LastError(), action, path);
    if (info.standard.Directory || (info.basic.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        throw NotRegularFileError(path);
    return file;
}

LocalDateTime ToLocal(const LARGE_INTEGER& time, std::u16string_view path) {
    FILETIME file;
    file.dwLowDateTime = time.LowPart;
    file.dwHighDateTime = static_cast<DWORD>(time.HighPart);
    SYSTEMTIME utc, local;
    // Local time with the daylight-saving rule that Windows applies to that date.
    if (!::FileTimeToSystemTime(&file, &utc) || !::SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local))
        throw NoCalendarDateError(path);
    if (local.wYear < 1 || local.wYear > 9999) throw NoCalendarDateError(path);
    return {local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond};
}

// Opens the folder for the copy and holds it open without sharing its
// deletion, so that it cannot be renamed, removed or replaced by a junction
// until the copy is done. It must be a folder of its own: a junction or
// symbolic link of that name is refused, whatever it points to.
std::unique_ptr<HandleGuard> OpenTargetFolder(SystemCalls& calls, std::u16string_view folder) {
    auto handle = std::make_unique<HandleGuard>(
        calls, calls.Open(LongPath(calls, folder).c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                          OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT));
    if (!handle->Valid()) throw SystemError(LastError(), kCannotOpenTargetFolder, folder);
    FILE_BASIC_INFO basic{};
    if (!calls.GetInfo(handle->Get(), FileBasicInfo, &basic, sizeof basic))
        throw SystemError(LastError(), kCannotOpenTargetFolder, folder);
    if (!IsRealFolder(basic.FileAttributes)) throw NotRealFolderError(folder);
    return handle;
}

// A file that is written under a hidden temporary name of its own in the
// target folder and takes its final name only when complete, by a rename
// that never replaces. Until then nobody else can open it; when it is not
// committed, it is deleted through its handle, never by a name.
class TemporaryFile {
public:
    TemporaryFile(SystemCalls& calls, std::u16string_view folder) : calls_(calls) {
        for (int attempt = 0; attempt < 100; ++attempt) {
            handle_ = calls.Open(LongPath(calls, std::u16string(folder) + kPathSeparator + TemporaryCopyName()).c_str(),
                                 GENERIC_WRITE | DELETE, 0, CREATE_NEW, FILE_ATTRIBUTE_NORMAL);
            if (handle_ != INVALID_HANDLE_VALUE || ::GetLastError() != ERROR_FILE_EXISTS) break;
        }
        error_ = handle_ == INVALID_HANDLE_VALUE ? LastError() : 0;
    }
    ~TemporaryFile() {
        if (handle_ == INVALID_HANDLE_VALUE) return;
        if (!committed_) {
            FILE_DISPOSITION_INFO remove{TRUE};
            calls_.SetInfo(handle_, FileDispositionInfo, &remove, sizeof remove);
        }
        calls_.Close(handle_);
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    long Error() const { return error_; }
    HANDLE Get() const { return handle_; }

    // Renames the file to path, failing rather than replacing a file there.
    // Returns 0 or the system's error code.
    long Commit(const std::wstring& path) {
        std::vector<unsigned char> buffer(sizeof(FILE_RENAME_INFO) + path.size() * sizeof(wchar_t));
        auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
        rename->ReplaceIfExists = FALSE;
        rename->RootDirectory = nullptr;
        rename->FileNameLength = static_cast<DWORD>(path.size() * sizeof(wchar_t));
        std::copy(path.begin(), path.end(), rename->FileName);
        if (!calls_.SetInfo(handle_, FileRenameInfo, rename, static_cast<DWORD>(buffer.size()))) return LastError();
        committed_ = true;
        return 0;
    }

private:
    SystemCalls& calls_;
    HANDLE handle_ = INVALID_HANDLE_VALUE;
    long error_ = 0;
    bool committed_ = false;
};

// Copies at most size bytes: a source that keeps growing cannot keep the
// copy going; a stop asked for ends it between two chunks with
// ERROR_OPERATION_ABORTED. Returns 0 or the system's error code.
long CopyData(SystemCalls& calls, HANDLE source, HANDLE target, LONGLONG size, const std::stop_token& stop) {
    const auto buffer = std::make_unique_for_overwrite<char[]>(kChunk);
    for (LONGLONG left = size; left > 0;) {
        if (stop.stop_requested()) return ERROR_OPERATION_ABORTED;
        DWORD got = 0;
        if (!calls.Read(source, buffer.get(), static_cast<DWORD>(std::min<LONGLONG>(left, kChunk)), &got))
            return LastError();
        if (got == 0) return 0;  // the source ended early; the caller notices the change
        for (DWORD put = 0; put < got;) {
            DWORD wrote = 0;
            if (!calls.Write(target, buffer.get() + put, got - put, &wrote)) return LastError();
            put += wrote;
        }
        left -= got;
    }
    return 0;
}

}  // namespace

std::optional<std::vector<std::u16string>> FileServices::ListFileNames(std::u16string_view folder) const {
    WIN32_FIND_DATAW entry;
    const std::wstring pattern = LongPath(*calls_, std::u16string(folder) + kPathSeparator + u"*");
    const HANDLE find = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch, nullptr,
                                           FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE) return std::nullopt;
    std::vector<std::u16string> names;
    do {
        // Everything that FileExists finds: all but folders of their own.
        if (!IsRealFolder(entry.dwFileAttributes)) {
            const std::wstring_view name(entry.cFileName);
            names.emplace_back(name.begin(), name.end());
        }
    } while (::FindNextFileW(find, &entry));
    const bool complete = ::GetLastError() == ERROR_NO_MORE_FILES;
    ::FindClose(find);
    if (!complete) return std::nullopt;
    return names;
}

std::u16string FileServices::NameKey(std::u16string_view name) const {
    // The file system takes names that differ in case for the same name; it
    // compares them by simple upper case, whatever the user's language.
    const std::wstring wide = Wide(name);
    std::wstring upper(wide.size(), L'\0');
    const int length = ::LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, wide.data(), static_cast<int>(wide.size()),
                                       upper.data(), static_cast<int>(upper.size()), nullptr, nullptr, 0);
    if (length <= 0) return std::u16string(name);
    return std::u16string(upper.begin(), upper.begin() + length);
}

bool FileServices::FolderExists(std::u16string_view path) const {
    return IsRealFolder(calls_->Attributes(LongPath(*calls_, path).c_str()));
}

bool FileServices::FileExists(std::u16string_view path) const {
    // Windows compares names without regard to case: PHOTO.jpg takes photo.jpg.
    const std::u16string stored = StoredPath(path);
    const DWORD attributes = calls_->Attributes(LongPath(*calls_, stored).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) return !IsRealFolder(attributes);
    const DWORD error = ::GetLastError();
    if (IsNotThere(error)) return false;
    throw SystemError(static_cast<long>(error), kCannotTestTarget, stored);
}

FileInfo FileServices::GetFile(std::u16string_view path) const {
    OpenFileInfo info;
    OpenRegularFile(*calls_, path, FILE_READ_ATTRIBUTES, info, kCannotReadDate);
    return FileInfo{ToLocal(info.basic.LastWriteTime, path)};
}

void FileServices::CheckSourceFile(std::u16string_view source) const {
    OpenFileInfo info;
    OpenRegularFile(*calls_, source, FILE_READ_ATTRIBUTES, info, kCannotOpenSource);
}

void FileServices::CopyNoReplace(std::u16string_view source, std::u16string_view folder, std::u16string_view name,
                                 std::stop_token stop) const {
    SystemCalls& calls = *calls_;
    OpenFileInfo before;
    const auto sourceFile = OpenRegularFile(calls, source, GENERIC_READ, before, kCannotOpenSource);

    const std::u16string target = std::u16string(folder) + kPathSeparator + std::u16string(StoredName(name));
    if (LastComponent(target).size() > kNameMax) throw ReasonError(kErrorNameTooLong, kCannotCreateTarget, target);
    const auto folderHandle = OpenTargetFolder(calls, folder);

    TemporaryFile file(calls, folder);
    if (file.Error() != 0) throw SystemError(file.Error(), kCannotCreateTarget, target);
    const long error = CopyData(calls, sourceFile->Get(), file.Get(), before.standard.EndOfFile.QuadPart, stop);
    if (error == ERROR_OPERATION_ABORTED && stop.stop_requested()) throw StopRequested();
    if (error != 0) throw SystemError(error, kCannotWriteTarget, target);

    OpenFileInfo after;
    if (!ReadInfo(calls, sourceFile->Get(), after)) throw SystemError(LastError(), kCannotOpenSource, source);
    if (after.standard.EndOfFile.QuadPart != before.standard.EndOfFile.QuadPart ||
        after.basic.LastWriteTime.QuadPart != before.basic.LastWriteTime.QuadPart ||
        after.basic.ChangeTime.QuadPart != before.basic.ChangeTime.QuadPart)
        throw SourceChangedError(source);

    // The last-write time, set after the last write (0 leaves a field as it is).
    FILE_BASIC_INFO times{};
    times.LastAccessTime = before.basic.LastAccessTime;
    times.LastWriteTime = before.basic.LastWriteTime;
    calls.SetInfo(file.Get(), FileBasicInfo, &times, sizeof times);

    if (const long error = file.Commit(LongPath(calls, target))) {
        // Taken meanwhile (in any case): nothing was replaced, another name may do.
        if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS)
            throw NameTakenError(SystemError(error, kCannotCreateTarget, target));
        throw SystemError(error, kCannotCreateTarget, target);
    }

    // Read-only only now: a read-only temporary file could not be removed.
    if ((before.basic.FileAttributes & FILE_ATTRIBUTE_READONLY) != 0) {
        FILE_BASIC_INFO readOnly{};
        readOnly.FileAttributes = FILE_ATTRIBUTE_READONLY;
        calls.SetInfo(file.Get(), FileBasicInfo, &readOnly, sizeof readOnly);
    }
}

long FileServices::MakeOneFolder(std::u16string_view path) const {
    if (calls_->MakeFolder(LongPath(*calls_, path).c_str()) || ::GetLastError() == ERROR_ALREADY_EXISTS) return 0;
    return LastError();
}

}  // namespace mirado
