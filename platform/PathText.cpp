#include "PathText.h"

namespace mirado {

bool IsPathSeparator(char16_t c) noexcept {
#ifdef _WIN32
    return c == u'\\' || c == u'/';
#else
    return c == u'/';
#endif
}

std::u16string_view TrimTrailingSeparators(std::u16string_view path) noexcept {
    while (path.size() > 1 && IsPathSeparator(path.back())) path.remove_suffix(1);
    return path;
}

std::u16string_view LastComponent(std::u16string_view path) noexcept {
    path = TrimTrailingSeparators(path);
    if (path.size() == 1 && IsPathSeparator(path[0])) return {};
    size_t i = path.size();
    while (i > 0 && !IsPathSeparator(path[i - 1])) --i;
    return path.substr(i);
}

std::u16string_view ParentOf(std::u16string_view path) noexcept {
    path = TrimTrailingSeparators(path);
    const size_t nameLength = LastComponent(path).size();
    if (nameLength == 0 || nameLength == path.size()) return {};  // the root itself, or no separator
    return TrimTrailingSeparators(path.substr(0, path.size() - nameLength));
}

std::u16string_view StoredName(std::u16string_view name) noexcept {
    if (!name.empty() && name.back() == u'.') name.remove_suffix(1);
    return name;
}

std::u16string StoredPath(std::u16string_view path) {
    if (path.empty() || path.back() != u'.') return std::u16string(path);
    size_t nameStart = path.size();
    while (nameStart > 0 && !IsPathSeparator(path[nameStart - 1])) --nameStart;
    std::u16string stored(path.substr(0, nameStart));
    stored += StoredName(path.substr(nameStart));
    return stored;
}

}  // namespace mirado
