#pragma once

#include <windows.h>

#include <iterator>
#include <string>
#include <string_view>

#include "SystemCalls.h"

namespace mirado {

// wchar_t is a UTF-16 unit on Windows.
inline std::wstring Wide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

// True for the errors that say nothing is there.
bool IsNotThere(DWORD error);

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
std::wstring LongPath(SystemCalls& calls, std::u16string_view path);

// Runs call (true when it succeeded) again while it fails with a sharing
// violation, as when a virus scanner looks at a new file for a moment:
// waits about a second in all before giving up. Returns 0 or the error.
template <typename Call>
long RetryingSharingViolations(SystemCalls& calls, Call&& call) {
    static constexpr DWORD kWaits[] = {10, 20, 40, 80, 150, 200, 250, 250};  // milliseconds, 1 s in all
    for (std::size_t attempt = 0;; ++attempt) {
        if (call()) return 0;
        const DWORD error = calls.LastError();
        if (error != ERROR_SHARING_VIOLATION || attempt == std::size(kWaits)) return static_cast<long>(error);
        calls.Wait(kWaits[attempt]);
    }
}

// Removes the file open as handle (with DELETE and FILE_WRITE_ATTRIBUTES
// access) when it is closed; read-only is cleared first, since Windows
// refuses to remove a read-only file. False when it cannot be removed.
bool RemoveOnClose(SystemCalls& calls, HANDLE handle, DWORD attributes);

// Removes the file at path (a \\?\ path), our own temporary copy, unless it
// is a folder or a link: a link of that name is never followed or removed.
// True when it is gone.
bool RemoveOwnFile(SystemCalls& calls, const std::wstring& path);

}  // namespace mirado
