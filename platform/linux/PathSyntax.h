#pragma once

#include <cstddef>
#include <string_view>

namespace mirado {

// Path syntax of POSIX systems: "/" separates, "/" alone is the root.
inline constexpr char16_t kPathSeparator = u'/';

constexpr bool IsPathSeparator(char16_t c) noexcept { return c == u'/'; }

// The length of the root that starts path: 1 for "/", 0 for a relative path.
std::size_t RootLength(std::u16string_view path) noexcept;

// True for a full path on this computer (not relative, not an address).
bool IsFullPath(std::u16string_view path) noexcept;

// True when name (a last component as composed, before StoredName) can be
// the name of a file here: not empty, ".", "..", no separator, no NUL.
bool IsStorableName(std::u16string_view name) noexcept;

}  // namespace mirado
