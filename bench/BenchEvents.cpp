#include "BenchEvents.h"

#include <cstdio>

#include "Utf.h"

namespace mirado::bench {

void BenchEvents::Failed(const std::u16string& report) {
    std::fprintf(stderr, "mirado_bench: the engine reported an error: %s\n", ToUtf8(report).c_str());
    std::fflush(stderr);
    reports_.push_back(report);
}

std::string BenchEvents::FirstReport() const { return reports_.empty() ? std::string() : ToUtf8(reports_.front()); }

}  // namespace mirado::bench
