#pragma once

#include <string>
#include <vector>

#include "BatchEvents.h"

namespace mirado::bench {

// What a batch tells a window without a screen: the bar's values are
// dropped, and a failure is printed at once and kept, so that a run which
// reported anything can be failed.
class BenchEvents final : public BatchEvents {
public:
    void ProgressMaximum(int /*maximum*/) override {}
    void Progress(int /*value*/) override {}
    void Failed(const std::u16string& report) override;
    void Finished(const BatchOutcome& /*outcome*/) override {}

    bool Failed() const { return !reports_.empty(); }
    // The first report, in UTF-8; empty when there was none.
    std::string FirstReport() const;

private:
    std::vector<std::u16string> reports_;
};

}  // namespace mirado::bench
