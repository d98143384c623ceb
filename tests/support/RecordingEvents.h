#pragma once

#include <string>
#include <vector>

#include "Batch.h"
#include "BatchEvents.h"
#include "FileServices.h"

namespace mirado::test {

// Records what a batch tells the window, as readable lines:
// "max 3", "value 1", "failed <report>", "end copied=2 folders=1".
class RecordingEvents : public BatchEvents {
public:
    void ProgressMaximum(int maximum) override { lines.push_back("max " + std::to_string(maximum)); }
    void Progress(int value) override;
    void Failed(const std::u16string& report) override { reports.push_back(report), lines.push_back("failed"); }
    void Finished(const BatchOutcome& outcome) override;

    std::vector<std::string> lines;
    std::vector<std::u16string> reports;  // the error box texts
    BatchOutcome outcome;
};

// Runs one batch of files by type on fso (the real services when null), as
// the window hands it over, and returns what it told the window.
RecordingEvents Run(std::vector<std::u16string> files, int type = 0, ReplaceTexts texts = {},
                    FileServices* fso = nullptr);

}  // namespace mirado::test
