#pragma once

#include <windows.h>

namespace mirado {

// The thin layer over the Win32 calls that the file services make, all in
// their wide-character forms. Each member behaves like the call it is named
// after, including SetLastError on failure. Tests derive from it to inject
// failures and races.
class SystemCalls {
public:
    virtual ~SystemCalls() = default;

    virtual DWORD Attributes(const wchar_t* path);
    virtual HANDLE Open(const wchar_t* path, DWORD access, DWORD share, DWORD disposition, DWORD flags);
    virtual BOOL Close(HANDLE handle);
    virtual DWORD FileType(HANDLE handle);
    virtual BOOL GetInfo(HANDLE handle, FILE_INFO_BY_HANDLE_CLASS type, void* info, DWORD size);
    virtual BOOL SetInfo(HANDLE handle, FILE_INFO_BY_HANDLE_CLASS type, void* info, DWORD size);
    virtual BOOL Read(HANDLE handle, void* buffer, DWORD length, DWORD* done);
    virtual BOOL Write(HANDLE handle, const void* buffer, DWORD length, DWORD* done);
    virtual BOOL MakeFolder(const wchar_t* path);
    virtual DWORD FullPathName(const wchar_t* path, DWORD length, wchar_t* buffer);

    // The process-wide instance that makes the real calls.
    static SystemCalls& Real();
};

}  // namespace mirado
