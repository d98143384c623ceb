#include "FileServices.h"
#include "PathText.h"

// The path members of the file services answer from the path rules of
// PathText.h, the same for every caller.

namespace mirado {

std::u16string FileServices::GetBaseName(std::u16string_view path) const { return std::u16string(BaseNameOf(path)); }

std::u16string FileServices::GetExtensionName(std::u16string_view path) const {
    return std::u16string(ExtensionOf(path));
}

std::u16string FileServices::GetParentFolderName(std::u16string_view path) const {
    return std::u16string(ParentOf(path));
}

bool FileServices::IsAbsolutePath(std::u16string_view path) const { return IsFullPath(path); }

}  // namespace mirado
