#pragma once

#include <optional>
#include <string>
#include <vector>

#include "BatchWindow.h"
#include "FileServices.h"

namespace mirado::test {

// A main window stand-in that records what the batch engine does to it.
class FakeBatchWindow : public BatchWindow {
public:
    explicit FakeBatchWindow(int type = 0) : type(type) {}
    explicit FakeBatchWindow(FileServices& fso, int type = 0) : type(type), fso_(&fso) {}

    int ConversionType() const override { return type; }
    void SetProgressMax(int maximum) override;
    void SetProgressValue(int value) override;
    const std::u16string& GetFind() const override { return find; }
    void SetFind(const std::u16string& text) override { find = text; }
    const std::u16string& GetReplace() const override { return replace; }
    void SetReplace(const std::u16string& text) override { replace = text; }
    FileServices& Fso() override { return *fso_; }
    ReplaceAnswer ShowReplaceDialog() override;
    void ShowErrorReport(const std::u16string& text) override { messages.push_back(text); }

    // Settings of the fake.
    int type;
    std::u16string find;
    std::u16string replace;
    ReplaceAnswer dialogAnswer;                 // what the dialog reports
    std::optional<int> refuseMaximum;           // SetProgressMax throws for this value

    // What happened.
    std::vector<int> progressValues;            // every value set, in order
    std::vector<int> progressMaximums;          // every maximum set, in order
    std::vector<std::u16string> messages;       // every error box text

private:
    FileServices ownFso_;
    FileServices* fso_ = &ownFso_;
};

}  // namespace mirado::test
