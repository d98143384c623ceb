#pragma once

#include <string>
#include <string_view>

namespace mirado {

// The separator that joins path components on this platform.
#ifdef _WIN32
inline constexpr char16_t kPathSeparator = u'\\';
#else
inline constexpr char16_t kPathSeparator = u'/';
#endif

bool IsPathSeparator(char16_t c) noexcept;

// The path without trailing separators (a bare root keeps its separator).
std::u16string_view TrimTrailingSeparators(std::u16string_view path) noexcept;

// The last component of a path, ignoring trailing separators.
std::u16string_view LastComponent(std::u16string_view path) noexcept;

// The path without its last component and the separators before it; a
// root keeps its separator, and a path with no parent gives the empty string.
std::u16string_view ParentOf(std::u16string_view path) noexcept;

// The name under which a file is stored: a single final "." is dropped, as the
// Windows file system does, so "README." and "README" name the same file.
std::u16string_view StoredName(std::u16string_view name) noexcept;

// The path with StoredName applied to its last component.
std::u16string StoredPath(std::u16string_view path);

}  // namespace mirado
