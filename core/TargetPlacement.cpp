#include "TargetPlacement.h"

#include <cstdint>
#include <limits>
#include <string>

#include "BatchWindow.h"
#include "CoreErrors.h"
#include "FileServices.h"
#include "NamingRule.h"
#include "PathText.h"
#include "TakenNames.h"
#include "Utf.h"

namespace mirado {
namespace {

// Free when the batch knows of no file of that name; where it cannot be
// sure, the file system is asked, and a name found taken is remembered. A
// name taken meanwhile by another program is found when the copy is to be
// given it, which never replaces anything.
bool IsFree(FileServices& fso, TakenNames& taken, const std::u16string& path) {
    const TakenNames::Known known = taken.Lookup(path);
    if (known != TakenNames::Known::Unsure) return known == TakenNames::Known::Free;
    if (!fso.FileExists(path)) return true;
    taken.Add(path);
    return false;
}

}  // namespace

std::u16string GetDestPath(BatchWindow& window, const std::u16string& source) {
    FileServices& fso = window.Fso();
    // A relative path or a URL would put the output folder in the working
    // folder or at the root: refuse it before anything is created.
    if (!fso.IsAbsolutePath(source) || fso.GetParentFolderName(source).empty()) throw NotLocalPathError(source);

    const std::u16string name = GetNewName(window, source);
    const std::u16string folder = GetOutputFolder(fso, source);
    if (!fso.FolderExists(folder)) {
        // A source that cannot be copied must not leave a new folder behind.
        // Into an existing folder, the copy checks it itself.
        fso.CheckSourceFile(source);
        CreateFolder(fso, folder);
    }
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

std::u16string GetUniquePath(FileServices& fso, TakenNames& taken, const std::u16string& target) {
    if (IsFree(fso, taken, target)) return target;

    // The number goes before the "." of the extension; composed names always
    // have that ".", even with an empty extension.
    const std::u16string ext = fso.GetExtensionName(target);
    const size_t nameStart = target.size() - LastComponent(target).size();
    const size_t dot = target.rfind(u'.');
    const bool hasDot = dot != std::u16string::npos && dot >= nameStart;
    const std::u16string stem = hasDot ? target.substr(0, dot) : target;
    const std::u16string tail = hasDot ? u"." + ext : std::u16string();

    // Numbering goes on where it stopped for this target last time: the
    // numbers below were found taken or have been given out in this batch.
    for (int n = taken.NextNumber(target);; ++n) {
        if (n > std::numeric_limits<int16_t>::max()) throw CounterOverflowError(target);
        std::u16string candidate = stem + u"（" + Decimal(n) + u"）" + tail;
        if (IsFree(fso, taken, candidate)) {
            taken.SetNextNumber(target, n + 1);
            return candidate;
        }
    }
}

}  // namespace mirado
