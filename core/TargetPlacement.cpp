#include "TargetPlacement.h"

#include <cstdint>
#include <limits>

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
bool IsFree(FileServices& fso, TakenNames& taken, std::u16string_view folder, std::u16string_view name) {
    const TakenNames::Known known = taken.Lookup(folder, name);
    if (known != TakenNames::Known::Unsure) return known == TakenNames::Known::Free;
    if (!fso.FileExists(std::u16string(folder) + kPathSeparator + std::u16string(name))) return true;
    taken.Add(folder, name);
    return false;
}

}  // namespace

CopyTarget GetDestPath(FileServices& fso, std::u16string_view source, int type, const ReplaceTexts& texts) {
    // A relative path or a URL would put the output folder in the working
    // folder or at the root: refuse it before anything is created.
    if (!fso.IsAbsolutePath(source) || fso.GetParentFolderName(source).empty()) throw NotLocalPathError(source);

    CopyTarget target{fso.GetParentFolderName(source) + kPathSeparator + u"_rename", GetNewName(fso, source, type, texts)};
    // The new name must be one name that a file can have here, inside the
    // output folder: a find-and-replace that inserts a separator must not
    // write anywhere else, and names the system cannot store are never made.
    if (!IsStorableName(target.name)) throw InvalidNewNameError(source, target.name);
    if (!fso.FolderExists(target.folder)) {
        // A source that cannot be copied must not leave a new folder behind.
        // Into an existing folder, the copy checks it itself.
        fso.CheckSourceFile(source);
        // A failure says why (a read-only disk, no permission, a link or
        // file of that name), rather than leaving the copy to find no folder.
        fso.CreateFolder(target.folder);
        target.createdFolder = true;
    }
    return target;
}

std::u16string GetUniquePath(FileServices& fso, TakenNames& taken, std::u16string_view folder, std::u16string_view name) {
    if (IsFree(fso, taken, folder, name)) return std::u16string(name);

    // The number goes before the "." of the extension; composed names always
    // have that ".", even with an empty extension.
    const size_t dot = name.rfind(u'.');
    const std::u16string_view stem = name.substr(0, dot);
    const std::u16string_view tail = dot == std::u16string_view::npos ? std::u16string_view() : name.substr(dot);

    // Numbering goes on where it stopped for this name last time: the
    // numbers below were found taken or have been given out in this batch.
    for (int n = taken.NextNumber(folder, name);; ++n) {
        if (n > std::numeric_limits<int16_t>::max())
            throw CounterOverflowError(std::u16string(folder) + kPathSeparator + std::u16string(name));
        std::u16string candidate = std::u16string(stem) + u"（" + Decimal(n) + u"）" + std::u16string(tail);
        if (IsFree(fso, taken, folder, candidate)) {
            taken.SetNextNumber(folder, name, n + 1);
            return candidate;
        }
    }
}

}  // namespace mirado
