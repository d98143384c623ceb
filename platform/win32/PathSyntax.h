#pragma once

#include <cstddef>
#include <string_view>

namespace mirado {

// Path syntax of Windows: "\" separates and "/" is taken as "\" too; roots
// are "C:\", "\\server\share\" and their long forms "\\?\C:\" and
// "\\?\UNC\server\share\".
inline constexpr char16_t kPathSeparator = u'\\';

constexpr bool IsPathSeparator(char16_t c) noexcept { return c == u'\\' || c == u'/'; }

// The length of the root that starts path, separator included; also
// counts "C:" and "\" alone, which are roots but no full paths.
std::size_t RootLength(std::u16string_view path) noexcept;

// True for a full path on this computer or a share: "C:\…", "C:/…" and
// "\\server\share\…". "C:foo", "\foo" and relative paths depend on the
// working folder and are not.
bool IsFullPath(std::u16string_view path) noexcept;

// True when name (a last component as composed, before StoredName) can be
// the name of a file here: not empty, ".", "..", no control character, none
// of < > : " / \ | ? *, not ending in a dot or space, and no reserved
// device name (CON, PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9, also with the
// superscript digits ¹²³, in any case, with any extension).
bool IsStorableName(std::u16string_view name) noexcept;

}  // namespace mirado
