#pragma once

#include <windows.h>

namespace mirado {

// The thin layer over the Win32 calls that the file services make, all in
// their wide-character forms. Each member behaves like the call it is named
// after, including SetLastError on failure; LastError gives what the last
// failed member set. Tests derive from it to inject failures and races.
class SystemCalls {
public:
    virtual ~SystemCalls() = default;

    virtual DWORD Attributes(const wchar_t* path);
    virtual HANDLE Open(const wchar_t* path, DWORD access, DWORD share, DWORD disposition, DWORD flags);
    virtual BOOL Close(HANDLE handle);
    virtual DWORD FileType(HANDLE handle);
    virtual BOOL GetInfo(HANDLE handle, FILE_INFO_BY_HANDLE_CLASS type, void* info, DWORD size);
    virtual BOOL SetInfo(HANDLE handle, FILE_INFO_BY_HANDLE_CLASS type, void* info, DWORD size);
    virtual BOOL MakeFolder(const wchar_t* path);
    virtual BOOL RemoveFolder(const wchar_t* path);  // RemoveDirectoryW
    virtual DWORD FullPathName(const wchar_t* path, DWORD length, wchar_t* buffer);
    virtual DWORD LastError();

    // CopyFile2, looked up when first used: Windows 7 and Wine lack it, and
    // then it fails with HRESULT_FROM_WIN32(ERROR_CALL_NOT_IMPLEMENTED).
    virtual HRESULT CopyFile2(const wchar_t* source, const wchar_t* target, COPYFILE2_EXTENDED_PARAMETERS* parameters);
    virtual BOOL CopyFileExW(const wchar_t* source, const wchar_t* target, LPPROGRESS_ROUTINE progress, void* context,
                             BOOL* cancel, DWORD flags);

    // FindFirstFileExW (names and attributes only, fetched in large
    // batches), FindNextFileW and FindClose.
    virtual HANDLE FindFirst(const wchar_t* pattern, WIN32_FIND_DATAW* entry);
    virtual BOOL FindNext(HANDLE find, WIN32_FIND_DATAW* entry);
    virtual BOOL FindEnd(HANDLE find);

    // LCMapStringEx in the invariant locale.
    virtual int MapString(DWORD flags, const wchar_t* text, int length, wchar_t* mapped, int mappedLength);
    // FileTimeToSystemTime, and SystemTimeToTzSpecificLocalTime in the
    // computer's time zone.
    virtual BOOL FileTimeToUtc(const FILETIME* time, SYSTEMTIME* utc);
    virtual BOOL UtcToLocal(const SYSTEMTIME* utc, SYSTEMTIME* local);

    // OpenProcess, the creation time of GetProcessTimes, GetExitCodeProcess.
    virtual HANDLE OpenProcess(DWORD access, DWORD processId);
    virtual BOOL ProcessCreationTime(HANDLE process, FILETIME* creation);
    virtual BOOL ExitCode(HANDLE process, DWORD* code);
    // GetComputerNameExW: the computer's fully qualified DNS name.
    virtual BOOL ComputerName(wchar_t* name, DWORD* size);

    // UiaRaiseNotificationEvent (Windows 10 1709 and later) telling text to
    // screen readers, from the UI Automation provider of the top-level
    // window (UiaHostProviderFromHwnd); looked up when first used: older
    // Windows and Wine lack it, and then it fails with
    // HRESULT_FROM_WIN32(ERROR_CALL_NOT_IMPLEMENTED).
    virtual HRESULT RaiseNotification(HWND window, const wchar_t* text);

    // Sleep: the copy's brief waits for a virus scanner to let go of a file.
    virtual void Wait(DWORD milliseconds);

    // The process-wide instance that makes the real calls.
    static SystemCalls& Real();
};

}  // namespace mirado
