#include "BatchDriver.h"

#include <new>
#include <string>

#include "BatchWindow.h"
#include "ConversionType.h"
#include "CoreErrors.h"
#include "ErrorText.h"
#include "FileServices.h"
#include "PathText.h"
#include "TakenNames.h"
#include "TargetPlacement.h"
#include "Utf.h"

namespace mirado {
namespace {

void Report(BatchWindow& window, const Error& error) { window.ShowErrorReport(ErrorReportText(error)); }

// Puts the bar back to 0 on a way out that is already reporting an error.
void ResetProgress(BatchWindow& window) noexcept {
    try {
        window.SetProgressValue(0);
    } catch (...) {
    }
}

// The new name must be one name that a file can have here, inside the
// output folder: a find-and-replace that inserts a separator must not write
// anywhere else, and names the system cannot store are never made.
void CheckNewName(FileServices& fso, const std::u16string& source, const std::u16string& target) {
    const std::u16string prefix = GetOutputFolder(fso, source) + kPathSeparator;
    const std::u16string_view name = target.compare(0, prefix.size(), prefix) == 0
                                         ? std::u16string_view(target).substr(prefix.size())
                                         : std::u16string_view(target);
    if (!IsStorableName(name)) throw InvalidNewNameError(source, name);
}

}  // namespace

std::u16string ErrorReportText(const Error& error) {
    return Decimal(error.Number()) + u":" + error.Description();
}

void ProcessFiles(BatchWindow& window, const std::vector<std::u16string>& files) {
    try {
        if (window.ConversionType() == kFindAndReplace) {
            const ReplaceAnswer answer = window.ShowReplaceDialog();
            if (answer.Cancel) return;
            window.SetFind(answer.FindStr);
            window.SetReplace(answer.ReplaceStr);
        }
        window.SetProgressMax(static_cast<int>(files.size()));
        const int n = static_cast<int>(files.size());
        // What the files of this batch share, and only they.
        FileServices::BatchScope batch(window.Fso());
        TakenNames taken(window.Fso());
        for (int i = 1; i <= n; ++i) {
            window.SetProgressValue(i);  // before the work, so the bar shows the file in progress
            const std::u16string& source = files[static_cast<size_t>(i - 1)];
            const std::u16string target = GetDestPath(window, source);
            if (!CopyFileTo(window, taken, source, target)) {
                window.SetProgressValue(0);
                return;
            }
        }
        window.SetProgressValue(0);
    } catch (const Error& error) {
        Report(window, error);
        ResetProgress(window);
    } catch (const std::bad_alloc&) {
        Report(window, OutOfMemoryError());
        ResetProgress(window);
    }
}

bool CopyFileTo(BatchWindow& window, TakenNames& taken, const std::u16string& source, const std::u16string& target) {
    try {
        FileServices& fso = window.Fso();
        CheckNewName(fso, source, target);
        for (;;) {
            const std::u16string unique = GetUniquePath(fso, taken, target);
            try {
                fso.CopyNoReplace(source, unique);
                taken.AddGiven(unique);
                return true;
            } catch (const NameTakenError&) {
                // Another program saved a file under the name since it was
                // found free: that file stays, and the copy takes the next
                // number. A folder of the name is in the way, as before.
                if (!fso.FileExists(unique)) throw;
                taken.Add(unique);
            }
        }
    } catch (const Error& error) {
        Report(window, error);
        return false;
    }
}

}  // namespace mirado
