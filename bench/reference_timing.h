#pragma once

// Timing for the benchmarks that measure against another program run in the same session.

#include <spawn.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <QByteArray>
#include <QtGlobal>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

extern char** environ;

namespace bench {

// Median wall time of `call`, in milliseconds, over `rounds` runs after one warm-up run.
inline double medianMilliseconds(int rounds, const std::function<void()>& call)
{
    call();
    std::vector<double> times;
    for (int r = 0; r < rounds; ++r) {
        const auto start = std::chrono::steady_clock::now();
        call();
        const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - start;
        times.push_back(elapsed.count());
    }
    std::nth_element(times.begin(), times.begin() + rounds / 2, times.end());
    return times[static_cast<std::size_t>(rounds / 2)];
}

// Runs a program with its output thrown away and waits for it; false when it did not run to
// a zero status.
inline bool runQuietly(std::vector<const char*> arguments)
{
    arguments.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    const int started = posix_spawnp(&child, arguments[0], &actions, nullptr, const_cast<char* const*>(arguments.data()),
                                     environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    return started == 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Without a display the widgets draw off screen; call before the application object is made.
inline void drawOffscreenWithoutDisplay()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

// A new folder under the system's temporary folder, named after the benchmark; empty when it
// cannot be made.
inline std::filesystem::path makeWorkFolder(const char* benchmark)
{
    auto pattern = (std::filesystem::temp_directory_path() / (std::string(benchmark) + "-XXXXXX")).string();
    if (!mkdtemp(pattern.data())) {
        std::perror(benchmark);
        return {};
    }
    return pattern;
}

} // namespace bench
