#include "PathText.h"

namespace mirado {
namespace {

// The path without trailing separators (a root keeps its separator).
std::u16string_view TrimTrailingSeparators(std::u16string_view path) noexcept {
    const std::size_t root = RootLength(path);
    while (path.size() > root && path.size() > 1 && IsPathSeparator(path.back())) path.remove_suffix(1);
    return path;
}

}  // namespace

std::u16string_view LastComponent(std::u16string_view path) noexcept {
    path = TrimTrailingSeparators(path);
    const std::size_t root = RootLength(path);
    std::size_t i = path.size();
    while (i > root && !IsPathSeparator(path[i - 1])) --i;
    return path.substr(i);
}

std::u16string_view ParentOf(std::u16string_view path) noexcept {
    path = TrimTrailingSeparators(path);
    const std::size_t nameLength = LastComponent(path).size();
    if (nameLength == 0 || nameLength == path.size()) return {};  // the root itself, or no separator
    return TrimTrailingSeparators(path.substr(0, path.size() - nameLength));
}

std::u16string_view BaseNameOf(std::u16string_view path) noexcept {
    const std::u16string_view name = LastComponent(path);
    return name.substr(0, name.rfind(u'.'));
}

std::u16string_view ExtensionOf(std::u16string_view path) noexcept {
    const std::u16string_view name = LastComponent(path);
    const std::size_t dot = name.rfind(u'.');
    return dot == std::u16string_view::npos ? std::u16string_view() : name.substr(dot + 1);
}

std::u16string_view StoredName(std::u16string_view name) noexcept {
    if (!name.empty() && name.back() == u'.') name.remove_suffix(1);
    return name;
}

std::u16string StoredPath(std::u16string_view path) {
    if (path.empty() || path.back() != u'.') return std::u16string(path);
    std::size_t nameStart = path.size();
    while (nameStart > RootLength(path) && !IsPathSeparator(path[nameStart - 1])) --nameStart;
    std::u16string stored(path.substr(0, nameStart));
    stored += StoredName(path.substr(nameStart));
    return stored;
}

}  // namespace mirado
