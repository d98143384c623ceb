#include "Contest.h"

#include <sys/wait.h>

#include <cerrno>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "Batch.h"
#include "BenchEvents.h"
#include "BenchSupport.h"
#include "FileServices.h"
#include "Utf.h"

namespace mirado::bench {
namespace {

void Check(bool ok, const std::string& what) {
    if (!ok) throw std::runtime_error(what);
}

std::string Numbered(const std::string& prefix, int n) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "_%06d", n);
    return prefix + digits + ".TXT";
}

Contest Begin(const std::string& folder) {
    Contest c;
    c.folder = folder;
    c.oursOut = folder + "/_rename";
    c.cpOut = folder + "/_cp_out";
    MakeFolder(folder);
    return c;
}

}  // namespace

Contest MakeDistinctFiles(const std::string& folder, const std::string& prefix, int count, std::uint64_t size) {
    Contest c = Begin(folder);
    for (int i = 1; i <= count; ++i) {
        c.paths.push_back(folder + "/" + Numbered(prefix, i));
        WriteDataFile(c.paths.back(), size, static_cast<std::uint64_t>(i));
        c.drops.push_back(FromUtf8(c.paths.back()));
    }
    c.cpArgs = {"cp", "-p", "-t", c.cpOut, "--"};
    c.cpArgs.insert(c.cpArgs.end(), c.paths.begin(), c.paths.end());
    c.copies = static_cast<std::size_t>(count);
    return c;
}

Contest MakeNumbering(const std::string& folder, int count) {
    Contest c = Begin(folder);
    WriteDataFile(folder + "/Photo.JPG", 4096, 7);
    c.paths.assign(static_cast<std::size_t>(count), folder + "/Photo.JPG");
    c.drops.assign(static_cast<std::size_t>(count), FromUtf8(folder + "/Photo.JPG"));
    c.cpArgs = {"cp", "--backup=numbered", "-p", "-t", c.cpOut, "--"};
    c.cpArgs.insert(c.cpArgs.end(), c.paths.begin(), c.paths.end());
    c.copies = static_cast<std::size_t>(count);
    return c;
}

void Settle(const Contest& contest, bool big) {
    static int retired = 0;
    const std::string bin = contest.folder.substr(0, contest.folder.rfind('/')) + "/retired";
    MakeFolder(bin);
    for (const std::string& out : {contest.oursOut, contest.cpOut}) {
        if (big || contest.deleteOutputs) {
            RemoveTree(out);
        } else if (std::rename(out.c_str(), (bin + "/" + std::to_string(++retired)).c_str()) != 0 && errno != ENOENT) {
            throw std::runtime_error("cannot move " + out + " away: " + std::strerror(errno));
        }
    }
    SyncFileSystem(contest.folder);
}

namespace {

void RunEngine(const Contest& contest, int copiesAtOnce) {
    BenchEvents events;
    FileServices fso;
    RunBatch({contest.drops, kConversionType, {}, copiesAtOnce}, fso, events);
    Check(!events.Failed(), "the engine reported: " + events.FirstReport());
}

}  // namespace

int OursAtOnce() {
    const char* atOnce = std::getenv("MIRADO_BENCH_AT_ONCE");
    return atOnce != nullptr ? std::atoi(atOnce) : 0;
}

void RunOurs(const Contest& contest) { RunEngine(contest, OursAtOnce()); }

void RunOursAlone(const Contest& contest) { RunEngine(contest, 1); }

void RunCp(const Contest& contest) {
    MakeFolder(contest.cpOut);
    const ChildResult cp = RunChild(contest.cpArgs);
    Check(cp.Succeeded(), contest.folder + ": cp failed" +
                              (WIFEXITED(cp.status) && WEXITSTATUS(cp.status) == 127
                                   ? " to start (is its command line too long? a shorter $TMPDIR helps)"
                                   : ""));
}

void CheckCopies(const Contest& contest, const std::string& out) {
    Check(CountFiles(out) == contest.copies, out + " holds the wrong number of copies");
}

}  // namespace mirado::bench
