#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace mirado::bench {

// A round that was not measured because the machine was busy skips with a
// message that starts with this; it is no failure.
inline constexpr const char* kBusyPrefix = "load ";

// The console output as usual, and the real time of every round in
// milliseconds, by "group/contender" (the part of a name before "/round:"),
// with the rounds' counters ("load", "requests").
class CollectingReporter : public benchmark::ConsoleReporter {
public:
    CollectingReporter();
    void ReportRuns(const std::vector<Run>& runs) override;

    // The times of key's rounds, or null when it did not run (or failed).
    const std::vector<double>* Times(const std::string& key) const;
    // The times by round number.
    const std::map<int, double>* Rounds(const std::string& key) const;
    // The values of a counter over key's rounds (every key's when key is empty).
    std::vector<double> Counter(const std::string& key, const std::string& counter) const;
    bool AnyFailed() const { return failed_; }
    int BusyRounds() const { return busy_; }

private:
    std::map<std::string, std::map<int, double>> rounds_;
    std::map<std::string, std::vector<double>> times_;
    std::map<std::string, std::map<std::string, std::vector<double>>> counters_;
    bool failed_ = false;
    int busy_ = 0;
};

void PrintRatioHeader();
// One row: the medians of ours and of the baseline, their ratio, the range of
// the ratios of the rounds (paired by round), and whether the median ratio is within target
// (none when target is 0).
void PrintRatioRow(const CollectingReporter& reporter, const char* label, const std::string& ours,
                   const std::string& baseline, double target);

// How the medians of the keys grow with their n: the exponent k of t ~ n^k
// between neighbours and from the first to the last, which must stay within
// target.
void PrintGrowth(const CollectingReporter& reporter, const char* label,
                 const std::vector<std::pair<int, std::string>>& points, double target);

// The range of the load at the start of every figure taken, and the rounds
// not taken because the load stayed above limit.
void PrintLoad(const CollectingReporter& reporter, double limit);

}  // namespace mirado::bench
