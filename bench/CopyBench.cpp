// Times RunBatch against cp on the same data in the same run and prints
// the ratio for each case:
//   numbering   one 4 KiB file dropped 2,000 times, against
//               `cp --backup=numbered -p`, which numbers its copies too
//   growth      the same file dropped 1,000 to 8,000 times (ours alone): how
//               the time grows with the number of drops
//   empty       100,000 empty files in one batch, against `cp -p`
//   small       10,000 files of 4 KiB in one batch, against `cp -p`
//   mid         1,000 files of 1 MiB in one batch, against `cp -p`
//   share       1,000 files of 64 KiB on a share across a network, played by
//               the tests' FUSE pass-through in a process of its own that
//               answers every request after 1 ms (several threads, libfuse's
//               default caches, no copy_file_range), against `cp -p` on the
//               same mount, with the requests per file of each
//   big         one file of 1 GiB, against `cp -p`
// Each of these also runs the batch with one copy at a time ("alone"), as
// it ran before its copies overlapped.
//   memory      the peak memory of a process that runs only the batch, for
//               the 100,000 empty files (against cp's) and for the 1 GiB file
// The contenders of a case run in alternating rounds on the same warm data;
// outputs are moved aside and the file system synced outside the timed region.
// No figure is taken while the load (1-minute average) is above 0.3
// ($MIRADO_BENCH_MAX_LOAD): each waits for it, at most 300 s
// ($MIRADO_BENCH_LOAD_WAIT), and is left out when it waited in vain.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "Batch.h"
#include "BenchEvents.h"
#include "BenchSupport.h"
#include "Contest.h"
#include "FileServices.h"
#include "Summary.h"
#include "Utf.h"
#ifdef MIRADO_BENCH_SHARE
#include "FaultMount.h"
#endif

namespace {

using mirado::bench::ChildResult;
using mirado::bench::CollectingReporter;
using mirado::bench::Contest;
using mirado::bench::RunChild;

constexpr int kNumberingCount = 2000;
constexpr int kGrowthCounts[] = {1000, 2000, 4000, 8000};
constexpr int kEmptyCount = 100000;
constexpr int kSmallCount = 10000;
constexpr std::uint64_t kSmallSize = 4096;
constexpr int kMidCount = 1000;
constexpr std::uint64_t kMidSize = std::uint64_t{1} << 20;
constexpr int kShareCount = 1000;
constexpr std::uint64_t kShareSize = 64 * 1024;
constexpr std::uint64_t kBigSize = std::uint64_t{1} << 30;

constexpr int kNumberingRounds = 9;
constexpr int kGrowthRounds = 3;
constexpr int kRounds = 9;  // of each contended case

constexpr double kNumberingTarget = 0.5;
constexpr double kGrowthTarget = 1.15;
constexpr double kEmptyTarget = 1.0;
constexpr double kSmallTarget = 0.85;
constexpr double kMidTarget = 0.65;
constexpr double kShareTarget = 0.35;
constexpr double kBigTarget = 1.05;
constexpr double kEmptyPeakTarget = 1.0;      // of cp's peak
constexpr double kBigPeakTargetMiB = 20;

const char* const kCopyFlag = "--copy-files";  // PATH...: RunBatch on the files, as one drop
const char* const kPeakFlag = "--peak-of";     // PROGRAM ARG...: runs it and prints its peak memory

std::string g_root;     // the work folder, made on first use
std::string g_selfExe;  // this program, for the memory children
bool g_failed = false;
double g_maxLoad = 0.3;
int g_loadWaitSeconds = 300;
#ifdef MIRADO_BENCH_SHARE
std::unique_ptr<mirado::test::FaultMount> g_share;  // mounted on first use
#endif

const std::string& Root() {
    if (g_root.empty()) g_root = mirado::bench::MakeWorkFolder();
    return g_root;
}

// ---- the data of each case, made once on first use ---------------------------

// One untimed batch of each contender warms the caches alike and checks both work.
Contest Warmed(Contest contest, bool big = false) {
    mirado::bench::Settle(contest, big);
    mirado::bench::RunOurs(contest);
    mirado::bench::CheckCopies(contest, contest.oursOut);
    mirado::bench::RunCp(contest);
    mirado::bench::CheckCopies(contest, contest.cpOut);
    return contest;
}

Contest& Numbering() {
    static Contest c = Warmed(mirado::bench::MakeNumbering(Root() + "/numbering", kNumberingCount));
    return c;
}

Contest& Growth(int count) {
    static std::map<int, Contest> made;
    const auto [it, isNew] = made.try_emplace(count);
    if (isNew) {
        it->second = mirado::bench::MakeNumbering(Root() + "/growth" + std::to_string(count), count);
        mirado::bench::Settle(it->second);
        mirado::bench::RunOurs(it->second);  // cp would take minutes at 8,000: it reads the folder for every copy
    }
    return it->second;
}

Contest& Empty() {
    static Contest c = Warmed(mirado::bench::MakeDistinctFiles(Root() + "/empty", "Empty", kEmptyCount, 0));
    return c;
}

Contest& Small() {
    static Contest c = Warmed(mirado::bench::MakeDistinctFiles(Root() + "/small", "Report", kSmallCount, kSmallSize));
    return c;
}

Contest& Mid() {
    static Contest c = [] {
        Contest made = mirado::bench::MakeDistinctFiles(Root() + "/mid", "Photo", kMidCount, kMidSize);
        made.deleteOutputs = true;  // a GiB a round
        return Warmed(std::move(made));
    }();
    return c;
}

Contest& Share() {
#ifdef MIRADO_BENCH_SHARE
    static Contest c = [] {
        // The share's backing folder on the same disk as the other cases' data.
        const char* tmp = std::getenv("TMPDIR");
        const std::string previous = tmp == nullptr ? "" : tmp;
        ::setenv("TMPDIR", Root().c_str(), 1);
        std::string whyNot;
        g_share = mirado::test::FaultMount::Create({"delay=1000", "cached"}, whyNot);
        if (tmp == nullptr) ::unsetenv("TMPDIR");
        else ::setenv("TMPDIR", previous.c_str(), 1);
        if (!g_share) throw std::runtime_error("no share: " + whyNot);
        Contest made = mirado::bench::MakeDistinctFiles((g_share->Path() / "share").string(), "Photo", kShareCount, kShareSize);
        made.requests = [] { return g_share->Requests(); };
        return Warmed(std::move(made));
    }();
    return c;
#else
    throw std::runtime_error("built without the tests' FUSE file system (libfuse3-dev, MIRADO_BUILD_TESTS)");
#endif
}

Contest& Big() {
    static Contest c = Warmed(mirado::bench::MakeDistinctFiles(Root() + "/big", "Big", 1, kBigSize), true);
    return c;
}

// ---- timed bodies -------------------------------------------------------------

// Waits until the machine is quiet enough for a figure; false (the round
// skipped, which is no failure) when it did not get so within the wait.
bool Quiet(benchmark::State& state) {
    const double load = mirado::bench::WaitForLoadAtMost(g_maxLoad, g_loadWaitSeconds);
    if (load > g_maxLoad || load < 0) {
        const std::string why = mirado::bench::kBusyPrefix + std::to_string(load) + " above " + std::to_string(g_maxLoad);
        state.SkipWithError(why.c_str());
        return false;
    }
    state.counters["load"] = load;
    return true;
}

// Times run on the contest, with the requests per file where its file system counts them.
void TimeRounds(benchmark::State& state, const Contest& c, const std::string& out, bool big,
                void (*run)(const Contest&)) {
    mirado::bench::Settle(c, big);
    if (!Quiet(state)) return;
    const std::uint64_t before = c.requests ? c.requests() : 0;
    for (auto _ : state) run(c);
    if (c.requests)
        state.counters["requests"] = static_cast<double>(c.requests() - before) / static_cast<double>(c.copies);
    mirado::bench::CheckCopies(c, out);
}

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

void TimeOurs(benchmark::State& state, Contest& (*contest)(), bool big = false) {
    Guarded(state, [&] {
        const Contest& c = contest();
        TimeRounds(state, c, c.oursOut, big, mirado::bench::RunOurs);
    });
}

void TimeOursAlone(benchmark::State& state, Contest& (*contest)(), bool big = false) {
    Guarded(state, [&] {
        const Contest& c = contest();
        TimeRounds(state, c, c.oursOut, big, mirado::bench::RunOursAlone);
    });
}

void TimeCp(benchmark::State& state, Contest& (*contest)(), bool big = false) {
    Guarded(state, [&] {
        const Contest& c = contest();
        TimeRounds(state, c, c.cpOut, big, mirado::bench::RunCp);
    });
}

void TimeGrowth(benchmark::State& state, int count) {
    Guarded(state, [&] { TimeRounds(state, Growth(count), Growth(count).oursOut, false, mirado::bench::RunOurs); });
}

// ---- peak memory --------------------------------------------------------------

// Each batch runs in a child of a small helper process (this program started
// afresh with kPeakFlag), so that its peak is its own: wait4 counts what a
// child had mapped from its parent before exec, and this process is large.
struct Memory {
    bool measured = false;
    long floorKiB = 0;         // the helper running /bin/true
    long emptyOursKiB = 0;     // RunBatch on the 100,000 empty files
    long emptyOursHwmKiB = 0;  // its own VmHWM
    long emptyCpKiB = 0;       // cp -p on the same files
    long bigOursKiB = 0;       // RunBatch on the 1 GiB file
    long bigOursHwmKiB = 0;
    long bigCpKiB = 0;
} g_memory;

long Field(const std::string& output, const char* name) {
    const std::size_t at = output.find(name);
    return at == std::string::npos ? -1 : std::strtol(output.c_str() + at + std::strlen(name), nullptr, 10);
}

// The peak of argv run from the helper; hwm gets the VmHWM that one of our
// own batches printed.
long PeakOf(std::vector<std::string> argv, long* hwm = nullptr) {
    argv.insert(argv.begin(), {g_selfExe, kPeakFlag});
    const ChildResult helper = RunChild(argv);
    if (!helper.Succeeded()) throw std::runtime_error("the memory child " + argv[2] + " failed");
    if (hwm != nullptr) *hwm = Field(helper.output, "vmhwm_kib=");
    return Field(helper.output, "maxrss_kib=");
}

// The same file names as cp gets.
std::vector<std::string> OursArgs(const Contest& c) {
    std::vector<std::string> argv = {g_selfExe, kCopyFlag};
    argv.insert(argv.end(), c.paths.begin(), c.paths.end());
    return argv;
}

void PeakMemory(benchmark::State& state) {
    Guarded(state, [&] {
        const Contest& empty = Empty();
        const Contest& big = Big();
        Memory m;
        for (auto _ : state) {
            m.floorKiB = PeakOf({"/bin/true"});
            mirado::bench::Settle(empty);
            m.emptyOursKiB = PeakOf(OursArgs(empty), &m.emptyOursHwmKiB);
            mirado::bench::CheckCopies(empty, empty.oursOut);
            mirado::bench::MakeFolder(empty.cpOut);
            m.emptyCpKiB = PeakOf(empty.cpArgs);
            mirado::bench::CheckCopies(empty, empty.cpOut);
            mirado::bench::Settle(big, true);
            m.bigOursKiB = PeakOf(OursArgs(big), &m.bigOursHwmKiB);
            mirado::bench::MakeFolder(big.cpOut);
            m.bigCpKiB = PeakOf(big.cpArgs);
            mirado::bench::Settle(big, true);
        }
        m.measured = true;
        g_memory = m;
    });
}

// What kCopyFlag does: one RunBatch on the files named, as one drop.
int CopyFilesChild(int argc, char** argv) {
    std::vector<std::u16string> drops;
    for (int i = 2; i < argc; ++i) drops.push_back(mirado::FromUtf8(argv[i]));
    mirado::bench::BenchEvents events;
    mirado::FileServices fso;
    mirado::RunBatch({std::move(drops), mirado::bench::kConversionType, {}, mirado::bench::OursAtOnce()}, fso, events);
    if (events.Failed()) return 1;
    std::printf("vmhwm_kib=%ld\n", mirado::bench::SelfStatusKiB("VmHWM"));
    return 0;
}

// What kPeakFlag does: runs the program and passes on its output and peak.
int PeakOfChild(int argc, char** argv) {
    const ChildResult child = RunChild(std::vector<std::string>(argv + 2, argv + argc));
    std::printf("%smaxrss_kib=%ld\n", child.output.c_str(), child.maxRssKiB);
    return child.Succeeded() ? 0 : 1;
}

// ---- registration and the summary ---------------------------------------------

using Body = std::function<void(benchmark::State&)>;

// Registers rounds of the contenders, rotating who goes first in each round.
void RegisterRounds(const std::string& group, int rounds, const std::vector<std::pair<std::string, Body>>& contenders) {
    for (int r = 0; r < rounds; ++r) {
        for (std::size_t k = 0; k < contenders.size(); ++k) {
            const auto& [name, body] = contenders[(k + static_cast<std::size_t>(r)) % contenders.size()];
            const std::string full = group + "/" + name + "/round:" + std::to_string(r + 1);
            benchmark::RegisterBenchmark(full.c_str(), body)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
        }
    }
}

double MiB(long kib) { return static_cast<double>(kib) / 1024; }

void PrintSummary(const CollectingReporter& reporter) {
    using mirado::bench::PrintRatioRow;
    std::printf("\nMirado copy benchmark: RunBatch (conversion type %d, lower case) against cp\n",
                mirado::bench::kConversionType);
    std::printf("Wall times in ms, median of the rounds; \"per round\" is the range of the paired ratios.\n\n");
    mirado::bench::PrintRatioHeader();
    PrintRatioRow(reporter, "1 file dropped 2,000 times (numbering)", "numbering/ours", "numbering/cp", kNumberingTarget);
    // Each case twice: the copies overlapping, and one file at a time (as before), against the same cp rounds.
    const auto both = [&](const char* label, const std::string& key, double target) {
        PrintRatioRow(reporter, label, key + "/ours", key + "/cp", target);
        PrintRatioRow(reporter, "   one at a time", key + "/alone", key + "/cp", 0);
    };
    both("100,000 empty files, one batch", "empty", kEmptyTarget);
    both("10,000 x 4 KiB, one batch", "small", kSmallTarget);
    both("1,000 x 1 MiB, one batch", "mid", kMidTarget);
    both("1,000 x 64 KiB, share (1 ms a request)", "share", kShareTarget);
    both("1 GiB, one file", "big", kBigTarget);
    const std::vector<double> oursRequests = reporter.Counter("share/ours", "requests");
    const std::vector<double> aloneRequests = reporter.Counter("share/alone", "requests");
    const std::vector<double> cpRequests = reporter.Counter("share/cp", "requests");
    if (!oursRequests.empty() && !aloneRequests.empty() && !cpRequests.empty())
        std::printf("   share: requests per file (median of the rounds) ours %.1f, one at a time %.1f, cp -p %.1f\n",
                    mirado::bench::Median(oursRequests), mirado::bench::Median(aloneRequests),
                    mirado::bench::Median(cpRequests));
    std::printf("   baselines: one cp process per batch, given the same full paths as RunBatch:\n"
                "   numbering `cp --backup=numbered -p -t OUT -- DIR/Photo.JPG` (2,000 times the same file),\n"
                "   the others `cp -p -t OUT -- FILES...`.\n\n");

    std::vector<std::pair<int, std::string>> growth;
    for (const int n : kGrowthCounts) growth.emplace_back(n, "growth/n" + std::to_string(n));
    mirado::bench::PrintGrowth(reporter, "Numbering, one file dropped n times (ours)", growth, kGrowthTarget);

    if (g_memory.measured) {
        const Memory& m = g_memory;
        const double ratio = static_cast<double>(m.emptyOursKiB) / static_cast<double>(m.emptyCpKiB);
        std::printf("\nPeak memory (wait4 ru_maxrss of a process that runs only the batch):\n");
        std::printf("   100,000 empty files: ours %.1f MiB (its own VmHWM %.1f), cp -p %.1f MiB, ratio %.3f"
                    "   target <= %.2f   %s\n",
                    MiB(m.emptyOursKiB), MiB(m.emptyOursHwmKiB), MiB(m.emptyCpKiB), ratio, kEmptyPeakTarget,
                    ratio <= kEmptyPeakTarget ? "PASS" : "OVER TARGET");
        std::printf("   1 GiB file: ours %.1f MiB (VmHWM %.1f), cp -p %.1f MiB   target < %.0f MiB   %s\n",
                    MiB(m.bigOursKiB), MiB(m.bigOursHwmKiB), MiB(m.bigCpKiB), kBigPeakTargetMiB,
                    MiB(m.bigOursKiB) < kBigPeakTargetMiB ? "PASS" : "OVER TARGET");
        std::printf("   floor: /bin/true from the same helper %.1f MiB\n", MiB(m.floorKiB));
    }
    std::printf("\nData: %s. Every measurement starts with the earlier outputs moved aside (the 1 GiB\n"
                "copies deleted) and the file system synced; the sources are warm in the page cache (one\n"
                "untimed batch of each contender first); neither contender syncs its copies.\n",
                g_root.empty() ? "(none made)" : g_root.c_str());
    mirado::bench::PrintLoad(reporter, g_maxLoad);
}

double EnvNumber(const char* name, double fallback) {
    const char* text = std::getenv(name);
    return text == nullptr || *text == '\0' ? fallback : std::strtod(text, nullptr);
}

std::string SelfExe() {
    char path[4096];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return "/proc/self/exe";
    return std::string(path, static_cast<std::size_t>(n));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], kCopyFlag) == 0) return CopyFilesChild(argc, argv);
    if (argc >= 3 && std::strcmp(argv[1], kPeakFlag) == 0) return PeakOfChild(argc, argv);

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    g_selfExe = SelfExe();
    mirado::bench::RaiseArgumentLimit();
    g_maxLoad = EnvNumber("MIRADO_BENCH_MAX_LOAD", g_maxLoad);
    g_loadWaitSeconds = static_cast<int>(EnvNumber("MIRADO_BENCH_LOAD_WAIT", g_loadWaitSeconds));

    const auto ours = [](Contest& (*c)(), bool big = false) { return [=](benchmark::State& s) { TimeOurs(s, c, big); }; };
    const auto alone = [](Contest& (*c)(), bool big = false) {
        return [=](benchmark::State& s) { TimeOursAlone(s, c, big); };
    };
    const auto cp = [](Contest& (*c)(), bool big = false) { return [=](benchmark::State& s) { TimeCp(s, c, big); }; };
    RegisterRounds("numbering", kNumberingRounds, {{"ours", ours(Numbering)}, {"cp", cp(Numbering)}});
    for (int r = 0; r < kGrowthRounds; ++r) {
        for (const int n : kGrowthCounts) {
            const std::string name = "growth/n" + std::to_string(n) + "/round:" + std::to_string(r + 1);
            benchmark::RegisterBenchmark(name.c_str(), [n](benchmark::State& s) { TimeGrowth(s, n); })
                ->Iterations(1)
                ->UseRealTime()
                ->Unit(benchmark::kMillisecond);
        }
    }
    RegisterRounds("small", kRounds, {{"ours", ours(Small)}, {"alone", alone(Small)}, {"cp", cp(Small)}});
    RegisterRounds("mid", kRounds, {{"ours", ours(Mid)}, {"alone", alone(Mid)}, {"cp", cp(Mid)}});
    RegisterRounds("share", kRounds, {{"ours", ours(Share)}, {"alone", alone(Share)}, {"cp", cp(Share)}});
    RegisterRounds("empty", kRounds, {{"ours", ours(Empty)}, {"alone", alone(Empty)}, {"cp", cp(Empty)}});
    RegisterRounds("big", kRounds, {{"ours", ours(Big, true)}, {"alone", alone(Big, true)}, {"cp", cp(Big, true)}});
    benchmark::RegisterBenchmark("memory", PeakMemory)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);

    CollectingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintSummary(reporter);
    benchmark::Shutdown();
    g_failed = g_failed || reporter.AnyFailed();
#ifdef MIRADO_BENCH_SHARE
    g_share.reset();  // unmounted before its folder goes
#endif

    // A fresh file system that the caller discards needs no deleting (which
    // takes long for a million files).
    const char* keep = std::getenv("MIRADO_BENCH_KEEP_DATA");
    if (!g_root.empty() && (keep == nullptr || *keep == '\0')) {
        try {
            mirado::bench::RemoveTree(g_root);
            mirado::bench::SyncFileSystem(g_root.substr(0, g_root.rfind('/') + 1));
        } catch (const std::exception& error) {
            std::fprintf(stderr, "mirado_bench: %s\n", error.what());
            g_failed = true;
        }
    }
    if (g_failed) std::fprintf(stderr, "mirado_bench: FAILED (see the messages above)\n");
    return g_failed ? 1 : 0;
}
