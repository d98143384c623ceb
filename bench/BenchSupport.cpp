#include "BenchSupport.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <system_error>
#include <thread>

namespace mirado::bench {
namespace {

[[noreturn]] void Fail(const std::string& what) {
    throw std::runtime_error(what + ": " + std::strerror(errno));
}

}  // namespace

std::string MakeWorkFolder() {
    const char* base = std::getenv("MIRADO_BENCH_DIR");
    const char* own = std::getenv("MIRADO_BENCH_KEEP_DATA");
    if (base != nullptr && *base != '\0' && own != nullptr && *own != '\0') return base;
    if (base == nullptr || *base == '\0') base = std::getenv("TMPDIR");
    if (base == nullptr || *base == '\0') base = "/tmp";
    std::string pattern = std::string(base) + "/mirado-bench-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) Fail("cannot create a folder from " + pattern);
    return pattern;
}

void WriteDataFile(const std::string& path, std::uint64_t size, std::uint64_t seed) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) Fail("cannot create " + path);
    constexpr std::size_t kBuffer = 1 << 20;
    const auto buffer = std::make_unique<std::uint64_t[]>(kBuffer / sizeof(std::uint64_t));
    std::uint64_t state = seed * 0x9E3779B97F4A7C15ull + 1;
    for (std::uint64_t left = size; left > 0;) {
        for (std::size_t i = 0; i < kBuffer / sizeof(std::uint64_t); ++i) {
            state ^= state << 13;  // xorshift64
            state ^= state >> 7;
            state ^= state << 17;
            buffer[i] = state;
        }
        const std::size_t chunk = static_cast<std::size_t>(std::min<std::uint64_t>(left, kBuffer));
        const char* bytes = reinterpret_cast<const char*>(buffer.get());
        for (std::size_t done = 0; done < chunk;) {
            const ssize_t put = write(fd, bytes + done, chunk - done);
            if (put < 0) {
                if (errno == EINTR) continue;
                close(fd);
                Fail("cannot write " + path);
            }
            done += static_cast<std::size_t>(put);
        }
        left -= chunk;
    }
    if (close(fd) != 0) Fail("cannot close " + path);
}

void MakeFolder(const std::string& path) {
    if (mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) Fail("cannot create " + path);
}

void MakeHardLink(const std::string& existing, const std::string& link) {
    if (::link(existing.c_str(), link.c_str()) != 0) Fail("cannot link " + link);
}

void RemoveTree(const std::string& path) {
    std::error_code error;
    std::filesystem::remove_all(path, error);
    if (error) throw std::runtime_error("cannot remove " + path + ": " + error.message());
}

void SyncFileSystem(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) Fail("cannot open " + path);
    const int synced = syncfs(fd);
    close(fd);
    if (synced != 0) Fail("cannot sync " + path);
}

std::size_t CountFiles(const std::string& folder) {
    std::error_code error;
    std::size_t count = 0;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
        if (it->is_regular_file()) ++count;
    return count;
}

std::int64_t FileSize(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return -1;
    return static_cast<std::int64_t>(info.st_size);
}

bool ChildResult::Succeeded() const { return WIFEXITED(status) && WEXITSTATUS(status) == 0; }

ChildResult RunChild(const std::vector<std::string>& argv) {
    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);

    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) Fail("cannot create a pipe");

    ChildResult result;
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid < 0) Fail("cannot fork");
    if (pid == 0) {
        // Only async-signal-safe calls between fork and exec.
        dup2(pipeFds[1], STDOUT_FILENO);
        execvp(args[0], args.data());
        _exit(127);
    }
    close(pipeFds[1]);
    char buffer[4096];
    for (;;) {
        const ssize_t got = read(pipeFds[0], buffer, sizeof buffer);
        if (got > 0) {
            result.output.append(buffer, static_cast<std::size_t>(got));
        } else if (got == 0 || errno != EINTR) {
            break;
        }
    }
    close(pipeFds[0]);
    struct rusage usage {};
    while (wait4(pid, &result.status, 0, &usage) < 0) {
        if (errno != EINTR) Fail("cannot wait for " + argv[0]);
    }
    result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    result.maxRssKiB = usage.ru_maxrss;
    return result;
}

void RaiseArgumentLimit() {
    // Linux gives arguments a quarter of the stack limit, at most 6 MiB.
    constexpr rlim_t kWanted = rlim_t{32} << 20;
    struct rlimit limit {};
    if (getrlimit(RLIMIT_STACK, &limit) != 0 || limit.rlim_cur >= kWanted) return;
    limit.rlim_cur = limit.rlim_max == RLIM_INFINITY ? kWanted : std::min(kWanted, limit.rlim_max);
    setrlimit(RLIMIT_STACK, &limit);
}

long SelfStatusKiB(const char* field) {
    std::ifstream status("/proc/self/status");
    const std::string prefix = std::string(field) + ":";
    for (std::string line; std::getline(status, line);)
        if (line.compare(0, prefix.size(), prefix) == 0) return std::strtol(line.c_str() + prefix.size(), nullptr, 10);
    return -1;
}

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const std::size_t mid = values.size() / 2;
    return values.size() % 2 == 1 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

double LoadAverage() {
    std::ifstream loadavg("/proc/loadavg");
    double load = -1;
    loadavg >> load;
    return loadavg ? load : -1;
}

double WaitForLoadAtMost(double limit, int maxSeconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(maxSeconds);
    double load = LoadAverage();
    while (load > limit && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::seconds(5));  // the kernel samples the load every 5 s
        load = LoadAverage();
    }
    return load;
}

}  // namespace mirado::bench
