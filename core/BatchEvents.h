#pragma once

#include <string>
#include <vector>

namespace mirado {

// How a batch ended.
struct BatchOutcome {
    int copied = 0;                            // files copied
    std::vector<std::u16string> folders;       // the output folders copied into, in the order of first use
    bool failed = false;                       // a failure ended it (and was reported)
    bool stopped = false;                      // a stop request ended it before its last file
};

// What a batch tells whoever started it, in this order: the bar's maximum,
// the bar's value 1..n before each file, at most one failure as the text of
// the error box ("number:description"), the value 0, and the end. The
// window shows them; tests record them.
class BatchEvents {
public:
    virtual ~BatchEvents() = default;
    virtual void ProgressMaximum(int maximum) = 0;
    virtual void Progress(int value) = 0;
    virtual void Failed(const std::u16string& report) = 0;
    virtual void Finished(const BatchOutcome& outcome) = 0;
};

}  // namespace mirado
