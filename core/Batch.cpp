#include "Batch.h"

#include <algorithm>
#include <climits>
#include <new>

#include "BatchEvents.h"
#include "CopyQueue.h"
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

// Gives the finished copy target.name or the first free numbered variant of
// it. Only the batch's thread names, and only it asks and tells taken.
void NameCopy(FileServices& fso, TakenNames& taken, PendingCopy& copy, const CopyTarget& target) {
    int lostInARow = 0;
    for (;;) {
        const std::u16string unique = GetUniquePath(fso, taken, target.folder, target.name);
        try {
            copy.Name(unique);
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
        // Several copies at once, named in drop order; a lone file is copied here.
        CopyQueue copies(request, fso, stop);
        for (int i = 1; i <= n; ++i) {
            if (stop.stop_requested()) throw StopRequested();
            events.Progress(i);  // before it is named, so the bar shows the file waited for
            const CopyQueue::Ready ready = copies.Next();
            NameCopy(fso, taken, ready.copy, ready.target);
            ++outcome.copied;
            if (std::find(outcome.folders.begin(), outcome.folders.end(), ready.target.folder) == outcome.folders.end())
                outcome.folders.push_back(ready.target.folder);
            copies.Named();
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
