// Watches the main window through one batch under a real X server, as the
// window manager and the user see it:
//   - sends the window manager's ping (_NET_WM_PING) to the window every
//     few milliseconds and times each answer;
//   - waits for the last file of the batch to appear, which ends the batch;
//   - reads when the drop happened and was finished from the drag source's
//     output (mirado_drag_source), and the window's CPU time.
//
//   mirado_window_probe --window ID --pid PID --drag-log FILE --last PATH
//                       [--interval-ms 20] [--timeout-s 300]
//
// Prints one "key value" line per figure, times in milliseconds.
#include <X11/Xlib.h>
#include <poll.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

long long Now() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count();
}

[[noreturn]] void Fail(const std::string& text) {
    std::fprintf(stderr, "mirado_window_probe: %s\n", text.c_str());
    std::exit(1);
}

// The time all threads of a process have spent on a CPU so far, in seconds,
// threads that have ended included (the batch's copiers end with it).
double CpuSeconds(long pid) {
    clockid_t clock{};
    struct timespec t {};
    if (clock_getcpuclockid(static_cast<pid_t>(pid), &clock) != 0 || clock_gettime(clock, &t) != 0)
        Fail("cannot read the CPU time of process " + std::to_string(pid));
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// The number after "prefix" in the first line of file that starts with it, or -1.
long long LogValue(const std::string& file, const std::string& prefix) {
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);)
        if (line.compare(0, prefix.size(), prefix) == 0) return std::atoll(line.c_str() + prefix.size());
    return -1;
}

double Quantile(std::vector<double> values, double q) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[static_cast<size_t>(q * static_cast<double>(values.size() - 1) + 0.5)];
}

struct Ping {
    long long sent = 0;
    long long answered = -1;
};

}  // namespace

int main(int argc, char** argv) {
    unsigned long window = 0;
    long pid = 0;
    std::string dragLog, last;
    long long intervalMs = 20, timeoutS = 300;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string key = argv[i], value = argv[i + 1];
        if (key == "--window") window = std::stoul(value, nullptr, 0);
        else if (key == "--pid") pid = std::stol(value);
        else if (key == "--drag-log") dragLog = value;
        else if (key == "--last") last = value;
        else if (key == "--interval-ms") intervalMs = std::stoll(value);
        else if (key == "--timeout-s") timeoutS = std::stoll(value);
        else Fail("unknown option " + key);
    }
    if (window == 0 || pid == 0 || dragLog.empty() || last.empty()) Fail("needs --window, --pid, --drag-log and --last");

    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) Fail("cannot open the display");
    const Window root = DefaultRootWindow(display);
    // The answer goes to the root window for the window manager, which
    // selects substructure redirection there; Qt sends it to the clients
    // that select structure notification on the root window as well, and
    // other toolkits to those that select substructure notification.
    XSelectInput(display, root, StructureNotifyMask | SubstructureNotifyMask);
    const Atom protocols = XInternAtom(display, "WM_PROTOCOLS", False);
    const Atom ping = XInternAtom(display, "_NET_WM_PING", False);

    const long long start = Now();
    const long long interval = intervalMs * 1000000;
    // Pings carry their number where the window manager puts a timestamp;
    // the window sends it back unchanged.
    constexpr long kFirst = 0x4d000000;
    std::vector<Ping> pings;
    long long nextPing = start, ended = -1, stopAt = -1;
    // The window's CPU time when the drop was seen in the drag source's
    // output, when its finish was, and when the batch ended.
    double cpuAtDrop = -1, cpuAtFinish = -1, cpuAtEnd = -1;
    for (;;) {
        const long long now = Now();
        if (now - start > timeoutS * 1000000000LL) Fail("the batch did not end in time: " + last + " is missing");
        if (cpuAtDrop < 0 && LogValue(dragLog, "dropped at ") >= 0) cpuAtDrop = CpuSeconds(pid);
        if (cpuAtFinish < 0 && LogValue(dragLog, "drop finished at ") >= 0) cpuAtFinish = CpuSeconds(pid);
        if (ended < 0 && access(last.c_str(), F_OK) == 0) {
            ended = now;
            cpuAtEnd = CpuSeconds(pid);
            stopAt = now + 300 * 1000000LL;  // then a few pings of the idle window
        }
        if (stopAt >= 0 && now >= stopAt) {
            const bool waiting = std::any_of(pings.begin(), pings.end(), [](const Ping& p) { return p.answered < 0; });
            if (!waiting || now >= stopAt + 2000 * 1000000LL) break;
        } else if (now >= nextPing) {
            XEvent event{};
            event.xclient.type = ClientMessage;
            event.xclient.window = window;
            event.xclient.message_type = protocols;
            event.xclient.format = 32;
            event.xclient.data.l[0] = static_cast<long>(ping);
            event.xclient.data.l[1] = kFirst + static_cast<long>(pings.size());
            event.xclient.data.l[2] = static_cast<long>(window);
            XSendEvent(display, window, False, NoEventMask, &event);
            XFlush(display);
            pings.push_back(Ping{Now(), -1});
            nextPing += interval;
        }
        pollfd fd{ConnectionNumber(display), POLLIN, 0};
        poll(&fd, 1, 1);
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type != ClientMessage || event.xclient.message_type != protocols ||
                static_cast<Atom>(event.xclient.data.l[0]) != ping ||
                static_cast<unsigned long>(event.xclient.data.l[2]) != window)
                continue;
            const long index = event.xclient.data.l[1] - kFirst;
            if (index >= 0 && index < static_cast<long>(pings.size()) && pings[index].answered < 0)
                pings[index].answered = Now();
        }
    }
    XCloseDisplay(display);

    const long long dropped = LogValue(dragLog, "dropped at ");
    const long long finished = LogValue(dragLog, "drop finished at ");
    if (dropped < 0 || finished < 0) Fail("no drop in " + dragLog);
    std::vector<double> idle, busy;
    int busyLate = 0, unanswered = 0;
    for (const Ping& p : pings) {
        const double ms = p.answered < 0 ? 1e9 : static_cast<double>(p.answered - p.sent) / 1e6;
        if (p.answered < 0) ++unanswered;
        if (p.sent < dropped) {
            idle.push_back(ms);
        } else if (p.sent <= ended) {
            busy.push_back(ms);
            if (ms > 200) ++busyLate;
        }
    }
    std::printf("drop_finished_ms %.1f\n", static_cast<double>(finished - dropped) / 1e6);
    // The batch starts when the drop has been finished; a window that
    // finishes the drop only after its batch ran it inside the drop.
    const bool finishedFirst = finished < ended;
    std::printf("batch_ms %.1f\n", static_cast<double>(ended - (finishedFirst ? finished : dropped)) / 1e6);
    std::printf("window_cpu_ms %.1f\n", (cpuAtEnd - (finishedFirst ? cpuAtFinish : cpuAtDrop)) * 1e3);
    std::printf("drop_to_end_ms %.1f\n", static_cast<double>(ended - dropped) / 1e6);
    std::printf("drop_to_end_cpu_ms %.1f\n", (cpuAtEnd - cpuAtDrop) * 1e3);
    std::printf("pings_in_batch %zu\n", busy.size());
    std::printf("pings_in_batch_over_200ms %d\n", busyLate);
    std::printf("ping_batch_median_ms %.2f\n", Quantile(busy, 0.5));
    std::printf("ping_batch_max_ms %.2f\n", busy.empty() ? 0.0 : *std::max_element(busy.begin(), busy.end()));
    std::printf("ping_idle_median_ms %.2f\n", Quantile(idle, 0.5));
    std::printf("ping_idle_max_ms %.2f\n", idle.empty() ? 0.0 : *std::max_element(idle.begin(), idle.end()));
    std::printf("pings_unanswered %d\n", unanswered);
    return 0;
}
