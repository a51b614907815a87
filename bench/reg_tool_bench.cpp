// dostrojnik-reg as whole commands on the hives of a real Wine prefix (made here with wineboot,
// or the prefix given), each against a reference measured in the same run:
//   add      one value on system.reg: process start, parse and write, against
//            `cp system.reg x && sync x`                                   (target ratio <= 2)
//   query    "HKLM\Software" /s, against `wine reg query` of the same key  (target ratio <= 0.1)
//   import   100,000 keys, against `cp FILE x && sync x` of the same file  (target <= 2 s)
//
//   reg_tool_bench [WINE_PREFIX]

#include "bench/timing.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr double AddTarget = 2.0;
constexpr double QueryTarget = 0.1;
constexpr double ImportTargetSeconds = 2.0;

// The processor time (user and system) of the last program that `timed` ran. On a busy machine
// the wall time of a short command is mostly waiting for a processor, so both are told.
double g_lastCpu = 0;

// Runs a program with `prefix` as WINEPREFIX, its output thrown away, and returns the seconds it
// took; a failure ends the benchmark unless `mayFail`.
double timed(const std::vector<std::string>& command, const fs::path& prefix, bool mayFail = false)
{
    std::vector<std::string> environment{"WINEPREFIX=" + prefix.string(), "WINEDEBUG=-all"};
    for (char** entry = environ; *entry; ++entry)
        if (!std::string_view(*entry).starts_with("WINEPREFIX=") && !std::string_view(*entry).starts_with("WINEDEBUG="))
            environment.emplace_back(*entry);
    std::vector<char*> envp;
    for (auto& entry : environment)
        envp.push_back(entry.data());
    envp.push_back(nullptr);
    std::vector<std::string> strings(command);
    std::vector<char*> argv;
    for (auto& text : strings)
        argv.push_back(text.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const auto start = Clock::now();
    pid_t child = 0;
    int status = 0;
    struct rusage usage {};
    if (posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0 ||
        ::wait4(child, &status, 0, &usage) < 0 || ((!WIFEXITED(status) || WEXITSTATUS(status) != 0) && !mayFail)) {
        std::fprintf(stderr, "failed: %s\n", command[0].c_str());
        std::exit(2);
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    g_lastCpu = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    posix_spawn_file_actions_destroy(&actions);
    return seconds;
}

// A fresh machine holding the prefix's hives.
void copyMachine(const fs::path& prefix, const fs::path& machine)
{
    fs::remove_all(machine);
    fs::create_directories(machine / "drive_c");
    fs::copy_file(prefix / "system.reg", machine / "system.reg");
    fs::copy_file(prefix / "user.reg", machine / "user.reg");
}

double load()
{
    double average = 0;
    return ::getloadavg(&average, 1) == 1 ? average : 0;
}

bool report(const char* name, double measured, double reference, const char* referenceName, double target)
{
    const double ratio = measured / reference;
    const bool met = ratio <= target;
    std::printf("%s: %.1f ms, %s %.1f ms, ratio %.3f (target <= %.2f): %s\n", name, measured * 1e3, referenceName,
                reference * 1e3, ratio, target, met ? "met" : "MISSED");
    return met;
}

} // namespace

int main(int argc, char** argv)
{
    const fs::path bin = fs::canonical("/proc/self/exe").parent_path();
    const std::string reg = (bin / "dostrojnik-reg").string();
    std::string pattern = (fs::temp_directory_path() / "reg-tool-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) {
        std::perror("mkdtemp");
        return 2;
    }
    const fs::path folder = pattern;
    fs::path prefix = argc > 1 ? fs::path(argv[1]) : folder / "wine";
    if (argc <= 1) {
        std::printf("making a Wine prefix with wineboot...\n");
        std::fflush(stdout);
        timed({"wine", "wineboot", "-i"}, prefix);
        timed({"wineserver", "-w"}, prefix, true);
    }
    const fs::path machine = folder / "machine";
    copyMachine(prefix, machine);
    const fs::path system = machine / "system.reg";
    std::printf("system.reg of the prefix: %.2f MB\n", double(fs::file_size(system)) / 1e6);
    bool met = true;

    // add: one value, as a user types it.
    std::vector<double> adds;
    std::vector<double> copies;
    std::vector<double> addCpu;
    std::vector<double> copyCpu;
    for (int round = 0; round < 21; ++round) {
        adds.push_back(timed({reg, "add", "HKLM\\Software\\Bench", "/v", "Round", "/t", "REG_DWORD", "/d",
                              std::to_string(round), "/f"},
                             machine));
        addCpu.push_back(g_lastCpu);
        copies.push_back(timed({"/bin/sh", "-c", "cp \"$0\" \"$0.copy\" && sync \"$0.copy\"", system.string()}, machine));
        copyCpu.push_back(g_lastCpu);
    }
    met = report("add (median of 21)", bench::median(adds), bench::median(copies), "cp && sync", AddTarget) && met;
    std::printf("  processor time: add %.1f ms, cp && sync %.1f ms (ratio %.2f); load average %.1f\n",
                bench::median(addCpu) * 1e3, bench::median(copyCpu) * 1e3,
                bench::median(addCpu) / bench::median(copyCpu), load());

    // query /s of the machine's software, against Wine's own reg with its server already up.
    timed({"wine", "reg", "query", "HKLM\\Software", "/s"}, prefix);
    std::vector<double> queries;
    std::vector<double> wines;
    for (int round = 0; round < 7; ++round) {
        queries.push_back(timed({reg, "query", "HKLM\\Software", "/s"}, machine));
        wines.push_back(timed({"wine", "reg", "query", "HKLM\\Software", "/s"}, prefix));
    }
    met = report("query HKLM\\Software /s (median of 7)", bench::median(queries), bench::median(wines),
                 "wine reg query", QueryTarget) &&
          met;

    // import of 100,000 keys with a value each.
    const fs::path file = folder / "keys.reg";
    {
        std::ofstream out(file, std::ios::binary);
        out << "Windows Registry Editor Version 5.00\r\n\r\n";
        char line[160];
        for (int i = 0; i < 100000; ++i) {
            std::snprintf(line, sizeof line,
                          "[HKEY_CURRENT_USER\\Software\\Bench\\Group%03d\\Key%06d]\r\n\"Value\"=\"%d\"\r\n\r\n", i / 1000,
                          i, i);
            out << line;
        }
    }
    std::vector<double> imports;
    std::vector<double> fileCopies;
    for (int round = 0; round < 3; ++round) {
        copyMachine(prefix, machine);
        imports.push_back(timed({reg, "import", file.string()}, machine));
        fileCopies.push_back(timed({"/bin/sh", "-c", "cp \"$0\" \"$0.copy\" && sync \"$0.copy\"", file.string()}, machine));
    }
    const double import = bench::median(imports);
    std::printf("import of 100,000 keys (%.1f MB, median of 3): %.0f ms (target <= %.0f ms): %s; "
                "ratio to cp && sync of the file (%.1f ms): %.1f\n",
                double(fs::file_size(file)) / 1e6, import * 1e3, ImportTargetSeconds * 1e3,
                import <= ImportTargetSeconds ? "met" : "MISSED", bench::median(fileCopies) * 1e3,
                import / bench::median(fileCopies));
    met = import <= ImportTargetSeconds && met;

    if (argc <= 1)
        timed({"wineserver", "-k"}, prefix, true);
    fs::remove_all(folder);
    return met ? 0 : 1;
}
