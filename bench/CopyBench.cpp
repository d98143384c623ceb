// Times ProcessFiles against `cp -p` on the same data in the same run and
// prints the ratio for each case:
//   many_small  10,000 files of 4 KiB in one folder, dropped as one batch
//   big_file    one file of 1 GiB, plus the peak memory of a process that
//               copies it with ProcessFiles
//   duplicates  one 4 KiB file dropped 2,000 times into one batch
// The contenders of a case run in alternating rounds on the same warm data;
// outputs are removed and the file system synced outside the timed region.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "BatchDriver.h"
#include "BenchSupport.h"
#include "BenchWindow.h"
#include "ConversionType.h"
#include "Utf.h"

namespace {

using mirado::bench::BenchWindow;
using mirado::bench::ChildResult;
using mirado::bench::CountFiles;
using mirado::bench::FileSize;
using mirado::bench::MakeFolder;
using mirado::bench::RemoveTree;
using mirado::bench::RunChild;

constexpr int kConversionType = mirado::kToLowerCase;

constexpr int kSmallCount = 10000;
constexpr std::uint64_t kSmallSize = 4096;
constexpr std::uint64_t kBigSize = std::uint64_t{1} << 30;
constexpr int kDupCount = 2000;
constexpr std::uint64_t kDupSize = 4096;

constexpr int kSmallRounds = 6;
constexpr int kBigRounds = 8;
constexpr int kDupRounds = 3;

constexpr double kSmallTarget = 1.25;
constexpr double kBigTarget = 1.05;
constexpr double kPeakTargetBytes = 20e6;  // 20 MB

const char* const kChildFlag = "--copy-one";

std::string g_root;     // the work folder, made on first use
std::string g_selfExe;  // this program, for the memory child
bool g_failed = false;

const std::string& Root() {
    if (g_root.empty()) g_root = mirado::bench::MakeWorkFolder();
    return g_root;
}

std::string Numbered(const char* prefix, int n, const char* suffix) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%05d", n);
    return prefix + std::string(digits) + suffix;
}

std::vector<std::string> CpInto(const std::string& out, const std::vector<std::string>& sources) {
    std::vector<std::string> args = {"cp", "-p", "-t", out, "--"};
    args.insert(args.end(), sources.begin(), sources.end());
    return args;
}

// ---- the data of each case, made once on first use --------------------------

struct SmallCase {
    std::string folder, oursOut, cpOut;
    std::vector<std::string> sources;
    std::vector<std::u16string> drops;
    std::vector<std::string> cpArgs;
};

struct BigCase {
    std::string folder, source, oursOut, oursFile, cpOut, cpFile;
    std::vector<std::u16string> drops;
    std::vector<std::string> cpArgs;
};

struct DupCase {
    std::string folder, source, oursOut, linkFolder, distinctOut, cpOut;
    std::vector<std::string> links;
    std::vector<std::u16string> drops;          // the same file kDupCount times
    std::vector<std::u16string> distinctDrops;  // kDupCount hard links of it
    std::vector<std::string> cpArgs;
};

// Moves the outputs of earlier rounds out of the way and writes back their
// data, so that every measurement starts alike. They are moved, not deleted:
// ext4 skips recently deleted inodes when it allocates new ones, which made
// the creation of 10,000 files after deleting 10,000 others several times
// slower, and that would land on whichever contender came next.
void Settle(const std::vector<std::string>& outputs) {
    static int retired = 0;
    const std::string bin = Root() + "/retired";
    MakeFolder(bin);
    for (const std::string& out : outputs)
        if (std::rename(out.c_str(), (bin + "/" + std::to_string(++retired)).c_str()) != 0 && errno != ENOENT)
            throw std::runtime_error("cannot move " + out + " away: " + std::strerror(errno));
    mirado::bench::SyncFileSystem(Root());
}

// The 1 GiB copies are deleted instead; one inode does not matter there.
void SettleBig(const std::vector<std::string>& outputs) {
    for (const std::string& out : outputs) RemoveTree(out);
    mirado::bench::SyncFileSystem(Root());
}

void Check(bool ok, const std::string& what) {
    if (!ok) throw std::runtime_error(what);
}

void RunOursOnce(const std::vector<std::u16string>& drops) {
    BenchWindow window(kConversionType);
    mirado::ProcessFiles(window, drops);
    Check(!window.Failed(), "the engine reported: " + window.FirstReport());
}

void RunCpOnce(const std::string& out, const std::vector<std::string>& args) {
    MakeFolder(out);
    Check(RunChild(args).Succeeded(), "cp -p failed");
}

SmallCase& Small() {
    static SmallCase c = [] {
        SmallCase s;
        s.folder = Root() + "/many";
        s.oursOut = s.folder + "/_rename";
        s.cpOut = s.folder + "/_cp_out";
        MakeFolder(s.folder);
        for (int i = 1; i <= kSmallCount; ++i) {
            s.sources.push_back(s.folder + "/" + Numbered("Report_", i, ".TXT"));
            mirado::bench::WriteDataFile(s.sources.back(), kSmallSize, static_cast<std::uint64_t>(i));
            s.drops.push_back(mirado::FromUtf8(s.sources.back()));
        }
        s.cpArgs = CpInto(s.cpOut, s.sources);
        // One untimed pass of each warms the caches alike and checks both work.
        Settle({});
        RunOursOnce(s.drops);
        RunCpOnce(s.cpOut, s.cpArgs);
        return s;
    }();
    return c;
}

BigCase& Big() {
    static BigCase c = [] {
        BigCase b;
        b.folder = Root() + "/big";
        b.source = b.folder + "/Big.BIN";
        b.oursOut = b.folder + "/_rename";
        b.oursFile = b.oursOut + "/big.BIN";
        b.cpOut = b.folder + "/_cp_out";
        b.cpFile = b.cpOut + "/Big.BIN";
        MakeFolder(b.folder);
        mirado::bench::WriteDataFile(b.source, kBigSize, 42);
        b.drops = {mirado::FromUtf8(b.source)};
        b.cpArgs = CpInto(b.cpOut, {b.source});
        SettleBig({});
        RunOursOnce(b.drops);
        RunCpOnce(b.cpOut, b.cpArgs);
        return b;
    }();
    return c;
}

DupCase& Dup() {
    static DupCase c = [] {
        DupCase d;
        d.folder = Root() + "/dup";
        d.source = d.folder + "/Photo.JPG";
        d.oursOut = d.folder + "/_rename";
        d.linkFolder = d.folder + "/links";
        d.distinctOut = d.linkFolder + "/_rename";
        d.cpOut = d.linkFolder + "/_cp_out";
        MakeFolder(d.folder);
        MakeFolder(d.linkFolder);
        mirado::bench::WriteDataFile(d.source, kDupSize, 7);
        for (int i = 1; i <= kDupCount; ++i) {
            d.links.push_back(d.linkFolder + "/" + Numbered("Photo_", i, ".JPG"));
            mirado::bench::MakeHardLink(d.source, d.links.back());
            d.distinctDrops.push_back(mirado::FromUtf8(d.links.back()));
        }
        d.drops.assign(kDupCount, mirado::FromUtf8(d.source));
        d.cpArgs = CpInto(d.cpOut, d.links);
        Settle({});
        RunOursOnce(d.drops);
        RunOursOnce(d.distinctDrops);
        RunCpOnce(d.cpOut, d.cpArgs);
        return d;
    }();
    return c;
}

// ---- timed bodies -------------------------------------------------------------

// Runs body and turns any failure into a skipped benchmark that fails the run.
void Guarded(benchmark::State& state, const std::function<void()>& body) {
    try {
        body();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "mirado_bench: %s\n", error.what());
        state.SkipWithError(error.what());
        g_failed = true;
    }
}

void TimeOurs(benchmark::State& state, const std::vector<std::u16string>& drops) {
    BenchWindow window(kConversionType);
    for (auto _ : state) mirado::ProcessFiles(window, drops);
    Check(!window.Failed(), "the engine reported: " + window.FirstReport());
}

void TimeCp(benchmark::State& state, const std::string& out, const std::vector<std::string>& args) {
    ChildResult result;
    for (auto _ : state) {
        MakeFolder(out);
        result = RunChild(args);
    }
    Check(result.Succeeded(), "cp -p failed");
}

void SmallOurs(benchmark::State& state) {
    Guarded(state, [&] {
        SmallCase& c = Small();
        Settle({c.oursOut, c.cpOut});
        TimeOurs(state, c.drops);
        Check(CountFiles(c.oursOut) == kSmallCount, "many_small: wrong number of copies");
        Check(FileSize(c.oursOut + "/report_10000.TXT") == static_cast<std::int64_t>(kSmallSize),
              "many_small: report_10000.TXT missing or of the wrong size");
    });
}

void SmallCp(benchmark::State& state) {
    Guarded(state, [&] {
        SmallCase& c = Small();
        Settle({c.oursOut, c.cpOut});
        TimeCp(state, c.cpOut, c.cpArgs);
        Check(CountFiles(c.cpOut) == kSmallCount, "many_small: cp made the wrong number of copies");
    });
}

void BigOurs(benchmark::State& state) {
    Guarded(state, [&] {
        BigCase& c = Big();
        SettleBig({c.oursOut, c.cpOut});
        TimeOurs(state, c.drops);
        Check(FileSize(c.oursFile) == static_cast<std::int64_t>(kBigSize), "big_file: copy of the wrong size");
        RemoveTree(c.oursOut);
    });
}

void BigCp(benchmark::State& state) {
    Guarded(state, [&] {
        BigCase& c = Big();
        SettleBig({c.oursOut, c.cpOut});
        TimeCp(state, c.cpOut, c.cpArgs);
        Check(FileSize(c.cpFile) == static_cast<std::int64_t>(kBigSize), "big_file: cp copy of the wrong size");
        RemoveTree(c.cpOut);
    });
}

void DupOurs(benchmark::State& state) {
    Guarded(state, [&] {
        DupCase& c = Dup();
        Settle({c.oursOut, c.distinctOut, c.cpOut});
        TimeOurs(state, c.drops);
        Check(CountFiles(c.oursOut) == kDupCount, "duplicates: wrong number of copies");
        Check(FileSize(c.oursOut + "/photo（1999）.JPG") == static_cast<std::int64_t>(kDupSize),
              "duplicates: photo（1999）.JPG missing");
    });
}

void DupOursDistinct(benchmark::State& state) {
    Guarded(state, [&] {
        DupCase& c = Dup();
        Settle({c.oursOut, c.distinctOut, c.cpOut});
        TimeOurs(state, c.distinctDrops);
        Check(CountFiles(c.distinctOut) == kDupCount, "duplicates: wrong number of distinct copies");
    });
}

void DupCp(benchmark::State& state) {
    Guarded(state, [&] {
        DupCase& c = Dup();
        Settle({c.oursOut, c.distinctOut, c.cpOut});
        TimeCp(state, c.cpOut, c.cpArgs);
        Check(CountFiles(c.cpOut) == kDupCount, "duplicates: cp made the wrong number of copies");
    });
}

// ---- peak memory --------------------------------------------------------------

struct Memory {
    bool measured = false;
    long bigMaxRssKiB = 0;   // wait4 of the child that copied the 1 GiB file
    long bigHwmKiB = 0;      // its own VmHWM
    long tinyMaxRssKiB = 0;  // the same child on a 4 KiB file
    long tinyHwmKiB = 0;
    long floorKiB = 0;       // /bin/true forked from this process
    long cpMaxRssKiB = 0;    // cp -p on the 1 GiB file
    long parentRssKiB = 0;   // this process when forking
} g_memory;

long ChildHwm(const ChildResult& result) {
    const std::size_t at = result.output.find("vmhwm_kib=");
    return at == std::string::npos ? -1 : std::strtol(result.output.c_str() + at + 10, nullptr, 10);
}

void PeakMemory(benchmark::State& state) {
    Guarded(state, [&] {
        BigCase& big = Big();
        DupCase& dup = Dup();
        SettleBig({big.oursOut, big.cpOut});
        Settle({dup.oursOut});
        Memory m;
        m.parentRssKiB = mirado::bench::SelfStatusKiB("VmRSS");
        m.floorKiB = RunChild({"/bin/true"}).maxRssKiB;

        const ChildResult tiny = RunChild({g_selfExe, kChildFlag, dup.source});
        Check(tiny.Succeeded(), "the memory child failed on the 4 KiB file");
        m.tinyMaxRssKiB = tiny.maxRssKiB;
        m.tinyHwmKiB = ChildHwm(tiny);

        ChildResult child;
        for (auto _ : state) child = RunChild({g_selfExe, kChildFlag, big.source});
        Check(child.Succeeded(), "the memory child failed on the 1 GiB file");
        Check(FileSize(big.oursFile) == static_cast<std::int64_t>(kBigSize), "big_file: child copy of the wrong size");
        m.bigMaxRssKiB = child.maxRssKiB;
        m.bigHwmKiB = ChildHwm(child);
        SettleBig({big.oursOut, dup.oursOut});
        MakeFolder(big.cpOut);
        const ChildResult cp = RunChild(big.cpArgs);
        Check(cp.Succeeded(), "cp -p failed on the 1 GiB file");
        m.cpMaxRssKiB = cp.maxRssKiB;
        SettleBig({big.cpOut});

        m.measured = true;
        g_memory = m;
        state.counters["maxrss_MiB"] = static_cast<double>(m.bigMaxRssKiB) / 1024;
        state.counters["hwm_MiB"] = static_cast<double>(m.bigHwmKiB) / 1024;
    });
}

// What the child started by PeakMemory does: one ProcessFiles on one file.
int CopyOneChild(const char* path) {
    BenchWindow window(kConversionType);
    mirado::ProcessFiles(window, {mirado::FromUtf8(path)});
    if (window.Failed()) {
        std::fprintf(stderr, "mirado_bench: the engine reported an error: %s\n", window.FirstReport().c_str());
        std::abort();
    }
    std::printf("vmhwm_kib=%ld\n", mirado::bench::SelfStatusKiB("VmHWM"));
    return 0;
}

// ---- registration and the summary ---------------------------------------------

using Body = void (*)(benchmark::State&);

// Registers rounds of the contenders, rotating who goes first in each round.
void RegisterRounds(const std::string& group, int rounds, const std::vector<std::pair<std::string, Body>>& contenders) {
    for (int r = 0; r < rounds; ++r) {
        for (std::size_t k = 0; k < contenders.size(); ++k) {
            const auto& [name, body] = contenders[(k + static_cast<std::size_t>(r)) % contenders.size()];
            const std::string full = group + "/" + name + "/round:" + std::to_string(r + 1);
            benchmark::RegisterBenchmark(full.c_str(), body)
                ->Iterations(1)
                ->UseRealTime()
                ->Unit(benchmark::kMillisecond);
        }
    }
}

// The console output as usual, and the per-round real times in milliseconds by
// "group/contender".
class CollectingReporter : public benchmark::ConsoleReporter {
public:
    CollectingReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.error_occurred) {
                g_failed = true;
                continue;
            }
            if (run.run_type != Run::RT_Iteration || run.iterations == 0) continue;
            const std::string& name = run.run_name.function_name;
            const std::size_t round = name.find("/round:");
            if (round == std::string::npos) continue;
            times_[name.substr(0, round)].push_back(run.real_accumulated_time * 1e3 /
                                                    static_cast<double>(run.iterations));
        }
        ConsoleReporter::ReportRuns(runs);
    }

    const std::vector<double>* Times(const std::string& key) const {
        const auto it = times_.find(key);
        return it == times_.end() || it->second.empty() ? nullptr : &it->second;
    }

private:
    std::map<std::string, std::vector<double>> times_;
};

void PrintRatioRow(const CollectingReporter& reporter, const char* label, const std::string& ours,
                   const std::string& base, double target) {
    const std::vector<double>* a = reporter.Times(ours);
    const std::vector<double>* b = reporter.Times(base);
    if (a == nullptr || b == nullptr) {
        std::printf("%-34s %s\n", label, "not run (or failed)");
        return;
    }
    const double ma = mirado::bench::Median(*a);
    const double mb = mirado::bench::Median(*b);
    const double ratio = ma / mb;
    double lo = 1e300, hi = 0;
    for (std::size_t i = 0; i < std::min(a->size(), b->size()); ++i) {
        lo = std::min(lo, (*a)[i] / (*b)[i]);
        hi = std::max(hi, (*a)[i] / (*b)[i]);
    }
    char targetText[16] = "-";
    if (target > 0) std::snprintf(targetText, sizeof targetText, "<= %.2f", target);
    const char* result = target <= 0 ? "info" : ratio <= target ? "PASS" : "OVER TARGET";
    std::printf("%-34s %6zu %11.1f %11.1f %8.3f  %5.2f-%-5.2f %-8s %s\n", label, a->size(), ma, mb, ratio, lo, hi,
                targetText, result);
}

double MiB(long kib) { return static_cast<double>(kib) / 1024; }

void PrintSummary(const CollectingReporter& reporter) {
    std::printf("\nMirado copy benchmark: ProcessFiles (conversion type %d, lower case) against cp -p\n",
                kConversionType);
    std::printf("Wall times in ms, median of the rounds; \"per round\" is the range of the paired ratios.\n\n");
    std::printf("%-34s %6s %11s %11s %8s  %-11s %-8s %s\n", "case", "rounds", "ours", "baseline", "ours/bl",
                "per round", "target", "result");
    PrintRatioRow(reporter, "1 10,000 x 4 KiB, one batch", "many_small/ours", "many_small/cp", kSmallTarget);
    PrintRatioRow(reporter, "2 1 GiB, one file", "big_file/ours", "big_file/cp", kBigTarget);
    PrintRatioRow(reporter, "3 1 file dropped 2,000 times", "duplicates/ours", "duplicates/cp_distinct", 0);
    PrintRatioRow(reporter, "3' same, 2,000 distinct names", "duplicates/ours_distinct", "duplicates/cp_distinct", 0);
    std::printf("   baselines: 1 and 3/3': one `cp -p -t OUT -- FILES...` process for the whole batch;\n"
                "   2: `cp -p -t OUT -- FILE`; 3 and 3': cp copies 2,000 hard links of the file (distinct names,\n"
                "   so cp probes no numbered names); 3' is ProcessFiles on those same 2,000 hard links.\n");

    if (const std::vector<double>* dup = reporter.Times("duplicates/ours")) {
        const double median = mirado::bench::Median(*dup);
        std::printf("   3: %.1f ms for the batch, %.3f ms per file", median, median / kDupCount);
        if (const std::vector<double>* distinct = reporter.Times("duplicates/ours_distinct")) {
            const double base = mirado::bench::Median(*distinct);
            std::printf("; the numbering scan adds %.1f ms (%.1f us per probed name, %d probes)",
                        median - base, (median - base) * 1e3 / (static_cast<double>(kDupCount) * (kDupCount - 1) / 2),
                        kDupCount * (kDupCount - 1) / 2);
        }
        std::printf("\n");
    }

    if (g_memory.measured) {
        const Memory& m = g_memory;
        const double bytes = static_cast<double>(m.bigMaxRssKiB) * 1024;
        std::printf("\nPeak memory of a child (fork + exec of this program) running ProcessFiles on the 1 GiB file:\n"
                    "   wait4 ru_maxrss %.1f MiB (%.1f MB), its own VmHWM %.1f MiB   target < 20 MB   %s\n",
                    MiB(m.bigMaxRssKiB), bytes / 1e6, MiB(m.bigHwmKiB), bytes < kPeakTargetBytes ? "PASS" : "OVER TARGET");
        std::printf("   for comparison: same child on a 4 KiB file %.1f MiB (VmHWM %.1f MiB); cp -p on the 1 GiB file\n"
                    "   %.1f MiB; /bin/true forked from here %.1f MiB; this process when forking %.1f MiB\n",
                    MiB(m.tinyMaxRssKiB), MiB(m.tinyHwmKiB), MiB(m.cpMaxRssKiB), MiB(m.floorKiB),
                    MiB(m.parentRssKiB));
    }
    std::printf("\nData: %s. Every measurement starts with the earlier outputs moved aside (the 1 GiB\n"
                "copies deleted) and the file system synced; the sources are warm in the page cache (one\n"
                "untimed pass of each contender first); neither contender syncs its copies.\n",
                g_root.empty() ? "(none made)" : g_root.c_str());
}

std::string SelfExe() {
    char path[4096];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return "/proc/self/exe";
    return std::string(path, static_cast<std::size_t>(n));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], kChildFlag) == 0) return CopyOneChild(argv[2]);

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    g_selfExe = SelfExe();

    // The memory child goes first, while this process is still small: a
    // forked child starts with the parent's resident pages counted.
    benchmark::RegisterBenchmark("big_file/peak_memory", PeakMemory)
        ->Iterations(1)
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond);
    RegisterRounds("big_file", kBigRounds, {{"ours", BigOurs}, {"cp", BigCp}});
    RegisterRounds("many_small", kSmallRounds, {{"ours", SmallOurs}, {"cp", SmallCp}});
    RegisterRounds("duplicates", kDupRounds,
                   {{"ours", DupOurs}, {"ours_distinct", DupOursDistinct}, {"cp_distinct", DupCp}});

    CollectingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintSummary(reporter);
    benchmark::Shutdown();

    if (!g_root.empty()) {
        try {
            RemoveTree(g_root);
            // Written back at once, the deleted inodes are skipped by new
            // files for a minute instead of several (see Settle).
            mirado::bench::SyncFileSystem(g_root.substr(0, g_root.rfind('/') + 1));
        } catch (const std::exception& error) {
            std::fprintf(stderr, "mirado_bench: %s\n", error.what());
            g_failed = true;
        }
    }
    if (g_failed) std::fprintf(stderr, "mirado_bench: FAILED (see the messages above)\n");
    return g_failed ? 1 : 0;
}
