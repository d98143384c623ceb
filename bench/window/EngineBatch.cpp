// The batch engine alone on the files of one folder, in the order of their
// names (the order in which mirado_drag_source --files-in drops them), with
// a window that has no screen. Prints the wall and CPU time of RunBatch
// in milliseconds, as "key value" lines.
//
//   mirado_engine_batch FOLDER [CONVERSION_TYPE]
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "Batch.h"
#include "BenchEvents.h"
#include "FileServices.h"
#include "Utf.h"

namespace {

double CpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: mirado_engine_batch FOLDER [CONVERSION_TYPE]\n");
        return 2;
    }
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(argv[1]))
        if (entry.is_regular_file()) names.push_back(std::filesystem::absolute(entry.path()).string());
    std::sort(names.begin(), names.end());
    std::vector<std::u16string> files;
    files.reserve(names.size());
    for (const std::string& name : names) files.push_back(mirado::FromUtf8(name));

    mirado::bench::BenchEvents events;
    mirado::FileServices fso;
    const size_t count = files.size();
    const double cpu = CpuMs();
    const auto start = std::chrono::steady_clock::now();
    mirado::RunBatch({std::move(files), argc == 3 ? std::atoi(argv[2]) : 0, {}}, fso, events);
    const std::chrono::duration<double, std::milli> wall = std::chrono::steady_clock::now() - start;
    const double cpuUsed = CpuMs() - cpu;
    if (events.Failed()) return 1;
    std::printf("engine_files %zu\nengine_ms %.1f\nengine_cpu_ms %.1f\n", count, wall.count(), cpuUsed);
    return 0;
}
