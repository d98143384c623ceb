#include "StartArguments.h"

#include <windows.h>
#include <shellapi.h>

namespace mirado {
namespace {

std::u16string ToU16(const wchar_t* text) { return std::u16string(reinterpret_cast<const char16_t*>(text)); }

// The result of a call that fills a buffer of wide characters and returns
// the length written, or the size it needs when the buffer is too small;
// empty when it fails.
template <typename Call>
std::wstring Filled(Call call) {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = call(buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return {};
        if (length < buffer.size()) {
            buffer.resize(length);
            return buffer;
        }
        buffer.resize(length);
    }
}

}  // namespace

std::vector<std::u16string> StartArguments(int /*argc*/, char** /*argv*/) {
    int count = 0;
    LPWSTR* arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (arguments == nullptr) return {};
    std::vector<std::u16string> result;
    for (int i = 1; i < count; ++i) result.push_back(ToU16(arguments[i]));
    ::LocalFree(arguments);
    return result;
}

std::u16string StartPath(std::u16string_view argument) {
    if (argument.empty()) return {};
    const std::wstring given(reinterpret_cast<const wchar_t*>(argument.data()), argument.size());
    std::wstring full = Filled([&](wchar_t* buffer, DWORD size) {
        return ::GetFullPathNameW(given.c_str(), size, buffer, nullptr);
    });
    if (full.empty()) return std::u16string(argument);
    // Short names hold a "~" (PHOTO~1.JPG). Past MAX_PATH only the long
    // form of a path (\\?\C:\..., \\?\UNC\server\...) is expanded; its prefix
    // is taken off again.
    if (full.find(L'~') != std::wstring::npos) {
        const bool unc = full.starts_with(L"\\\\") && !full.starts_with(L"\\\\?\\") && !full.starts_with(L"\\\\.\\");
        const bool local = full.size() > 2 && full[1] == L':';
        std::wstring prefix;
        std::wstring extended = full;
        if (full.size() >= MAX_PATH && (local || unc)) {
            prefix = unc ? L"\\\\?\\UNC" : L"\\\\?\\";
            extended = prefix + (unc ? full.substr(1) : full);
        }
        std::wstring longer = Filled([&](wchar_t* buffer, DWORD size) {
            return ::GetLongPathNameW(extended.c_str(), buffer, size);
        });
        if (!longer.empty() && longer.starts_with(prefix)) {
            full = longer.substr(prefix.size());
            if (unc && !prefix.empty()) full.insert(0, L"\\");
        }
    }
    return ToU16(full.c_str());
}

void TellStarter(std::u16string_view text, bool error) {
    const std::wstring message(reinterpret_cast<const wchar_t*>(text.data()), text.size());
    ::MessageBoxW(nullptr, message.c_str(), L"Mirado",
                  MB_OK | MB_SETFOREGROUND | (error ? MB_ICONERROR : MB_ICONINFORMATION));
}

}  // namespace mirado
