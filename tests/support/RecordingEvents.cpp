#include "RecordingEvents.h"

#include <utility>

namespace mirado::test {

void RecordingEvents::Progress(int value) { lines.push_back("value " + std::to_string(value)); }

void RecordingEvents::Finished(const BatchOutcome& ended) {
    outcome = ended;
    lines.push_back("end copied=" + std::to_string(ended.copied) + " folders=" + std::to_string(ended.folders.size()) +
                    (ended.stopped ? " stopped" : ""));
}

RecordingEvents Run(std::vector<std::u16string> files, int type, ReplaceTexts texts, FileServices* fso) {
    FileServices own;
    RecordingEvents events;
    RunBatch(BatchRequest{std::move(files), type, std::move(texts)}, fso != nullptr ? *fso : own, events);
    return events;
}

}  // namespace mirado::test
