#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace mirado::bench {

// The console output as usual, and the real time of every round in
// milliseconds, by "group/contender" (the part of a name before "/round:").
class CollectingReporter : public benchmark::ConsoleReporter {
public:
    CollectingReporter();
    void ReportRuns(const std::vector<Run>& runs) override;

    // The times of key's rounds, or null when it did not run (or failed).
    const std::vector<double>* Times(const std::string& key) const;
    bool AnyFailed() const { return failed_; }

private:
    std::map<std::string, std::vector<double>> times_;
    bool failed_ = false;
};

void PrintRatioHeader();
// One row: the medians of ours and of the baseline, their ratio, the range of
// the ratios of the rounds, and whether the median ratio is within target
// (none when target is 0).
void PrintRatioRow(const CollectingReporter& reporter, const char* label, const std::string& ours,
                   const std::string& baseline, double target);

// How the medians of the keys grow with their n: the exponent k of t ~ n^k
// between neighbours and from the first to the last, which must stay within
// target.
void PrintGrowth(const CollectingReporter& reporter, const char* label,
                 const std::vector<std::pair<int, std::string>>& points, double target);

}  // namespace mirado::bench
