#include "ThisMachine.h"

#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <string>

#include "SystemCalls.h"

namespace mirado {
namespace {

// The first line of a small file; empty when it cannot be read.
std::string FirstLine(SystemCalls& calls, const char* path) {
    const int fd = calls.Open(path, O_RDONLY | O_NOCTTY | O_CLOEXEC, 0);
    if (fd < 0) return {};
    char buffer[256];
    const ssize_t got = calls.PRead(fd, buffer, sizeof buffer, 0);
    calls.Close(fd);
    std::string line = got > 0 ? std::string(buffer, static_cast<std::size_t>(got)) : std::string();
    if (const std::size_t end = line.find('\n'); end != std::string::npos) line.resize(end);
    return line;
}

struct Self {
    TemporaryOwner owner;
    bool bootsKnown = false;
};

// Facts of the process, read with the real calls.
Self ReadSelf() {
    SystemCalls& calls = SystemCalls::Real();
    const std::string machine = FirstLine(calls, "/etc/machine-id");
    const std::string host = FirstLine(calls, "/proc/sys/kernel/hostname");
    const std::string boot = FirstLine(calls, "/proc/sys/kernel/random/boot_id");
    Self made;
    made.owner = {HashOfText(machine + '\n' + host), static_cast<std::uint64_t>(::getpid()),
                  boot.empty() ? 0 : HashOfText(boot)};
    made.bootsKnown = !machine.empty() && !boot.empty();
    return made;
}

std::atomic<bool> forked{false};

// Read once, and again in a child process, whose id differs.
const Self& SelfOnce() {
    static Self self = [] {
        ::pthread_atfork(nullptr, nullptr, [] { forked.store(true, std::memory_order_relaxed); });
        return ReadSelf();
    }();
    if (forked.load(std::memory_order_relaxed) && forked.exchange(false)) self = ReadSelf();
    return self;
}

}  // namespace

const TemporaryOwner& ThisProcess() { return SelfOnce().owner; }

bool BootsCanBeTold() { return SelfOnce().bootsKnown; }

}  // namespace mirado
