#include "core/machine/machine.h"

#include "core/error.h"
#include "core/machine/baseline.h"
#include "tests/support/child_processes.h"
#include "tests/support/faulty_system_calls.h"
#include "tests/support/fake_environment.h"
#include "tests/support/temporary_folder.h"

#include <gtest/gtest.h>

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <map>
#include <regex>
#include <set>

using namespace testing_support;
using core::Machine;
namespace fs = std::filesystem;

namespace {

std::string lower(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// A hive in Wine's text format, checked line by line against the rules of that format while
// it is read: key path (lower case) -> value name (lower case) -> data as written.
using Hive = std::map<std::string, std::map<std::string, std::string>>;

std::vector<std::string> components(const std::string& path)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t at; (at = path.find('\\', start)) != std::string::npos; start = at + 1)
        parts.push_back(lower(path.substr(start, at - start)));
    parts.push_back(lower(path.substr(start)));
    return parts;
}

Hive readWineHive(const std::string& text, const std::string& rootComment)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t at; (at = text.find('\n', start)) != std::string::npos; start = at + 1)
        lines.push_back(text.substr(start, at - start));
    EXPECT_EQ(start, text.size()) << "the file ends with a line end";
    EXPECT_GE(lines.size(), 5u);
    EXPECT_EQ(lines[0], "WINE REGISTRY Version 2");
    EXPECT_EQ(lines[1], rootComment);
    EXPECT_EQ(lines[2], "");
    EXPECT_EQ(lines[3], "#arch=win64");
    EXPECT_EQ(lines[4], "");

    const std::regex keyLine(R"(\[((?:[^\\\]]|\\\\)+)\] (\d+))");
    const std::regex timeLine("#time=([1-9a-f][0-9a-f]*)");
    const std::regex valueLine(R"re((@|"(?:[^"\\]|\\.)*")=(.*))re");
    const std::regex data(
        R"re("(?:[^"\\]|\\.)*"|str\([0-9a-f]+\):"(?:[^"\\]|\\.)*"|dword:[0-9a-f]{8}|hex(?:\([0-9a-f]+\))?:(?:[0-9a-f]{2}(?:,[0-9a-f]{2})*)?)re");
    Hive hive;
    std::vector<std::string> previousKey;
    for (size_t i = 5; i < lines.size();) {
        std::smatch match;
        if (!std::regex_match(lines[i], match, keyLine)) {
            ADD_FAILURE() << "not a key line: " << lines[i];
            return hive;
        }
        const std::string path = std::regex_replace(match[1].str(), std::regex(R"(\\\\)"), "\\");
        const unsigned long long seconds = std::stoull(match[2]);
        const std::vector<std::string> parts = components(path);
        EXPECT_LT(previousKey, parts) << "keys depth-first in case-insensitive order: " << path;
        previousKey = parts;
        auto& values = hive[lower(path)];
        ++i;
        std::smatch time;
        EXPECT_TRUE(i < lines.size() && std::regex_match(lines[i], time, timeLine)) << path;
        if (!time.empty()) {
            // The same moment as a FILETIME, which counts 100 ns from 1601.
            EXPECT_EQ(std::stoull(time[1], nullptr, 16) / 10000000ull - 11644473600ull, seconds) << path;
        }
        std::string previousValue;
        for (++i; i < lines.size() && !lines[i].empty(); ++i) {
            std::smatch value;
            std::string line = lines[i];
            // Hex lists go on after a trailing '\' with two blanks; no line passes 80 columns.
            while (line.ends_with("\\") && i + 1 < lines.size() && lines[i + 1].starts_with("  ")) {
                EXPECT_LE(lines[i].size(), 80u);
                EXPECT_TRUE(line.ends_with(",\\"));
                line = line.substr(0, line.size() - 1) + lines[++i].substr(2);
            }
            if (!std::regex_match(line, value, valueLine)) {
                ADD_FAILURE() << "not a value line: " << line;
                continue;
            }
            EXPECT_TRUE(std::regex_match(value[2].str(), data)) << line;
            const std::string name =
                value[1] == "@" ? "" : lower(value[1].str().substr(1, static_cast<std::size_t>(value[1].length()) - 2));
            EXPECT_TRUE(previousValue.empty() || previousValue < name) << "values in order: " << line;
            previousValue = name;
            values[name] = value[2];
        }
        ++i; // the empty line after the block
    }
    // A key that only holds subkeys is implied by their paths and has no block.
    for (const auto& [path, values] : hive) {
        const bool hasSubkeys = std::any_of(hive.begin(), hive.end(),
                                            [&](const auto& other) { return other.first.starts_with(path + "\\"); });
        EXPECT_FALSE(values.empty() && hasSubkeys) << path;
    }
    return hive;
}

bool hasKey(const Hive& hive, const std::string& path)
{
    const std::string key = lower(path);
    return std::any_of(hive.begin(), hive.end(),
                       [&](const auto& entry) { return entry.first == key || entry.first.starts_with(key + "\\"); });
}

std::string valueOf(const Hive& hive, const std::string& path, const std::string& name)
{
    const auto key = hive.find(lower(path));
    if (key == hive.end())
        return "<no key>";
    const auto value = key->second.find(lower(name));
    return value == key->second.end() ? "<no value>" : value->second;
}

size_t entriesIn(const fs::path& folder)
{
    return static_cast<size_t>(std::distance(fs::directory_iterator(folder), {}));
}

} // namespace

TEST(Machine, RootFollowsWinePrefixThenXdgThenHome)
{
    EXPECT_EQ(Machine::locateRoot(environmentOf({{"WINEPREFIX", "/p/x"}, {"XDG_DATA_HOME", "/d"}, {"HOME", "/h"}})),
              "/p/x");
    EXPECT_EQ(Machine::locateRoot(environmentOf({{"WINEPREFIX", "rel/x"}})), fs::current_path() / "rel/x");
    EXPECT_EQ(Machine::locateRoot(environmentOf({{"WINEPREFIX", ""}, {"XDG_DATA_HOME", "/d"}, {"HOME", "/h"}})),
              "/d/kwintor-dostrojnik/machine");
    EXPECT_EQ(Machine::locateRoot(environmentOf({{"XDG_DATA_HOME", "relative"}, {"HOME", "/h"}})),
              "/h/.local/share/kwintor-dostrojnik/machine");
    EXPECT_EQ(Machine::locateRoot(environmentOf({{"HOME", "/h"}})), "/h/.local/share/kwintor-dostrojnik/machine");
    const passwd* entry = getpwuid(geteuid());
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(Machine::locateRoot(environmentOf({})),
              fs::path(entry->pw_dir) / ".local/share/kwintor-dostrojnik/machine");
}

TEST(Machine, BaselineHivesAreWellFormedAndHoldTheStockKeys)
{
    const auto* system = core::baseline::find("system.reg");
    const auto* user = core::baseline::find("user.reg");
    ASSERT_TRUE(system && user);
    const Hive machine = readWineHive(std::string(system->text()), ";; All keys relative to REGISTRY\\\\Machine");
    const Hive current =
        readWineHive(std::string(user->text()), ";; All keys relative to REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000");

    const std::string control = "SYSTEM\\CurrentControlSet\\Control";
    EXPECT_EQ(valueOf(machine, control, "WaitToKillServiceTimeOut"), "\"20000\"");
    for (const char* name : {"AutoReboot", "SendAlert", "CrashDumpEnabled", "LogEvent", "Overwrite"})
        EXPECT_TRUE(valueOf(machine, control + "\\CrashControl", name).starts_with("dword:")) << name;
    for (const char* key :
         {"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management\\PrefetchParameters",
          "SYSTEM\\CurrentControlSet\\Services\\atapi",
          "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced",
          "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RemoteComputer\\NameSpace\\"
          "{2227A280-3AEA-1069-A2DE-08002B30309D}",
          "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RemoteComputer\\NameSpace\\"
          "{D6277990-4C6A-11CF-8D87-00AA0060F5BF}",
          "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System", "Software\\Classes\\.mpg"})
        EXPECT_TRUE(hasKey(machine, key)) << key;
    for (const char* key : {"SYSTEM\\CurrentControlSet\\Services\\atapi\\Parameters",
                            "SOFTWARE\\Policies\\Microsoft\\Windows NT\\Windows File Protection",
                            "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\AlwaysUnloadDLL"})
        EXPECT_FALSE(hasKey(machine, key)) << key;

    EXPECT_EQ(valueOf(current, "Control Panel\\Desktop", "MenuShowDelay"), "\"400\"");
    EXPECT_EQ(valueOf(current, "Control Panel\\Desktop", "PaintDesktopVersion"), "dword:00000000");
    EXPECT_EQ(valueOf(current, "Software\\Microsoft\\Internet Explorer\\Main", "Start Page"), "\"about:blank\"");
    EXPECT_NE(valueOf(current, "Software\\Microsoft\\Internet Explorer", "Download Directory"), "<no value>");
    for (const char* key : {"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\CabinetState",
                            "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced",
                            "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer",
                            "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings",
                            "Software\\Microsoft\\Internet Explorer\\TypedURLs"})
        EXPECT_TRUE(hasKey(current, key)) << key;
    for (const char* key : {"Software\\Policies\\Microsoft\\Internet Explorer\\Restrictions",
                            "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer\\DisAllowRun"})
        EXPECT_FALSE(hasKey(current, key)) << key;
}

TEST(Machine, ANewMachineGetsItsFoldersHivesAndWallpapers)
{
    TemporaryFolder folder;
    const Machine machine(folder / "a" / "b" / "machine", "jóa");
    // The fine clock the hives' times come from, not time(), which may lag a tick behind it.
    const auto seconds = [] { return std::chrono::system_clock::to_time_t(std::chrono::system_clock::now()); };
    const std::time_t before = seconds();
    machine.ensureExists();
    const std::time_t after = seconds();

    for (const char* path : {"windows/system32/dllcache", "windows/system32/Restore", "windows/inf",
                             "Program Files/Internet Explorer/Plugins", "users/jóa/Temp", "users/jóa/Recent",
                             "users/jóa/Application Data"})
        EXPECT_TRUE(fs::is_directory(machine.driveC() / path)) << path;
    const fs::path wallpapers = machine.driveC() / "windows/Web/Wallpaper";
    EXPECT_GE(entriesIn(wallpapers), 3u);
    for (const auto& entry : fs::directory_iterator(wallpapers))
        EXPECT_TRUE(readText(entry.path()).starts_with("\xFF\xD8\xFF")) << entry.path(); // JPEG
    EXPECT_EQ(entriesIn(folder / "a" / "b"), 1u);                                        // nothing left of the building

    // The hives are the baseline with the creation time and the user's name in Wine's escapes.
    const std::string user = readText(machine.userHive());
    const Hive hive = readWineHive(user, ";; All keys relative to REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000");
    EXPECT_EQ(valueOf(hive, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer", "Logon User Name"),
              "\"j\\x00f3a\"");
    const std::smatch stamp = [&] {
        std::smatch m;
        std::regex_search(user, m, std::regex(R"(\] (\d+)\n)"));
        return m;
    }();
    ASSERT_FALSE(stamp.empty());
    EXPECT_GE(std::stoll(stamp[1]), before);
    EXPECT_LE(std::stoll(stamp[1]), after);
    EXPECT_EQ(std::regex_replace(readText(machine.systemHive()), std::regex(R"((\] |#time=)[0-9a-f]+)"), "$1"),
              std::regex_replace(std::string(core::baseline::find("system.reg")->text()),
                                 std::regex(R"((\] |#time=)[0-9a-f]+)"), "$1"));
}

TEST(Machine, AnExistingRootIsNeverChanged)
{
    TemporaryFolder folder;
    const Machine machine(folder / "prefix", "jan");
    fs::create_directory(machine.root());
    machine.ensureExists(); // an empty folder may be a prefix someone is about to fill
    EXPECT_EQ(entriesIn(machine.root()), 0u);

    const Machine second(folder / "second", "jan");
    second.ensureExists();
    writeText(second.userHive(), "changed");
    fs::remove_all(second.driveC() / "users");
    second.ensureExists();
    EXPECT_EQ(readText(second.userHive()), "changed");
    EXPECT_FALSE(fs::exists(second.driveC() / "users"));

    writeText(folder / "file", "x");
    EXPECT_THROW(Machine(folder / "file", "jan").ensureExists(), core::Error);
}

TEST(Machine, AFailedCreationLeavesNothingHalfDone)
{
    TemporaryFolder folder;
    // The third folder, the first wallpaper, the first rename (the machine into its place).
    const std::pair<const char*, int> faults[] = {{"mkdir", 3}, {"write", 3}, {"fsync", 3}, {"open", 2}, {"rename", 1}};
    for (const auto& [call, occurrence] : faults) {
        SCOPED_TRACE(call);
        FaultySystemCalls calls;
        calls.failOn(call, EIO, occurrence);
        const Machine machine(folder / "machine", "jan");
        EXPECT_THROW(machine.ensureExists(calls), core::Error);
        EXPECT_FALSE(fs::exists(machine.root()));
        EXPECT_EQ(entriesIn(folder.path()), 0u);
    }
}

TEST(Machine, TwoProgramsCreatingOneMachineBothSucceed)
{
    TemporaryFolder folder;
    const Machine machine(folder / "machine", "jan");
    EXPECT_TRUE(runInChildren(4, [&](int) { machine.ensureExists(); }));
    EXPECT_EQ(entriesIn(folder.path()), 1u);
    EXPECT_TRUE(fs::is_regular_file(machine.systemHive()));
}

TEST(Machine, WindowsPathsMapIntoDriveCWithoutRegardToCase)
{
    TemporaryFolder folder;
    const Machine machine(folder / "m", "jan");
    machine.ensureExists();
    const fs::path c = machine.driveC();
    fs::create_directories(c / "Żółw");
    fs::create_directories(c / "Ab");
    fs::create_directories(c / "AB");

    EXPECT_EQ(machine.hostPath("C:\\Windows\\Web"), c / "windows/Web");
    EXPECT_EQ(machine.hostPath("c:/WINDOWS/web/WALLPAPER/"), c / "windows/Web/Wallpaper");
    EXPECT_EQ(machine.hostPath("C:\\ŻÓŁW\\Nowy\\Plik.TXT"), c / "Żółw/Nowy/Plik.TXT"); // the rest keeps its spelling
    EXPECT_EQ(machine.hostPath("C:\\ab"), c / "AB"); // of two spellings, the first in byte order
    EXPECT_EQ(machine.hostPath("C:\\windows\\..\\users\\.\\jan"), c / "users/jan");
    EXPECT_EQ(machine.hostPath("C:"), c);
    EXPECT_EQ(machine.hostPath("C:\\"), c);
    for (const char* outside : {"C:\\..", "C:\\windows\\..\\..\\system.reg", "C:/../../etc/passwd", "D:\\x",
                                "\\\\server\\share", "\\windows", "C:windows", ""})
        EXPECT_EQ(machine.hostPath(outside), std::nullopt) << outside;

    EXPECT_EQ(machine.windowsPath(c / "windows/Web"), "C:\\windows\\Web");
    EXPECT_EQ(machine.windowsPath(c), "C:\\");
    EXPECT_EQ(machine.windowsPath(c / "users/jan/"), "C:\\users\\jan");
    EXPECT_EQ(machine.windowsPath(machine.systemHive()), std::nullopt);
    EXPECT_EQ(machine.windowsPath(c / "../system.reg"), std::nullopt);
}

TEST(Machine, SessionEnvironmentSpeaksWindows)
{
    const Machine machine("/m", "jan");
    const std::vector<std::pair<std::string, std::string>> expected = {{"COMSPEC", "/opt/bin/dostrojnik-cmd"},
                                                                       {"WinDir", "C:\\windows"},
                                                                       {"SystemRoot", "C:\\windows"},
                                                                       {"TMP", "C:\\users\\jan\\Temp"},
                                                                       {"TEMP", "C:\\users\\jan\\Temp"},
                                                                       {"USERPROFILE", "C:\\users\\jan"},
                                                                       {"USERNAME", "jan"},
                                                                       {"APPDATA", "C:\\users\\jan\\Application Data"}};
    EXPECT_EQ(machine.sessionEnvironment("/opt/bin/dostrojnik-cmd"), expected);

    const core::Environment session =
        machine.sessionProcessEnvironment("/opt/bin/dostrojnik-cmd", {{"TMP", "/tmp"}, {"PATH", "/bin"}});
    EXPECT_EQ(session.get("TMP"), "C:\\users\\jan\\Temp"); // the host's value is overridden
    EXPECT_EQ(session.get("COMSPEC"), "/opt/bin/dostrojnik-cmd");
    EXPECT_EQ(session.get("PATH"), "/bin");

    EXPECT_EQ(Machine("/m", "a/b\\c").userName(), "a_b_c");
    EXPECT_EQ(Machine("/m", "..").userName(), "user");
}

TEST(Machine, HostUserAndProcessorClock)
{
    const passwd* entry = getpwuid(geteuid());
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(core::hostUserName(), entry->pw_name);

    const auto reader = [](std::map<std::string, std::string> files) {
        return [files](const fs::path& path) -> std::optional<std::string> {
            const auto it = files.find(path.string());
            if (it == files.end())
                return std::nullopt;
            return it->second;
        };
    };
    const std::string cpufreq = "/sys/devices/system/cpu/cpu0/cpufreq/cpuinfo_max_freq";
    const std::string cpuinfo = "processor\t: 0\nmodel name\t: Some CPU @ 2.40GHz\ncpu MHz\t\t: 2394.454\n";
    EXPECT_EQ(core::cpuMhzFrom(reader({{cpufreq, "3600000\n"}, {"/proc/cpuinfo", cpuinfo}})), 3600u);
    EXPECT_EQ(core::cpuMhzFrom(reader({{cpufreq, "2394567\n"}})), 2395u);
    EXPECT_EQ(core::cpuMhzFrom(reader({{"/proc/cpuinfo", cpuinfo}})), 2394u);
    EXPECT_EQ(core::cpuMhzFrom(reader({{cpufreq, "0\n"}, {"/proc/cpuinfo", "cpu MHz : 799.5\n"}})), 800u);
    EXPECT_EQ(core::cpuMhzFrom(reader({{cpufreq, "fast"}, {"/proc/cpuinfo", "cpu MHz : ?\n"}})), 0u);
    EXPECT_EQ(core::cpuMhzFrom(reader({})), 0u);
}
