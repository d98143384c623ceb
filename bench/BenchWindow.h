#pragma once

#include <string>
#include <vector>

#include "BatchWindow.h"
#include "FileServices.h"

namespace mirado::bench {

// A main window without a screen: a fixed conversion type, a progress bar
// that only remembers its values, and an error box that prints the report at
// once and keeps it, so that a run which reported anything can be failed.
class BenchWindow final : public BatchWindow {
public:
    explicit BenchWindow(int conversionType);

    int ConversionType() const override;
    void SetProgressMax(int maximum) override;
    void SetProgressValue(int value) override;
    const std::u16string& GetFind() const override;
    void SetFind(const std::u16string& text) override;
    const std::u16string& GetReplace() const override;
    void SetReplace(const std::u16string& text) override;
    FileServices& Fso() override;
    ReplaceAnswer ShowReplaceDialog() override;
    void ShowErrorReport(const std::u16string& text) override;

    bool Failed() const { return !reports_.empty(); }
    // The first report, in UTF-8; empty when there was none.
    std::string FirstReport() const;

private:
    int type_;
    int progressMax_ = 0;
    int progressValue_ = 0;
    std::u16string find_;
    std::u16string replace_;
    FileServices fso_;
    std::vector<std::u16string> reports_;
};

}  // namespace mirado::bench
