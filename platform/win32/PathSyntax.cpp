#include "PathText.h"
#include "Utf.h"

#include <array>

namespace mirado {
namespace {

bool IsDriveLetter(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }

bool HasDrive(std::u16string_view path) { return path.size() >= 2 && IsDriveLetter(path[0]) && path[1] == u':'; }

// The length of "server\share\" (or "server\share") at the start of rest;
// 0 when either part is missing.
std::size_t ShareLength(std::u16string_view rest) {
    std::size_t at = 0;
    while (at < rest.size() && !IsPathSeparator(rest[at])) ++at;
    if (at == 0 || at == rest.size()) return 0;
    const std::size_t shareStart = ++at;
    while (at < rest.size() && !IsPathSeparator(rest[at])) ++at;
    if (at == shareStart) return 0;
    return at < rest.size() ? at + 1 : at;
}

constexpr std::u16string_view kLongPrefix = u"\\\\?\\";
constexpr std::u16string_view kLongUncPrefix = u"\\\\?\\UNC\\";

char16_t Upper(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c; }

// A device name that Windows keeps for itself, whatever follows it.
bool IsReservedDeviceName(std::u16string_view name) {
    std::u16string_view device = name.substr(0, name.find(u'.'));
    while (!device.empty() && device.back() == u' ') device.remove_suffix(1);  // "NUL .txt" is NUL too
    std::u16string upper;
    for (const char16_t c : device) upper.push_back(Upper(c));
    for (const std::u16string_view reserved : {u"CON", u"PRN", u"AUX", u"NUL", u"CONIN$", u"CONOUT$"}) {
        if (upper == reserved) return true;
    }
    if (upper.size() != 4 || (upper.compare(0, 3, u"COM") != 0 && upper.compare(0, 3, u"LPT") != 0)) return false;
    const char16_t digit = upper[3];
    return (digit >= u'1' && digit <= u'9') || digit == u'¹' || digit == u'²' || digit == u'³';
}

}  // namespace

std::size_t RootLength(std::u16string_view path) noexcept {
    if (path.substr(0, kLongUncPrefix.size()) == kLongUncPrefix) {
        const std::size_t share = ShareLength(path.substr(kLongUncPrefix.size()));
        return share == 0 ? 0 : kLongUncPrefix.size() + share;
    }
    if (path.substr(0, kLongPrefix.size()) == kLongPrefix) {
        const std::u16string_view rest = path.substr(kLongPrefix.size());
        return HasDrive(rest) ? kLongPrefix.size() + (rest.size() > 2 && IsPathSeparator(rest[2]) ? 3 : 2) : 0;
    }
    if (path.size() >= 2 && IsPathSeparator(path[0]) && IsPathSeparator(path[1])) {
        const std::size_t share = ShareLength(path.substr(2));
        return share == 0 ? 0 : 2 + share;
    }
    if (HasDrive(path)) return path.size() > 2 && IsPathSeparator(path[2]) ? 3 : 2;
    return !path.empty() && IsPathSeparator(path[0]) ? 1 : 0;
}

bool IsFullPath(std::u16string_view path) noexcept {
    if (path.find(u'\0') != std::u16string_view::npos) return false;
    const std::size_t root = RootLength(path);
    if (root == 0 || (root <= 3 && !IsPathSeparator(path[root - 1]))) return false;  // "C:foo", or nothing
    return root > 1;                                                                     // not "\foo"
}

std::u16string PathOfFileAddress(std::u16string_view host, std::string_view pathBytes) {
    // "/C:/dir/x.txt" is C:\dir\x.txt; another computer's file is on its share.
    std::u16string path = FromUtf8(pathBytes);
    if (host.empty() && path.size() >= 3 && path[0] == u'/' && HasDrive(std::u16string_view(path).substr(1)))
        path.erase(0, 1);
    else if (!host.empty())
        path = u"\\\\" + std::u16string(host) + path;
    for (char16_t& c : path) {
        if (c == u'/') c = kPathSeparator;
    }
    return path;
}

bool IsStorableName(std::u16string_view name) noexcept {
    const std::u16string_view stored = StoredName(name);
    if (stored.empty() || stored == u"." || stored == u"..") return false;
    if (stored.back() == u'.' || stored.back() == u' ') return false;
    for (const char16_t c : name) {
        if (c < 0x20 || std::u16string_view(u"<>:\"/\\|?*").find(c) != std::u16string_view::npos) return false;
    }
    return !IsReservedDeviceName(stored);
}

}  // namespace mirado
