#include "FileServices.h"

#include <windows.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "BatchState.h"
#include "ErrorText.h"
#include "Handles.h"
#include "PathText.h"
#include "ProcessOwner.h"
#include "SystemCalls.h"
#include "TemporaryName.h"

namespace mirado {
namespace {

constexpr std::size_t kNameMax = 255;  // UTF-16 units in one name on NTFS, FAT and exFAT
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

bool IsRealFolder(DWORD attributes) {
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
           (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
}

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
    if (!file->Valid()) throw SystemError(calls.LastError(), action, path);
    if (calls.FileType(file->Get()) != FILE_TYPE_DISK) throw NotRegularFileError(path);
    if (!ReadInfo(calls, file->Get(), info)) throw SystemError(calls.LastError(), action, path);
    if (info.standard.Directory || (info.basic.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        throw NotRegularFileError(path);
    return file;
}

LocalDateTime ToLocal(SystemCalls& calls, const LARGE_INTEGER& time, std::u16string_view path) {
    FILETIME file;
    file.dwLowDateTime = time.LowPart;
    file.dwHighDateTime = static_cast<DWORD>(time.HighPart);
    SYSTEMTIME utc, local;
    // Local time with the daylight-saving rule that Windows applies to that date.
    if (!calls.FileTimeToUtc(&file, &utc) || !calls.UtcToLocal(&utc, &local)) throw NoCalendarDateError(path);
    if (local.wYear < 1 || local.wYear > 9999) throw NoCalendarDateError(path);
    return {local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond};
}

// Opens the folder and holds it open without sharing its deletion, so that
// it cannot be renamed, removed or replaced by a junction while it is held.
// It must be a folder of its own: for a junction or symbolic link of that
// name, whatever it points to, the result is null and error 0; when it
// cannot be opened, null and the system's error.
std::unique_ptr<HandleGuard> HoldFolder(SystemCalls& calls, std::u16string_view folder, long& error) {
    auto handle = std::make_unique<HandleGuard>(
        calls, calls.Open(LongPath(calls, folder).c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                          OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT));
    FILE_BASIC_INFO basic{};
    error = 0;
    if (!handle->Valid() || !calls.GetInfo(handle->Get(), FileBasicInfo, &basic, sizeof basic)) {
        error = static_cast<long>(calls.LastError());
        return nullptr;
    }
    return IsRealFolder(basic.FileAttributes) ? std::move(handle) : nullptr;
}

// The output folder of a copy, held as HoldFolder does until the copy is done.
std::unique_ptr<HandleGuard> OpenTargetFolder(SystemCalls& calls, std::u16string_view folder) {
    long error = 0;
    auto handle = HoldFolder(calls, folder, error);
    if (handle) return handle;
    if (error == 0) throw NotRealFolderError(folder);
    throw SystemError(error, kCannotOpenTargetFolder, folder);
}

// The Win32 error code in result; another failure keeps its own code.
long ErrorOfResult(HRESULT result) {
    if (HRESULT_FACILITY(result) == FACILITY_WIN32) return HRESULT_CODE(result);
    return static_cast<long>(result);
}

// CopyFile2 asks after every piece of work whether to go on.
COPYFILE2_MESSAGE_ACTION CALLBACK CopyProgress(const COPYFILE2_MESSAGE* /*message*/, PVOID stop) {
    return static_cast<const std::stop_token*>(stop)->stop_requested() ? COPYFILE2_PROGRESS_CANCEL
                                                                       : COPYFILE2_PROGRESS_CONTINUE;
}

// Lets Windows copy source into the new file target, as its own copy does:
// named streams, attributes, encryption (never decrypted), holes, the
// last-write time, a copy on the server or by block cloning where the file
// system offers it. It never replaces a file. CopyFile2 where there is one,
// else CopyFileExW; a stop asked for cancels either, and both then remove
// what they wrote. Returns 0 or the system's error code.
long CopyByWindows(SystemCalls& calls, const std::wstring& source, const std::wstring& target,
                   const std::stop_token& stop) {
    BOOL cancel = FALSE;
    const std::stop_callback onStop(stop, [&cancel] { std::atomic_ref<BOOL>(cancel).store(TRUE); });
    COPYFILE2_EXTENDED_PARAMETERS parameters{sizeof parameters, COPY_FILE_FAIL_IF_EXISTS, &cancel, CopyProgress,
                                             const_cast<std::stop_token*>(&stop)};
    const HRESULT result = calls.CopyFile2(source.c_str(), target.c_str(), &parameters);
    if (result != E_NOTIMPL && result != HRESULT_FROM_WIN32(ERROR_CALL_NOT_IMPLEMENTED))
        return SUCCEEDED(result) ? 0 : ErrorOfResult(result);
    if (calls.CopyFileExW(source.c_str(), target.c_str(), nullptr, nullptr, &cancel, COPY_FILE_FAIL_IF_EXISTS)) return 0;
    return static_cast<long>(calls.LastError());
}

// The finished copy under its temporary name, open so that nobody else can
// write it, until it takes its final name by a rename that never replaces.
// When it is not committed, it is removed through its handle.
class TemporaryCopy {
public:
    TemporaryCopy(SystemCalls& calls, const std::wstring& path) : calls_(calls) {
        // FILE_SHARE_READ lets a virus scanner go on reading; writers are kept out.
        error_ = RetryingSharingViolations(calls, [&] {
            handle_ = calls.Open(path.c_str(), DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ,
                                 OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS);
            return handle_ != INVALID_HANDLE_VALUE;
        });
        if (error_ == 0 && !ReadInfo(calls, handle_, info_)) error_ = static_cast<long>(calls.LastError());
    }
    ~TemporaryCopy() {
        if (handle_ == INVALID_HANDLE_VALUE) return;
        if (!committed_) RemoveOnClose(calls_, handle_, info_.basic.FileAttributes);
        calls_.Close(handle_);
    }
    TemporaryCopy(const TemporaryCopy&) = delete;
    TemporaryCopy& operator=(const TemporaryCopy&) = delete;

    long Error() const { return error_; }
    const OpenFileInfo& Info() const { return info_; }

    // Renames the file to path, failing rather than replacing a file there.
    // Returns 0 or the system's error code.
    long Commit(const std::wstring& path) {
        std::vector<unsigned char> buffer(sizeof(FILE_RENAME_INFO) + path.size() * sizeof(wchar_t));
        auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
        rename->ReplaceIfExists = FALSE;
        rename->RootDirectory = nullptr;
        rename->FileNameLength = static_cast<DWORD>(path.size() * sizeof(wchar_t));
        std::copy(path.begin(), path.end(), rename->FileName);
        const long error = RetryingSharingViolations(calls_, [&] {
            return calls_.SetInfo(handle_, FileRenameInfo, rename, static_cast<DWORD>(buffer.size()));
        });
        committed_ = error == 0;
        return error;
    }

private:
    SystemCalls& calls_;
    HANDLE handle_ = INVALID_HANDLE_VALUE;
    OpenFileInfo info_;
    long error_ = 0;
    bool committed_ = false;
};

// The identity of an open file; all zero when the file system does not tell it.
FILE_ID_INFO IdOf(SystemCalls& calls, HANDLE handle) {
    FILE_ID_INFO id{};
    if (!calls.GetInfo(handle, FileIdInfo, &id, sizeof id)) id = FILE_ID_INFO{};
    return id;
}

bool SameId(const FILE_ID_INFO& a, const FILE_ID_INFO& b) {
    return a.VolumeSerialNumber == b.VolumeSerialNumber &&
           std::equal(std::begin(a.FileId.Identifier), std::end(a.FileId.Identifier), std::begin(b.FileId.Identifier));
}

// Throws unless the file at source is still the one that was opened as
// before (same id, size, last-write and change times) and the copy got all
// of it: Windows copied by the path, which might have been written to, or
// given to another file, meanwhile.
void CheckUnchanged(SystemCalls& calls, std::u16string_view source, HANDLE opened, const OpenFileInfo& before,
                    const OpenFileInfo& copy) {
    OpenFileInfo after;
    std::unique_ptr<HandleGuard> now;
    try {
        now = OpenRegularFile(calls, source, FILE_READ_ATTRIBUTES, after, kCannotOpenSource);
    } catch (const mirado::Error&) {
        throw SourceChangedError(source);  // removed or replaced by something else
    }
    if (!SameId(IdOf(calls, opened), IdOf(calls, now->Get())) ||
        after.standard.EndOfFile.QuadPart != before.standard.EndOfFile.QuadPart ||
        after.basic.LastWriteTime.QuadPart != before.basic.LastWriteTime.QuadPart ||
        after.basic.ChangeTime.QuadPart != before.basic.ChangeTime.QuadPart ||
        copy.standard.EndOfFile.QuadPart != before.standard.EndOfFile.QuadPart)
        throw SourceChangedError(source);
}

// A copy whose data Windows has written under a temporary name of ours in
// the output folder, held open until it is named or removed.
class WaitingCopy final : public PendingCopy {
public:
    WaitingCopy(SystemCalls& calls, std::u16string_view source, std::u16string_view folder, std::u16string_view name,
                const std::stop_token& stop)
        : calls_(calls), folder_(folder) {
        // The folder is held from here until the copy is named, so that it stays a folder of its own.
        // Held open (readable, so that an unreadable source is reported as
        // such) to tell afterwards whether the file at its path is still this one.
        OpenFileInfo before;
        const auto sourceFile = OpenRegularFile(calls, source, GENERIC_READ, before, kCannotOpenSource);
        const std::u16string planned = folder_ + kPathSeparator + std::u16string(StoredName(name));
        folderHandle_ = OpenTargetFolder(calls, folder_);

        // A name of its own in the folder, which says whose it is.
        const std::wstring from = LongPath(calls, source);
        std::wstring temporary;
        long error = 0;
        for (int attempt = 0; attempt < 100; ++attempt) {
            temporary = LongPath(calls, folder_ + kPathSeparator + TemporaryCopyName(ThisProcess()));
            error = CopyByWindows(calls, from, temporary, stop);
            if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
        }
        if (error != 0) {
            // Windows removes what it wrote; whatever it left under the name is ours.
            if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) RemoveOwnFile(calls, temporary);
            if (stop.stop_requested()) throw StopRequested();
            throw SystemError(error, kCannotWriteTarget, planned);
        }
        copy_ = std::make_unique<TemporaryCopy>(calls, temporary);
        if (copy_->Error() != 0) {
            const long opened = copy_->Error();
            copy_.reset();
            RemoveOwnFile(calls, temporary);
            throw SystemError(opened, kCannotCreateTarget, planned);
        }
        if (stop.stop_requested()) throw StopRequested();  // Wine's CopyFileExW never looks at the cancel flag
        CheckUnchanged(calls, source, sourceFile->Get(), before, copy_->Info());
    }

    void Name(std::u16string_view name) override {
        const std::u16string target = folder_ + kPathSeparator + std::u16string(StoredName(name));
        if (LastComponent(target).size() > kNameMax) throw ReasonError(kErrorNameTooLong, kCannotCreateTarget, target);
        if (const long error = copy_->Commit(LongPath(calls_, target))) {
            // Taken meanwhile (in any case): nothing was replaced, another name may do.
            if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS)
                throw NameTakenError(SystemError(error, kCannotCreateTarget, target));
            throw SystemError(error, kCannotCreateTarget, target);
        }
    }

private:
    SystemCalls& calls_;
    std::u16string folder_;
    std::unique_ptr<HandleGuard> folderHandle_;
    std::unique_ptr<TemporaryCopy> copy_;
};

}  // namespace

std::optional<std::vector<std::u16string>> FileServices::ListFileNames(std::u16string_view folder) const {
    SystemCalls& calls = *calls_;
    WIN32_FIND_DATAW entry;
    const std::u16string prefix = std::u16string(folder) + kPathSeparator;
    const HANDLE find = calls.FindFirst(LongPath(calls, prefix + u"*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) return std::nullopt;
    std::vector<std::u16string> names, leftOvers;
    do {
        // Everything that FileExists finds: all but folders of their own.
        if (IsRealFolder(entry.dwFileAttributes)) continue;
        const std::wstring_view wide(entry.cFileName);
        std::u16string name(wide.begin(), wide.end());
        // Temporary copies of batches that ended by force go on the way.
        const std::optional<TemporaryOwner> owner = OwnerToCheck(name, ThisProcess());
        const bool plainFile = (entry.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0;
        (plainFile && owner && HasEnded(calls, *owner) ? leftOvers : names).push_back(std::move(name));
    } while (calls.FindNext(find, &entry));
    const bool complete = calls.LastError() == ERROR_NO_MORE_FILES;
    calls.FindEnd(find);
    if (!leftOvers.empty()) {
        // Only inside a folder of its own, held so that it stays one meanwhile.
        long error = 0;
        const auto held = HoldFolder(calls, folder, error);
        for (std::u16string& name : leftOvers) {
            if (!held || !RemoveOwnFile(calls, LongPath(calls, prefix + name))) names.push_back(std::move(name));
        }
    }
    if (!complete) return std::nullopt;
    return names;
}

std::u16string FileServices::NameKey(std::u16string_view name) const {
    // The file system takes names that differ in case for the same name; it
    // compares them by simple upper case, whatever the user's language.
    const std::wstring wide = Wide(name);
    std::wstring upper(wide.size(), L'\0');
    const int length = calls_->MapString(LCMAP_UPPERCASE, wide.data(), static_cast<int>(wide.size()), upper.data(),
                                         static_cast<int>(upper.size()));
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
    const DWORD error = calls_->LastError();
    if (IsNotThere(error)) return false;
    throw SystemError(static_cast<long>(error), kCannotTestTarget, stored);
}

FileInfo FileServices::GetFile(std::u16string_view path) const {
    OpenFileInfo info;
    OpenRegularFile(*calls_, path, FILE_READ_ATTRIBUTES, info, kCannotReadDate);
    return FileInfo{ToLocal(*calls_, info.basic.LastWriteTime, path)};
}

void FileServices::CheckSourceFile(std::u16string_view source) const {
    OpenFileInfo info;
    OpenRegularFile(*calls_, source, FILE_READ_ATTRIBUTES, info, kCannotOpenSource);
}

std::unique_ptr<PendingCopy> FileServices::CopyData(std::u16string_view source, std::u16string_view folder,
                                                    std::u16string_view name, std::stop_token stop) const {
    return std::make_unique<WaitingCopy>(*calls_, source, folder, name, stop);
}

long FileServices::MakeOneFolder(std::u16string_view path) const {
    if (calls_->MakeFolder(LongPath(*calls_, path).c_str())) return 0;
    const DWORD error = calls_->LastError();
    return error == ERROR_ALREADY_EXISTS ? 0 : static_cast<long>(error);
}

FileServices::Overlap FileServices::CopiesAtOnce(std::u16string_view folder) const {
    // Linux's reasoning, not measured on Windows: copies on a share (a UNC
    // path or a mapped network drive) wait for it, those on a local disk
    // keep the processors busy. Handles have no limit that a few copies
    // could meet.
    Overlap overlap{kMostCopiesAtOnce, false};
    const std::wstring path = LongPath(*calls_, folder);  // \\?\UNC\server\... or \\?\C:\...
    if (path.starts_with(L"\\\\?\\UNC\\")) {
        overlap.copiesWait = true;
    } else if (path.size() >= 7) {
        const std::wstring root = path.substr(4, 3);  // the drive's root, "C:\\" for example
        overlap.copiesWait = ::GetDriveTypeW(root.c_str()) == DRIVE_REMOTE;
    }
    return overlap;
}

void FileServices::RemoveFolderIfEmpty(std::u16string_view path) const {
    // RemoveDirectoryW removes only an empty folder.
    calls_->RemoveFolder(LongPath(*calls_, path).c_str());
}

}  // namespace mirado
