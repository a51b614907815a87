// Windows programs of a Wine prefix run by the prefix's Wine, through the real dostrojnik-cmd:
// first with a stand-in `wine` that tells how it was started (when Wine is used and when not),
// then with Wine itself.

#include "core/machine/machine.h"
#include "tests/support/temporary_folder.h"
#include "tests/tools/tool_process.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace {

namespace fs = std::filesystem;
using testing_support::readText;
using testing_support::TemporaryFolder;
using testing_support::writeText;
using tool_testing::ProcessResult;

using tool_testing::findOnPath;
using tool_testing::writeScript;

ProcessResult cmd(const std::string& line, const fs::path& machine, const std::string& path,
                  std::map<std::string, std::optional<std::string>> environment = {})
{
    environment.emplace("WINEPREFIX", machine.string());
    environment.emplace("PATH", path);
    environment.emplace("LC_ALL", "C.UTF-8");
    return tool_testing::runProcess({tool_testing::toolPath("dostrojnik-cmd").string(), "/c", line}, environment, {},
                                    machine / "drive_c");
}

// What Wine leaves in a prefix it has set up.
void makeWinePrefix(const core::Machine& machine)
{
    fs::create_directory(machine.root() / "dosdevices");
    writeText(machine.root() / ".update-timestamp", "1700000000\n");
}

} // namespace

TEST(WinePrograms, OnAWinePrefixWithWineTheProgramsOfItsDriveRunByItsWine)
{
    TemporaryFolder folder;
    const fs::path hostBin = folder / "bin";
    // Says how it was started, with a start-up message of its own on standard error.
    writeScript(hostBin / "wine", "echo \"wine $WINEPREFIX $*\"; echo 'wine: start-up noise' >&2; "
                                  "[ \"$2\" = later ] && echo started > \"$WINEPREFIX/started\"; exit 7\n");
    // Nothing but the stand-in: the scripts need only their shell's own commands.
    const std::string withWine = hostBin.string();
    const std::string noWine = (folder / "empty").string();
    struct Row {
        const char* name;
        bool winePrefix;
        std::string path;
        const char* line;
        const char* byWine; // what the stand-in is handed after the program's host path; null: not used
    };
    const Row rows[] = {
        {"a Windows program", true, withWine, "regsvr32 zipfldr.dll", "regsvr32.exe zipfldr.dll"},
        {"a .com program", true, withWine, "tool /x", "tool.com /x"},
        {"the program's own machine", false, withWine, "regsvr32 zipfldr.dll", nullptr},
        {"no Wine on PATH", true, noWine, "regsvr32 zipfldr.dll", nullptr},
        {"a wine of drive C: by a relative PATH", true, ".:" + noWine, "regsvr32 zipfldr.dll", nullptr},
        {"a batch file", true, withWine, "setup", nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TemporaryFolder place;
        const core::Machine machine(place / "machine", "user");
        machine.ensureExists();
        if (row.winePrefix)
            makeWinePrefix(machine);
        const fs::path system32 = machine.driveC() / "windows" / "system32";
        for (const char* name : {"regsvr32.exe", "tool.com", "setup.bat"})
            writeScript(system32 / name, "echo \"native $*\"; exit 3\n");
        writeScript(machine.driveC() / "wine", "echo planted; exit 9\n");

        const ProcessResult result = cmd(row.line, machine.root(), row.path);
        if (row.byWine) {
            EXPECT_EQ(result.status, 7);
            EXPECT_EQ(result.out, "wine " + machine.root().string() + " " + (system32 / row.byWine).string() + "\n");
            EXPECT_EQ(result.err, "");
            EXPECT_EQ(readText(machine.root() / "dostrojnik-wine.log"), "wine: start-up noise\n");
        } else {
            EXPECT_EQ(result.status, 3) << result.out << result.err;
            EXPECT_EQ(result.out.substr(0, 6), "native");
            EXPECT_FALSE(fs::exists(machine.root() / "dostrojnik-wine.log"));
        }
    }

    // `start` returns at once and leaves the program running by Wine.
    TemporaryFolder place;
    const core::Machine machine(place / "machine", "user");
    machine.ensureExists();
    makeWinePrefix(machine);
    writeScript(machine.driveC() / "windows" / "system32" / "regsvr32.exe", "exit 3\n");
    const ProcessResult started = cmd("start regsvr32 later", machine.root(), withWine);
    EXPECT_EQ(started.status, 0);
    EXPECT_EQ(started.out, "");
    for (int i = 0; i < 100 && !fs::exists(machine.root() / "started"); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_TRUE(fs::exists(machine.root() / "started"));
}

// Wine itself, on one prefix made by wineboot (some 10 seconds): the programs Wine put into it.
TEST(WinePrograms, WineRunsRegsvr32AndNetOfAWinebootPrefixAndTheirStatusComesBack)
{
    const auto wine = findOnPath("wine");
    const auto server = findOnPath("wineserver");
    if (!wine || !server) {
        // scripts/run-tests installs Wine, so there a missing Wine is a fault, not a reason to skip.
        if (std::getenv("DOSTROJNIK_REQUIRE_WINE"))
            FAIL() << "Wine is not installed";
        GTEST_SKIP() << "Wine is not installed (Debian's wine and wine64; scripts/setup installs them)";
    }
    TemporaryFolder folder;
    const fs::path prefix = folder / "prefix";
    const std::map<std::string, std::optional<std::string>> environment{
        {"WINEPREFIX", prefix.string()}, {"DISPLAY", std::nullopt}, {"WINEDLLOVERRIDES", "mscoree,mshtml="}};
    const auto boot = tool_testing::runProcess({wine->string(), "wineboot", "-i"}, environment);
    tool_testing::runProcess({server->string(), "-w"}, environment);
    ASSERT_TRUE(fs::exists(prefix / "drive_c" / "windows" / "system32" / "regsvr32.exe")) << boot.out << boot.err;

    const char* path = std::getenv("PATH");
    const ProcessResult registered = cmd("regsvr32 jscript.dll", prefix, path ? path : "/usr/bin:/bin", environment);
    EXPECT_EQ(registered.status, 0) << registered.out << registered.err;
    EXPECT_NE(registered.out.find("Successfully registered DLL 'jscript.dll'"), std::string::npos) << registered.out;
    // Wine's own messages went to the log.
    EXPECT_EQ(registered.err, "");
    EXPECT_TRUE(fs::exists(prefix / "dostrojnik-wine.log"));

    const ProcessResult refused = cmd("net start nosuchservice", prefix, path ? path : "/usr/bin:/bin", environment);
    EXPECT_EQ(refused.status, 1) << refused.out << refused.err;
    EXPECT_NE(refused.out.find("Could not get handle to service"), std::string::npos) << refused.out;
    tool_testing::runProcess({server->string(), "-k"}, environment);
}
