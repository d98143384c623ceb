#pragma once

#include <string>

namespace mirado {

class FileServices;

// What the find-and-replace dialog reports after it was shown.
struct ReplaceAnswer {
    bool Cancel = true;
    std::u16string FindStr;
    std::u16string ReplaceStr;
};

// The part of the main window that the batch engine reads and writes. The
// main window implements it; tests implement it with a recording fake.
class BatchWindow {
public:
    virtual ~BatchWindow() = default;

    // The index of the selected conversion type, or -1 when none is selected.
    virtual int ConversionType() const = 0;

    // The progress bar (its minimum is always 0). Either may throw
    // mirado::Error when the bar refuses the value.
    virtual void SetProgressMax(int maximum) = 0;
    virtual void SetProgressValue(int value) = 0;

    // The window's find and replacement texts (mstrFind, mstrReplace).
    virtual const std::u16string& GetFind() const = 0;
    virtual void SetFind(const std::u16string& text) = 0;
    virtual const std::u16string& GetReplace() const = 0;
    virtual void SetReplace(const std::u16string& text) = 0;

    // The file-services object (mobjFSO).
    virtual FileServices& Fso() = 0;

    // Loads the find-and-replace dialog, shows it modally, reads its answer
    // and unloads it again.
    virtual ReplaceAnswer ShowReplaceDialog() = 0;

    // Shows the modal error box (critical icon, OK, caption "Mirado").
    virtual void ShowErrorReport(const std::u16string& text) = 0;
};

}  // namespace mirado
