#include "BenchWindow.h"

#include <cstdio>

#include "Utf.h"

namespace mirado::bench {

BenchWindow::BenchWindow(int conversionType) : type_(conversionType) {}

int BenchWindow::ConversionType() const { return type_; }

void BenchWindow::SetProgressMax(int maximum) { progressMax_ = maximum; }

void BenchWindow::SetProgressValue(int value) { progressValue_ = value; }

const std::u16string& BenchWindow::GetFind() const { return find_; }

void BenchWindow::SetFind(const std::u16string& text) { find_ = text; }

const std::u16string& BenchWindow::GetReplace() const { return replace_; }

void BenchWindow::SetReplace(const std::u16string& text) { replace_ = text; }

FileServices& BenchWindow::Fso() { return fso_; }

ReplaceAnswer BenchWindow::ShowReplaceDialog() {
    // The benchmarks never choose find-and-replace; being asked is a fault.
    ShowErrorReport(u"unexpected find-and-replace dialog");
    return ReplaceAnswer{};
}

void BenchWindow::ShowErrorReport(const std::u16string& text) {
    std::fprintf(stderr, "mirado_bench: the engine reported an error: %s\n", ToUtf8(text).c_str());
    std::fflush(stderr);
    reports_.push_back(text);
}

std::string BenchWindow::FirstReport() const { return reports_.empty() ? std::string() : ToUtf8(reports_.front()); }

}  // namespace mirado::bench
