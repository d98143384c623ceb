#include "SystemCalls.h"

#include <oleauto.h>
#include <uiautomationcore.h>

namespace mirado {
namespace {

using CopyFile2Call = HRESULT(WINAPI*)(PCWSTR, PCWSTR, COPYFILE2_EXTENDED_PARAMETERS*);

// CopyFile2 of this Windows, or null. A static import would keep the
// program from starting on Windows 7, and Wine's is a stub.
CopyFile2Call FindCopyFile2() {
    const HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    if (kernel == nullptr) return nullptr;
    return reinterpret_cast<CopyFile2Call>(reinterpret_cast<void*>(::GetProcAddress(kernel, "CopyFile2")));
}

// UI Automation's notification, looked up as CopyFile2 is: a static import
// would keep the program from starting where it is missing.
struct NotificationCalls {
    using HostProvider = HRESULT(WINAPI*)(HWND, IRawElementProviderSimple**);
    // The provider, NotificationKind, NotificationProcessing, the text and
    // an activity id.
    using Raise = HRESULT(WINAPI*)(IRawElementProviderSimple*, int, int, BSTR, BSTR);
    HostProvider hostProvider = nullptr;
    Raise raise = nullptr;
};

NotificationCalls FindNotificationCalls() {
    const HMODULE core = ::LoadLibraryExW(L"uiautomationcore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (core == nullptr) return {};
    const auto find = [core](const char* name) { return reinterpret_cast<void*>(::GetProcAddress(core, name)); };
    return {reinterpret_cast<NotificationCalls::HostProvider>(find("UiaHostProviderFromHwnd")),
            reinterpret_cast<NotificationCalls::Raise>(find("UiaRaiseNotificationEvent"))};
}

}  // namespace

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

BOOL SystemCalls::MakeFolder(const wchar_t* path) { return ::CreateDirectoryW(path, nullptr); }

BOOL SystemCalls::RemoveFolder(const wchar_t* path) { return ::RemoveDirectoryW(path); }

DWORD SystemCalls::FullPathName(const wchar_t* path, DWORD length, wchar_t* buffer) {
    return ::GetFullPathNameW(path, length, buffer, nullptr);
}

DWORD SystemCalls::LastError() { return ::GetLastError(); }

HRESULT SystemCalls::CopyFile2(const wchar_t* source, const wchar_t* target, COPYFILE2_EXTENDED_PARAMETERS* parameters) {
    static const CopyFile2Call copy = FindCopyFile2();
    if (copy == nullptr) return HRESULT_FROM_WIN32(ERROR_CALL_NOT_IMPLEMENTED);
    return copy(source, target, parameters);
}

BOOL SystemCalls::CopyFileExW(const wchar_t* source, const wchar_t* target, LPPROGRESS_ROUTINE progress, void* context,
                              BOOL* cancel, DWORD flags) {
    return ::CopyFileExW(source, target, progress, context, cancel, flags);
}

HANDLE SystemCalls::FindFirst(const wchar_t* pattern, WIN32_FIND_DATAW* entry) {
    return ::FindFirstFileExW(pattern, FindExInfoBasic, entry, FindExSearchNameMatch, nullptr,
                              FIND_FIRST_EX_LARGE_FETCH);
}

BOOL SystemCalls::FindNext(HANDLE find, WIN32_FIND_DATAW* entry) { return ::FindNextFileW(find, entry); }

BOOL SystemCalls::FindEnd(HANDLE find) { return ::FindClose(find); }

int SystemCalls::MapString(DWORD flags, const wchar_t* text, int length, wchar_t* mapped, int mappedLength) {
    return ::LCMapStringEx(LOCALE_NAME_INVARIANT, flags, text, length, mapped, mappedLength, nullptr, nullptr, 0);
}

BOOL SystemCalls::FileTimeToUtc(const FILETIME* time, SYSTEMTIME* utc) { return ::FileTimeToSystemTime(time, utc); }

BOOL SystemCalls::UtcToLocal(const SYSTEMTIME* utc, SYSTEMTIME* local) {
    return ::SystemTimeToTzSpecificLocalTime(nullptr, utc, local);
}

HANDLE SystemCalls::OpenProcess(DWORD access, DWORD processId) { return ::OpenProcess(access, FALSE, processId); }

BOOL SystemCalls::ProcessCreationTime(HANDLE process, FILETIME* creation) {
    FILETIME exit, kernel, user;
    return ::GetProcessTimes(process, creation, &exit, &kernel, &user);
}

BOOL SystemCalls::ExitCode(HANDLE process, DWORD* code) { return ::GetExitCodeProcess(process, code); }

BOOL SystemCalls::ComputerName(wchar_t* name, DWORD* size) {
    return ::GetComputerNameExW(ComputerNamePhysicalDnsFullyQualified, name, size);
}

HRESULT SystemCalls::RaiseNotification(HWND window, const wchar_t* text) {
    static const NotificationCalls calls = FindNotificationCalls();
    if (calls.hostProvider == nullptr || calls.raise == nullptr) return HRESULT_FROM_WIN32(ERROR_CALL_NOT_IMPLEMENTED);
    IRawElementProviderSimple* provider = nullptr;
    HRESULT result = calls.hostProvider(window, &provider);
    if (FAILED(result) || provider == nullptr) return FAILED(result) ? result : E_FAIL;
    BSTR display = ::SysAllocString(text);
    BSTR activity = ::SysAllocString(L"Mirado.Status");
    constexpr int kOther = 4;       // NotificationKind_Other
    constexpr int kMostRecent = 3;  // NotificationProcessing_MostRecent: a newer line replaces one not yet read
    result = display && activity ? calls.raise(provider, kOther, kMostRecent, display, activity) : E_OUTOFMEMORY;
    ::SysFreeString(display);
    ::SysFreeString(activity);
    provider->Release();
    return result;
}

void SystemCalls::Wait(DWORD milliseconds) { ::Sleep(milliseconds); }

SystemCalls& SystemCalls::Real() {
    static SystemCalls calls;
    return calls;
}

}  // namespace mirado
