#pragma once

#include <string>
#include <string_view>

#include "PathSyntax.h"

namespace mirado {

// Everything the program knows about path text, in one place: the parts of
// a path, its parent, whether it is a full path, and which names a file may
// have. What differs between systems (separators, roots, forbidden names)
// comes from PathSyntax.h of each system's folder.

// The last component of a path, ignoring trailing separators; empty for a root.
std::u16string_view LastComponent(std::u16string_view path) noexcept;

// The path without its last component and the separators before it; a
// root keeps its separator, and a path with no parent gives the empty string.
std::u16string_view ParentOf(std::u16string_view path) noexcept;

// The last component without its final "." and extension, and the text
// after that ".": "archive.tar.gz" gives "archive.tar" and "gz".
std::u16string_view BaseNameOf(std::u16string_view path) noexcept;
std::u16string_view ExtensionOf(std::u16string_view path) noexcept;

// The name under which a file is stored: a single final "." is dropped, as
// Windows does, so "README." and "README" name the same file.
std::u16string_view StoredName(std::u16string_view name) noexcept;

// The path with StoredName applied to its last component.
std::u16string StoredPath(std::u16string_view path);

// The path that a file address ("file://host/path") names here, from its
// host (empty for this computer) and the bytes of its path with the
// percent-encoding undone; empty when it names no file this program can
// reach by path (another computer's file, where the system has no shares).
std::u16string PathOfFileAddress(std::u16string_view host, std::string_view pathBytes);

}  // namespace mirado
