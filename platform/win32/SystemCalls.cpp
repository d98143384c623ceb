#include "SystemCalls.h"

namespace mirado {

DWORD SystemCalls::Attributes(const wchar_t* path) { return ::GetFileAttributesW(path); }

HANDLE SystemCalls::Open(const wchar_t* path, DWORD access, DWORD share, DWORD disposition, DWORD flags) {
    return ::CreateFileW(path, access, share, nullptr, disposition, flags, nullptr);
}

BOOL SystemCalls::Close(HANDLE handle) { return ::CloseHandle(handle); }

DWORD SystemCalls::FileType(HANDLE handle) { return ::GetFileType(handle); }

BOOL SystemCalls::GetInfo(HANDLE handle, FILE_INFO_BY_HANDLE_CLASS type, void* info, DWORD size) {
    return ::GetFileInformationByHandleEx(handle, type, info, size);
}

BOOL SystemCalls::SetInfo(HANDLE handle, FILE_INFO_BY_HANDLE_CLASS type, void* info, DWORD size) {
    return ::SetFileInformationByHandle(handle, type, info, size);
}

BOOL SystemCalls::Read(HANDLE handle, void* buffer, DWORD length, DWORD* done) {
    return ::ReadFile(handle, buffer, length, done, nullptr);
}

BOOL SystemCalls::Write(HANDLE handle, const void* buffer, DWORD length, DWORD* done) {
    return ::WriteFile(handle, buffer, length, done, nullptr);
}

BOOL SystemCalls::MakeFolder(const wchar_t* path) { return ::CreateDirectoryW(path, nullptr); }

DWORD SystemCalls::FullPathName(const wchar_t* path, DWORD length, wchar_t* buffer) {
    return ::GetFullPathNameW(path, length, buffer, nullptr);
}

SystemCalls& SystemCalls::Real() {
    static SystemCalls calls;
    return calls;
}

}  // namespace mirado
