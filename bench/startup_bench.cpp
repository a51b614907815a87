// Start-up of the program against a bare Qt program with one frameless window, both started
// as processes on the X display in the same run:
//  - time from spawn until the first window is mapped (median of several runs), target <= 1.6x;
//  - peak memory (ru_maxrss), target <= 2.5x;
//  - idle CPU of the running program with all its timers over 10 s, target <= 1% of one core.
// Everything is observed from outside; the program knows nothing of the benchmark.
//     startup_bench [runs]

#include "bench/timing.h"

#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Run {
    double startMs = 0;
    long peakKb = 0;
};

class Display {
public:
    Display() : m_connection(xcb_connect(nullptr, nullptr))
    {
        if (xcb_connection_has_error(m_connection)) {
            std::fprintf(stderr, "startup_bench: no X display (run it under Xvfb: scripts/run-benchmarks)\n");
            std::exit(1);
        }
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
        const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(m_connection, screen->root, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(m_connection);
    }
    ~Display() { xcb_disconnect(m_connection); }

    void drain()
    {
        while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection))
            std::free(event);
    }

    // Waits for the next window mapped on the screen; false after the timeout.
    bool waitForMap(std::chrono::milliseconds timeout)
    {
        const auto end = Clock::now() + timeout;
        while (Clock::now() < end) {
            while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
                const bool mapped = (event->response_type & 0x7f) == XCB_MAP_NOTIFY;
                std::free(event);
                if (mapped)
                    return true;
            }
            pollfd descriptor{xcb_get_file_descriptor(m_connection), POLLIN, 0};
            ::poll(&descriptor, 1, 5);
        }
        return false;
    }

private:
    xcb_connection_t* m_connection;
};

pid_t spawn(const std::filesystem::path& program, const std::filesystem::path& machine)
{
    const pid_t pid = fork();
    if (pid == 0) {
        setenv("WINEPREFIX", machine.c_str(), 1);
        setenv("QT_QPA_PLATFORM", "xcb", 1);
        const int null = ::open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    return pid;
}

long finish(pid_t pid)
{
    kill(pid, SIGTERM);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    return usage.ru_maxrss;
}

std::optional<Run> measure(Display& display, const std::filesystem::path& program, const std::filesystem::path& machine)
{
    display.drain();
    const auto start = Clock::now();
    const pid_t pid = spawn(program, machine);
    if (!display.waitForMap(std::chrono::seconds(20))) {
        finish(pid);
        return std::nullopt;
    }
    const auto mapped = Clock::now();
    // Let it settle, as a user would see it, before taking its peak memory.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    Run run;
    run.startMs = std::chrono::duration<double, std::milli>(mapped - start).count();
    run.peakKb = finish(pid);
    return run;
}

long cpuTicks(pid_t pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    // Fields after the command name in parentheses: state is field 3; utime 14, stime 15.
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    long utime = 0;
    long stime = 0;
    for (int index = 3; fields >> field; ++index) {
        if (index == 14)
            utime = std::stol(field);
        if (index == 15) {
            stime = std::stol(field);
            break;
        }
    }
    return utime + stime;
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    const std::filesystem::path here = std::filesystem::canonical("/proc/self/exe").parent_path();
    const std::filesystem::path program = here / "dostrojnik";
    const std::filesystem::path reference = here / "bare_window";
    char folder[] = "/tmp/startup_bench_XXXXXX";
    if (!mkdtemp(folder)) {
        std::perror("startup_bench: mkdtemp");
        return 1;
    }
    const std::filesystem::path machine = std::filesystem::path(folder) / "machine";

    Display display;
    // The first start makes the machine; it is not counted.
    if (!measure(display, program, machine)) {
        std::fprintf(stderr, "startup_bench: %s did not show a window\n", program.c_str());
        return 1;
    }
    std::vector<double> ourStart, bareStart;
    std::vector<long> ourPeak, barePeak;
    for (int i = 0; i < runs; ++i) {
        const auto bare = measure(display, reference, machine);
        const auto ours = measure(display, program, machine);
        if (!bare || !ours) {
            std::fprintf(stderr, "startup_bench: a program did not show a window\n");
            return 1;
        }
        bareStart.push_back(bare->startMs);
        barePeak.push_back(bare->peakKb);
        ourStart.push_back(ours->startMs);
        ourPeak.push_back(ours->peakKb);
    }

    // Idle: the program running with all its timers, nobody touching it.
    display.drain();
    const pid_t pid = spawn(program, machine);
    display.waitForMap(std::chrono::seconds(20));
    std::this_thread::sleep_for(std::chrono::seconds(2));
    const long before = cpuTicks(pid);
    const auto idleStart = Clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(10));
    const long after = cpuTicks(pid);
    const double seconds = std::chrono::duration<double>(Clock::now() - idleStart).count();
    finish(pid);
    const double idlePercent = 100.0 * double(after - before) / double(sysconf(_SC_CLK_TCK)) / seconds;
    std::filesystem::remove_all(folder);

    constexpr double StartTarget = 1.6;
    const double startRatio = bench::median(ourStart) / bench::median(bareStart);
    const double peakRatio = double(bench::median(ourPeak)) / double(bench::median(barePeak));
    auto verdict = [](bool met) { return met ? "target met" : "TARGET MISSED"; };
    std::printf("start-up until the main window is mapped (min / median / max of %d): dostrojnik %s ms, bare window "
                "%s ms, ratio %.2f (target <= %.1f): %s\n",
                runs, bench::spread(ourStart).text("%.1f").c_str(), bench::spread(bareStart).text("%.1f").c_str(),
                startRatio, StartTarget, verdict(startRatio <= StartTarget));
    std::printf("peak memory: dostrojnik %s kB, bare window %s kB, ratio %.2f (target <= 2.5): %s\n",
                bench::spread(ourPeak).text("%.0f").c_str(), bench::spread(barePeak).text("%.0f").c_str(), peakRatio,
                verdict(peakRatio <= 2.5));
    std::printf("idle CPU over %.1f s: %.2f%% of one core (target <= 1%%): %s\n", seconds, idlePercent,
                verdict(idlePercent <= 1.0));
    return 0;
}
