#include "Summary.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "BenchSupport.h"

namespace mirado::bench {

CollectingReporter::CollectingReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular) {}

void CollectingReporter::ReportRuns(const std::vector<Run>& runs) {
    for (const Run& run : runs) {
        if (run.error_occurred) {
            if (run.error_message.rfind(kBusyPrefix, 0) == 0) ++busy_;
            else failed_ = true;
            continue;
        }
        if (run.run_type != Run::RT_Iteration || run.iterations == 0) continue;
        const std::string& name = run.run_name.function_name;
        const std::size_t round = name.find("/round:");
        if (round == std::string::npos) continue;
        const std::string key = name.substr(0, round);
        const double ms = run.real_accumulated_time * 1e3 / static_cast<double>(run.iterations);
        times_[key].push_back(ms);
        rounds_[key][std::atoi(name.c_str() + round + 7)] = ms;
        for (const auto& [counter, value] : run.counters) counters_[key][counter].push_back(value.value);
    }
    ConsoleReporter::ReportRuns(runs);
}

const std::vector<double>* CollectingReporter::Times(const std::string& key) const {
    const auto it = times_.find(key);
    return it == times_.end() || it->second.empty() ? nullptr : &it->second;
}

const std::map<int, double>* CollectingReporter::Rounds(const std::string& key) const {
    const auto it = rounds_.find(key);
    return it == rounds_.end() ? nullptr : &it->second;
}

std::vector<double> CollectingReporter::Counter(const std::string& key, const std::string& counter) const {
    std::vector<double> values;
    for (const auto& [name, counters] : counters_) {
        if (!key.empty() && name != key) continue;
        if (const auto it = counters.find(counter); it != counters.end())
            values.insert(values.end(), it->second.begin(), it->second.end());
    }
    return values;
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
    // Each round's pair, as they ran one after the other.
    double lo = 1e300, hi = 0;
    for (const auto& [round, time] : *reporter.Rounds(ours)) {
        const auto other = reporter.Rounds(baseline)->find(round);
        if (other == reporter.Rounds(baseline)->end()) continue;
        lo = std::min(lo, time / other->second);
        hi = std::max(hi, time / other->second);
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

void PrintLoad(const CollectingReporter& reporter, double limit) {
    const std::vector<double> loads = reporter.Counter("", "load");
    if (loads.empty()) {
        std::printf("\nLoad: no figure taken.\n");
    } else {
        std::printf("\nLoad (1-minute average of /proc/loadavg) at the start of the %zu figures: %.2f-%.2f, limit %.2f\n",
                    loads.size(), *std::min_element(loads.begin(), loads.end()),
                    *std::max_element(loads.begin(), loads.end()), limit);
    }
    if (reporter.BusyRounds() > 0)
        std::printf("   %d rounds not taken: the load stayed above %.2f for the whole wait\n", reporter.BusyRounds(), limit);
}

}  // namespace mirado::bench
