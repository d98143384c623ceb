#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mirado::bench {

// Creates a fresh folder for the benchmark data: under $MIRADO_BENCH_DIR when
// set, else under $TMPDIR or /tmp. With $MIRADO_BENCH_KEEP_DATA set, the
// folder $MIRADO_BENCH_DIR is the benchmark's own (a fresh file system that
// the caller discards afterwards) and is used as it is.
std::string MakeWorkFolder();

// Writes size bytes of pseudo-random data (never sparse, never all zeros).
void WriteDataFile(const std::string& path, std::uint64_t size, std::uint64_t seed);

void MakeFolder(const std::string& path);
void MakeHardLink(const std::string& existing, const std::string& link);
// Removes the folder and everything in it; a missing folder is fine.
void RemoveTree(const std::string& path);
// Writes back the dirty data of the file system that holds path.
void SyncFileSystem(const std::string& path);

// The number of regular files directly in folder (0 when it is missing).
std::size_t CountFiles(const std::string& folder);
// The size of a regular file, or -1 when there is none.
std::int64_t FileSize(const std::string& path);

// What a child process left behind.
struct ChildResult {
    int status = -1;     // as from wait4
    double seconds = 0;  // wall time from fork to the end of wait4
    long maxRssKiB = 0;  // ru_maxrss from wait4
    std::string output;  // everything it wrote to stdout
    bool Succeeded() const;
};

// Forks, executes argv[0] (searched in PATH) with argv, collects its standard
// output and waits for it with wait4.
ChildResult RunChild(const std::vector<std::string>& argv);

// Raises the stack limit, and with it the room for the arguments of a
// child, so that 100,000 file names fit on one command line.
void RaiseArgumentLimit();

// A field of /proc/self/status in KiB (for example "VmHWM"), or -1.
long SelfStatusKiB(const char* field);

double Median(std::vector<double> values);

// The system's load, the 1-minute average of /proc/loadavg; -1 when unknown.
double LoadAverage();
// Waits, looking every few seconds, until the load is at most limit or
// maxSeconds have passed, and returns the load then.
double WaitForLoadAtMost(double limit, int maxSeconds);

}  // namespace mirado::bench
