// dostrojnik-reg as whole commands on the hives of a real Wine prefix (made here with wineboot,
// or the prefix given) and on the same system.reg grown to 17 and 170 MB, each against a
// reference measured in the same run, in turn with it:
//   add         one value on system.reg, against `cp system.reg x && sync x`   (ratio <= 1.5,
//               peak memory beyond the program's own start <= 1.5 x the hive)
//   query /v    one value, against `cat system.reg`                          (ratio <= 1.5)
//   query /s    "HKLM\Software" /s, against `cp system.reg x && sync x`      (ratio <= 5 at 170 MB,
//               peak memory beyond the start <= 2 x the hive); at 1.7 MB also against Wine's own `reg query`
//   import      100,000 keys, against `cp FILE x && sync x` of the same file (ratio <= 10)
// Every figure is given as min / median / max of its rounds; the ratio is the medians'.
//
//   reg_tool_bench [WINE_PREFIX [SIZE_MB...]]      (sizes: 1.7 17 170 unless given)

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr double AddTarget = 1.5;
constexpr double AddMemoryTarget = 1.5;
constexpr double QueryValueTarget = 1.5;
constexpr double QueryTreeTarget = 5.0; // at the largest size
constexpr double QueryTreeMemoryTarget = 2.0;
constexpr double WineQueryTarget = 0.1;
constexpr double ImportTarget = 10.0;

// What the last program that `timed` ran used: processor time (user and system; on a busy
// machine the wall time of a short command is mostly waiting for a processor) and peak memory.
double g_lastCpu = 0;
double g_lastPeakMb = 0;

// Starts the commands. A started program's peak memory counts the memory of the process that
// started it (the kernel carries the starter's peak over the start), so the programs are started
// by a small process forked before this one reads or makes any hive, and the figures are the
// programs' own.
class Launcher {
public:
    Launcher()
    {
        int requests[2];
        int answers[2];
        if (::pipe(requests) != 0 || ::pipe(answers) != 0) {
            std::perror("pipe");
            std::exit(2);
        }
        m_child = ::fork();
        if (m_child == 0) {
            ::close(requests[1]);
            ::close(answers[0]);
            serve(requests[0], answers[1]);
            ::_exit(0);
        }
        ::close(requests[0]);
        ::close(answers[1]);
        m_requests = requests[1];
        m_answers = answers[0];
    }
    ~Launcher()
    {
        ::close(m_requests);
        ::waitpid(m_child, nullptr, 0);
    }
    Launcher(const Launcher&) = delete;
    Launcher& operator=(const Launcher&) = delete;

    struct Result {
        bool succeeded = false;
        double seconds = 0, cpu = 0, peakMb = 0;
    };

    Result run(const std::vector<std::string>& command, const std::vector<std::string>& environment)
    {
        std::string request;
        for (const auto* strings : {&command, &environment}) {
            appendNumber(request, strings->size());
            for (const std::string& text : *strings) {
                appendNumber(request, text.size());
                request += text;
            }
        }
        Result result;
        const std::size_t size = request.size();
        if (!writeAll(m_requests, &size, sizeof size) || !writeAll(m_requests, request.data(), size) ||
            !readAll(m_answers, &result, sizeof result)) {
            std::fprintf(stderr, "the launcher is gone\n");
            std::exit(2);
        }
        return result;
    }

private:
    static void appendNumber(std::string& to, std::size_t number)
    {
        to.append(reinterpret_cast<const char*>(&number), sizeof number);
    }
    static bool writeAll(int fd, const void* data, std::size_t size)
    {
        for (auto* at = static_cast<const char*>(data); size > 0;) {
            const ssize_t written = ::write(fd, at, size);
            if (written <= 0)
                return false;
            at += written;
            size -= std::size_t(written);
        }
        return true;
    }
    static bool readAll(int fd, void* data, std::size_t size)
    {
        for (auto* at = static_cast<char*>(data); size > 0;) {
            const ssize_t got = ::read(fd, at, size);
            if (got <= 0)
                return false;
            at += got;
            size -= std::size_t(got);
        }
        return true;
    }

    static void serve(int requests, int answers)
    {
        std::size_t size = 0;
        while (readAll(requests, &size, sizeof size)) {
            std::string request(size, '\0');
            if (!readAll(requests, request.data(), size))
                return;
            std::size_t at = 0;
            const auto number = [&] {
                std::size_t value = 0;
                std::memcpy(&value, request.data() + at, sizeof value);
                at += sizeof value;
                return value;
            };
            std::vector<std::string> lists[2];
            for (auto& list : lists) {
                for (std::size_t count = number(); count > 0; --count) {
                    const std::size_t length = number();
                    list.push_back(request.substr(at, length));
                    at += length;
                }
            }
            const Result result = spawn(lists[0], lists[1]);
            if (!writeAll(answers, &result, sizeof result))
                return;
        }
    }

    static Result spawn(std::vector<std::string>& command, std::vector<std::string>& environment)
    {
        std::vector<char*> argv;
        for (auto& text : command)
            argv.push_back(text.data());
        argv.push_back(nullptr);
        std::vector<char*> envp;
        for (auto& entry : environment)
            envp.push_back(entry.data());
        envp.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        Result result;
        const auto start = Clock::now();
        pid_t child = 0;
        int status = 0;
        struct rusage usage {};
        result.succeeded = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), envp.data()) == 0 &&
                           ::wait4(child, &status, 0, &usage) >= 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
        result.seconds = std::chrono::duration<double>(Clock::now() - start).count();
        result.cpu = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                     double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
        result.peakMb = double(usage.ru_maxrss) / 1024.0;
        posix_spawn_file_actions_destroy(&actions);
        return result;
    }

    pid_t m_child = -1;
    int m_requests = -1;
    int m_answers = -1;
};

Launcher* g_launcher = nullptr;

// Runs a program with `prefix` as WINEPREFIX, its output thrown away, and returns the seconds it
// took; a failure ends the benchmark unless `mayFail`.
double timed(const std::vector<std::string>& command, const fs::path& prefix, bool mayFail = false)
{
    std::vector<std::string> environment{"WINEPREFIX=" + prefix.string(), "WINEDEBUG=-all"};
    for (char** entry = environ; *entry; ++entry)
        if (!std::string_view(*entry).starts_with("WINEPREFIX=") && !std::string_view(*entry).starts_with("WINEDEBUG="))
            environment.emplace_back(*entry);
    const Launcher::Result result = g_launcher->run(command, environment);
    if (!result.succeeded && !mayFail) {
        std::fprintf(stderr, "failed: %s\n", command[0].c_str());
        std::exit(2);
    }
    g_lastCpu = result.cpu;
    g_lastPeakMb = result.peakMb;
    return result.seconds;
}

// The rounds of one measurement.
struct Rounds {
    std::vector<double> values;
    void add(double value) { values.push_back(value); }
    double at(double fraction) const
    {
        std::vector<double> sorted(values);
        std::sort(sorted.begin(), sorted.end());
        return sorted[std::size_t(fraction * double(sorted.size() - 1) + 0.5)];
    }
    double min() const { return at(0); }
    double median() const { return at(0.5); }
    double max() const { return at(1); }
    // "min / median / max" in milliseconds (or megabytes).
    std::string text(double scale = 1e3) const
    {
        char buffer[96];
        std::snprintf(buffer, sizeof buffer, "%.1f / %.1f / %.1f", min() * scale, median() * scale, max() * scale);
        return buffer;
    }
};

// A command against its reference, run in turn.
struct Pair {
    Rounds measured, reference, cpu, peakMb;
};

Pair measure(int rounds, const std::vector<std::string>& command, const std::vector<std::string>& reference,
             const fs::path& prefix, const fs::path& referencePrefix = {})
{
    Pair pair;
    for (int round = 0; round < rounds; ++round) {
        pair.measured.add(timed(command, prefix));
        pair.cpu.add(g_lastCpu);
        pair.peakMb.add(g_lastPeakMb);
        pair.reference.add(timed(reference, referencePrefix.empty() ? prefix : referencePrefix));
    }
    return pair;
}

bool report(const std::string& name, const Pair& pair, const char* referenceName, double target)
{
    const double ratio = pair.measured.median() / pair.reference.median();
    const bool met = ratio <= target;
    std::printf("%s: %s ms (min / median / max of %zu), %s %s ms, ratio %.3f (target <= %.2f): %s\n"
                "    processor time %s ms, peak memory %s MB\n",
                name.c_str(), pair.measured.text().c_str(), pair.measured.values.size(), referenceName,
                pair.reference.text().c_str(), ratio, target, met ? "met" : "MISSED", pair.cpu.text().c_str(),
                pair.peakMb.text(1).c_str());
    return met;
}

// The peak memory of the program doing nothing with a hive (its code, the C library, the locale),
// which is about as large as a small hive itself.
double g_startMb = 0;

// The memory a command needs for the hive: its peak beyond the program's own start.
bool reportMemory(const std::string& name, const Pair& pair, double hiveMb, double target)
{
    const double beyondStart = pair.peakMb.median() - g_startMb;
    const double ratio = beyondStart / hiveMb;
    const bool met = ratio <= target;
    std::printf("%s peak memory: %.1f MB, %.1f MB beyond the program's start (%.1f MB), %.2f x the hive "
                "(target <= %.1f): %s\n",
                name.c_str(), pair.peakMb.median(), beyondStart, g_startMb, ratio, target, met ? "met" : "MISSED");
    return met;
}

// A fresh machine holding the prefix's hives.
void copyMachine(const fs::path& prefix, const fs::path& machine)
{
    fs::remove_all(machine);
    fs::create_directories(machine / "drive_c");
    fs::copy_file(prefix / "system.reg", machine / "system.reg");
    fs::copy_file(prefix / "user.reg", machine / "user.reg");
}

std::string readAll(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// system.reg grown to about `megabytes`: copies of the keys below Software, each under
// Software\ZzGrownNNN, placed after the last key of Software as Wine orders them.
void grow(const fs::path& file, double megabytes)
{
    const std::string text = readAll(file);
    const std::string software = "\n[Software\\\\";
    const std::size_t first = text.find(software);
    if (first == std::string::npos)
        return;
    // The end of Software's keys: the first key line after them that is not below Software.
    std::size_t end = first;
    for (std::size_t at = first; (at = text.find("\n[", at)) != std::string::npos; ++at) {
        if (text.compare(at, software.size(), software) != 0) {
            end = at;
            break;
        }
        end = text.size();
    }
    const std::string_view keys = std::string_view(text).substr(first, end - first);
    const auto wanted = static_cast<std::size_t>(megabytes * 1e6);
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << std::string_view(text).substr(0, end);
    for (std::size_t size = text.size(), copy = 0; size < wanted; ++copy) {
        char prefix[48];
        std::snprintf(prefix, sizeof prefix, "\n[Software\\\\ZzGrown%03zu\\\\", copy);
        for (std::size_t at = 0; at < keys.size();) {
            std::size_t next = keys.find(software, at + 1);
            if (next == std::string_view::npos)
                next = keys.size();
            const std::string_view rest = keys.substr(at + software.size(), next - at - software.size());
            out << prefix << rest;
            size += std::strlen(prefix) + rest.size();
            at = next;
        }
    }
    out << std::string_view(text).substr(end);
}

const char* const CopyAndSync = "cp \"$0\" \"$0.copy\" && sync \"$0.copy\"";

bool measureSize(const std::string& reg, const fs::path& prefix, const fs::path& machine, double megabytes,
                 bool withWine)
{
    copyMachine(prefix, machine);
    const fs::path system = machine / "system.reg";
    const bool grown = megabytes > double(fs::file_size(system)) / 1e6 * 1.5;
    if (grown)
        grow(system, megabytes);
    const double hiveMb = double(fs::file_size(system)) / 1e6;
    const int rounds = hiveMb < 10 ? 11 : hiveMb < 100 ? 5 : 3;
    char size[32];
    std::snprintf(size, sizeof size, "[%.1f MB] ", hiveMb);
    std::printf("\nsystem.reg of %.2f MB, %d rounds\n", hiveMb, rounds);
    std::fflush(stdout);
    bool met = true;
    const std::vector<std::string> copy{"/bin/sh", "-c", CopyAndSync, system.string()};

    const Pair add =
        measure(rounds, {reg, "add", "HKLM\\Software\\Bench", "/v", "Round", "/t", "REG_DWORD", "/d", "1", "/f"}, copy,
                machine);
    met = report(size + std::string("add"), add, "cp && sync", AddTarget) && met;
    met = reportMemory(size + std::string("add"), add, hiveMb, AddMemoryTarget) && met;

    const Pair value =
        measure(rounds, {reg, "query", "HKLM\\Software\\Bench", "/v", "Round"}, {"cat", system.string()}, machine);
    met = report(size + std::string("query /v"), value, "cat", QueryValueTarget) && met;

    const Pair tree = measure(rounds, {reg, "query", "HKLM\\Software", "/s"}, copy, machine);
    // Only the largest hive has a target; the smaller ones show how the time grows.
    const bool largest = hiveMb > 100;
    const bool treeMet = report(size + std::string("query /s"), tree, "cp && sync", QueryTreeTarget);
    if (largest) {
        met = treeMet && met;
        met = reportMemory(size + std::string("query /s"), tree, hiveMb, QueryTreeMemoryTarget) && met;
    }

    if (withWine && !grown) {
        // Against Wine's own reg with its server already up.
        timed({"wine", "reg", "query", "HKLM\\Software", "/s"}, prefix);
        const Pair wine = measure(5, {reg, "query", "HKLM\\Software", "/s"},
                                  {"wine", "reg", "query", "HKLM\\Software", "/s"}, machine, prefix);
        met = report(size + std::string("query /s"), wine, "wine reg query", WineQueryTarget) && met;
    }
    return met;
}

} // namespace

int main(int argc, char** argv)
{
    Launcher launcher;
    g_launcher = &launcher;
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
    std::vector<double> sizes;
    for (int i = 2; i < argc; ++i)
        sizes.push_back(std::atof(argv[i]));
    if (sizes.empty())
        sizes = {1.7, 17, 170};
    const fs::path machine = folder / "machine";
    Rounds start;
    for (int round = 0; round < 5; ++round) {
        timed({reg, "/?"}, prefix);
        start.add(g_lastPeakMb);
    }
    g_startMb = start.median();
    std::printf("dostrojnik-reg /? peak memory: %s MB\n", start.text(1).c_str());
    bool met = true;
    for (const double megabytes : sizes)
        met = measureSize(reg, prefix, machine, megabytes, megabytes == sizes.front()) && met;

    // import of 100,000 keys with a value each.
    const fs::path file = folder / "keys.reg";
    {
        std::ofstream out(file, std::ios::binary);
        out << "Windows Registry Editor Version 5.00\r\n\r\n";
        char line[160];
        for (int i = 0; i < 100000; ++i) {
            std::snprintf(line, sizeof line,
                          "[HKEY_CURRENT_USER\\Software\\Bench\\Group%03d\\Key%06d]\r\n\"Value\"=\"%d\"\r\n\r\n",
                          i / 1000, i, i);
            out << line;
        }
    }
    Pair import;
    for (int round = 0; round < 3; ++round) {
        copyMachine(prefix, machine);
        import.measured.add(timed({reg, "import", file.string()}, machine));
        import.cpu.add(g_lastCpu);
        import.peakMb.add(g_lastPeakMb);
        import.reference.add(timed({"/bin/sh", "-c", CopyAndSync, file.string()}, machine));
    }
    std::printf("\n");
    char name[64];
    std::snprintf(name, sizeof name, "import of 100,000 keys (%.1f MB .reg)", double(fs::file_size(file)) / 1e6);
    met = report(name, import, "cp && sync of the file", ImportTarget) && met;

    if (argc <= 1)
        timed({"wineserver", "-k"}, prefix, true);
    fs::remove_all(folder);
    return met ? 0 : 1;
}
