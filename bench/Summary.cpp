#include "Summary.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "BenchSupport.h"

namespace mirado::bench {

CollectingReporter::CollectingReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular) {}

void CollectingReporter::ReportRuns(const std::vector<Run>& runs) {
    for (const Run& run : runs) {
        if (run.error_occurred) {
            failed_ = true;
            continue;
        }
        if (run.run_type != Run::RT_Iteration || run.iterations == 0) continue;
        const std::string& name = run.run_name.function_name;
        const std::size_t round = name.find("/round:");
        if (round == std::string::npos) continue;
        times_[name.substr(0, round)].push_back(run.real_accumulated_time * 1e3 / static_cast<double>(run.iterations));
    }
    ConsoleReporter::ReportRuns(runs);
}

const std::vector<double>* CollectingReporter::Times(const std::string& key) const {
    const auto it = times_.find(key);
    return it == times_.end() || it->second.empty() ? nullptr : &it->second;
}

void PrintRatioHeader() {
    std::printf("%-40s %6s %10s %10s %8s  %-11s %-8s %s\n", "case", "rounds", "ours", "baseline", "ours/bl",
                "per round", "target", "result");
}

void PrintRatioRow(const CollectingReporter& reporter, const char* label, const std::string& ours,
                   const std::string& baseline, double target) {
    const std::vector<double>* a = reporter.Times(ours);
    const std::vector<double>* b = reporter.Times(baseline);
    if (a == nullptr || b == nullptr) {
        std::printf("%-40s %s\n", label, "not run (or failed)");
        return;
    }
    const double ratio = Median(*a) / Median(*b);
    double lo = 1e300, hi = 0;
    for (std::size_t i = 0; i < std::min(a->size(), b->size()); ++i) {
        lo = std::min(lo, (*a)[i] / (*b)[i]);
        hi = std::max(hi, (*a)[i] / (*b)[i]);
    }
    char targetText[16] = "-";
    if (target > 0) std::snprintf(targetText, sizeof targetText, "<= %.2f", target);
    const char* result = target <= 0 ? "info" : ratio <= target ? "PASS" : "OVER TARGET";
    std::printf("%-40s %6zu %10.1f %10.1f %8.3f  %5.2f-%-5.2f %-8s %s\n", label, a->size(), Median(*a), Median(*b), ratio,
                lo, hi, targetText, result);
}

void PrintGrowth(const CollectingReporter& reporter, const char* label,
                 const std::vector<std::pair<int, std::string>>& points, double target) {
    std::vector<std::pair<int, double>> medians;
    for (const auto& [n, key] : points)
        if (const std::vector<double>* times = reporter.Times(key)) medians.emplace_back(n, Median(*times));
    if (medians.size() != points.size() || medians.size() < 2) {
        std::printf("%s: not run (or failed)\n", label);
        return;
    }
    const auto exponent = [](const std::pair<int, double>& a, const std::pair<int, double>& b) {
        return std::log(b.second / a.second) / std::log(static_cast<double>(b.first) / a.first);
    };
    std::printf("%s, median ms (exponent k of t ~ n^k from the previous n):\n  ", label);
    for (std::size_t i = 0; i < medians.size(); ++i) {
        std::printf("n=%d %.1f", medians[i].first, medians[i].second);
        if (i > 0) std::printf(" (k=%.2f)", exponent(medians[i - 1], medians[i]));
        std::printf(i + 1 < medians.size() ? ", " : "\n");
    }
    const double k = exponent(medians.front(), medians.back());
    std::printf("  from n=%d to n=%d: k=%.2f   target <= %.2f   %s\n", medians.front().first, medians.back().first, k,
                target, k <= target ? "PASS" : "OVER TARGET");
}

}  // namespace mirado::bench
