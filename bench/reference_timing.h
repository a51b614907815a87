#pragma once

// Timing for the benchmarks that measure against another program run in the same session.

#include <spawn.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include "bench/timing.h"

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

// Runs a program with its output thrown away and waits for it; false when it did not run to
// a zero status.
inline bool runQuietly(std::vector<const char*> arguments)
{
    arguments.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    const int started =
        posix_spawnp(&child, arguments[0], &actions, nullptr, const_cast<char* const*>(arguments.data()), environ);
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

// The Wine prefix a benchmark measures: the one BENCH_WINE_PREFIX names, else a fresh one made
// in `folder` by `wine wineboot -i`; empty, with a message, when Wine could not make one.
inline std::filesystem::path winePrefix(const std::filesystem::path& folder)
{
    if (const char* given = std::getenv("BENCH_WINE_PREFIX"); given && *given)
        return given;
    const std::filesystem::path prefix = folder / "prefix";
    ::setenv("WINEPREFIX", prefix.c_str(), 1);
    ::setenv("WINEDEBUG", "-all", 1);
    if (!runQuietly({"wine", "wineboot", "-i"}) || !runQuietly({"wineserver", "-w"})) {
        std::printf("no Wine prefix: Wine could not make one (set BENCH_WINE_PREFIX to use another)\n");
        return {};
    }
    return prefix;
}

} // namespace bench
