#include "TargetPlacement.h"

#include <cstdint>
#include <limits>
#include <string>

#include "BatchWindow.h"
#include "CoreErrors.h"
#include "FileServices.h"
#include "NamingRule.h"
#include "PathText.h"
#include "Utf.h"

namespace mirado {
std::u16string GetDestPath(BatchWindow& window, const std::u16string& source) {
    FileServices& fso = window.Fso();
    // A relative path or a URL would put the output folder in the working
    // folder or at the root: refuse it before anything is created.
    if (!fso.IsAbsolutePath(source) || fso.GetParentFolderName(source).empty()) throw NotLocalPathError(source);

    const std::u16string name = GetNewName(window, source);
    // A source that cannot be copied must not leave a new folder behind.
    fso.CheckSourceFile(source);
    const std::u16string folder = GetOutputFolder(fso, source);
    if (!fso.FolderExists(folder)) CreateFolder(fso, folder);
    return folder + kPathSeparator + name;
}

std::u16string GetOutputFolder(FileServices& fso, const std::u16string& source) {
    return fso.GetParentFolderName(source) + kPathSeparator + u"_rename";
}

void CreateFolder(FileServices& fso, const std::u16string& path) {
    // A failure says why (a read-only disk, no permission, a link or file
    // of that name), rather than leaving the copy to find no folder.
    fso.CreateFolder(path);
}

std::u16string GetUniquePath(FileServices& fso, const std::u16string& target) {
    if (!fso.FileExists(target)) return target;

    // The number goes before the "." of the extension; composed names always
    // have that ".", even with an empty extension.
    const std::u16string ext = fso.GetExtensionName(target);
    const size_t nameStart = target.size() - LastComponent(target).size();
    const size_t dot = target.rfind(u'.');
    const bool hasDot = dot != std::u16string::npos && dot >= nameStart;
    const std::u16string stem = hasDot ? target.substr(0, dot) : target;
    const std::u16string tail = hasDot ? u"." + ext : std::u16string();

    for (int16_t n = 1;; ++n) {
        std::u16string candidate = stem + u"（" + Decimal(n) + u"）" + tail;
        if (!fso.FileExists(candidate)) return candidate;
        if (n == std::numeric_limits<int16_t>::max()) throw CounterOverflowError(target);
    }
}

}  // namespace mirado
