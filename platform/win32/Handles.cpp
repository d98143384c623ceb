#include "Handles.h"

namespace mirado {

bool IsNotThere(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

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

bool RemoveOnClose(SystemCalls& calls, HANDLE handle, DWORD attributes) {
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        FILE_BASIC_INFO writable{};  // 0 leaves the times as they are
        writable.FileAttributes = (attributes & ~FILE_ATTRIBUTE_READONLY) | FILE_ATTRIBUTE_NORMAL;
        RetryingSharingViolations(calls, [&] { return calls.SetInfo(handle, FileBasicInfo, &writable, sizeof writable); });
    }
    FILE_DISPOSITION_INFO remove{TRUE};
    return RetryingSharingViolations(
               calls, [&] { return calls.SetInfo(handle, FileDispositionInfo, &remove, sizeof remove); }) == 0;
}

bool RemoveOwnFile(SystemCalls& calls, const std::wstring& path) {
    const HandleGuard file(calls, calls.Open(path.c_str(), DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                                             FILE_SHARE_READ | FILE_SHARE_DELETE, OPEN_EXISTING,
                                             FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS));
    if (!file.Valid()) return IsNotThere(calls.LastError());
    FILE_BASIC_INFO basic{};
    if (!calls.GetInfo(file.Get(), FileBasicInfo, &basic, sizeof basic)) return false;
    if ((basic.FileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) return false;
    return RemoveOnClose(calls, file.Get(), basic.FileAttributes);
}

}  // namespace mirado
