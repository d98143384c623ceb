#include "PathText.h"
#include "Utf.h"

namespace mirado {

std::size_t RootLength(std::u16string_view path) noexcept { return !path.empty() && IsPathSeparator(path[0]) ? 1 : 0; }

bool IsFullPath(std::u16string_view path) noexcept {
    return RootLength(path) > 0 && path.find(u'\0') == std::u16string_view::npos;
}

std::u16string PathOfFileAddress(std::u16string_view host, std::string_view pathBytes) {
    // The bytes as they are: names need not be UTF-8 here.
    return host.empty() ? FromUtf8(pathBytes) : std::u16string();
}

bool IsStorableName(std::u16string_view name) noexcept {
    const std::u16string_view stored = StoredName(name);
    return !stored.empty() && stored != u"." && stored != u".." && name.find_first_of(std::u16string_view(u"/\0", 2)) == name.npos;
}

}  // namespace mirado
