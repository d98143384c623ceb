#include "Batch.h"

#include <algorithm>
#include <climits>
#include <memory>
#include <new>

#include "BatchEvents.h"
#include "CoreErrors.h"
#include "Error.h"
#include "ErrorText.h"
#include "FileServices.h"
#include "PathText.h"
#include "TakenNames.h"
#include "TargetPlacement.h"
#include "Utf.h"

namespace mirado {
namespace {

std::u16string ReportText(const Error& error) { return Decimal(error.Number()) + u":" + error.Description(); }

// How many times in a row a name may be lost right after the copy made it
// before the batch stops trying: a disk that does not keep what it is told
// would otherwise use up every number.
constexpr int kLostNamesAllowed = 3;

// Copies source into target.folder once, and gives the copy target.name or
// the first free numbered variant of it.
void CopyFileTo(FileServices& fso, TakenNames& taken, std::u16string_view source, const CopyTarget& target,
                const std::stop_token& stop) {
    const std::unique_ptr<PendingCopy> copy = fso.CopyData(source, target.folder, target.name, stop);
    int lostInARow = 0;
    for (;;) {
        const std::u16string unique = GetUniquePath(fso, taken, target.folder, target.name);
        try {
            copy->Name(unique);
            taken.AddGiven(target.folder, unique);
            return;
        } catch (const NameTakenError& error) {
            // Another program saved a file under the name since it was
            // found free: that file stays, and the copy takes the next
            // number. A folder of the name is in the way, as before.
            const std::u16string path = target.folder + kPathSeparator + unique;
            if (!fso.FileExists(path)) throw;
            lostInARow = error.LostAfterCreate() ? lostInARow + 1 : 0;
            if (lostInARow == kLostNamesAllowed) throw NameNotKeptError(path);
            taken.Add(target.folder, unique);
        }
    }
}

}  // namespace

void RunBatch(const BatchRequest& request, FileServices& fso, BatchEvents& events, std::stop_token stop) {
    BatchOutcome outcome;
    try {
        if (request.files.size() > INT_MAX) throw TooManyFilesError();
        const int n = static_cast<int>(request.files.size());
        events.ProgressMaximum(n);
        // What the files of this batch share, and only they.
        FileServices::BatchScope scope(fso);
        TakenNames taken(fso);
        for (int i = 1; i <= n; ++i) {
            if (stop.stop_requested()) throw StopRequested();
            events.Progress(i);  // before the work, so the bar shows the file in progress
            const std::u16string& source = request.files[static_cast<size_t>(i - 1)];
            const CopyTarget target = GetDestPath(fso, source, request.type, request.texts);
            try {
                CopyFileTo(fso, taken, source, target, stop);
            } catch (...) {
                // A folder made for a copy that did not come about goes
                // again: a failed or stopped file leaves no new folder.
                if (target.createdFolder) fso.RemoveFolderIfEmpty(target.folder);
                throw;
            }
            ++outcome.copied;
            if (std::find(outcome.folders.begin(), outcome.folders.end(), target.folder) == outcome.folders.end())
                outcome.folders.push_back(target.folder);
        }
    } catch (const StopRequested&) {
        outcome.stopped = true;
    } catch (const Error& error) {
        outcome.failed = true;
        events.Failed(ReportText(error));
    } catch (const std::bad_alloc&) {
        outcome.failed = true;
        events.Failed(ReportText(OutOfMemoryError()));
    }
    events.Progress(0);
    events.Finished(outcome);
}

}  // namespace mirado
