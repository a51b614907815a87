// dostrojnik-cmd as a real process on temporary machines: expansion, the built-in commands, and
// that nothing outside the machine's drive C: is ever removed, written or run. Failing system
// calls are made in-process, through the interpreter's seam.

#include "core/machine/machine.h"
#include "tests/support/faulty_system_calls.h"
#include "tests/support/temporary_folder.h"
#include "tests/tools/tool_process.h"
#include "tools/cmd/interpreter.h"

#include <gtest/gtest.h>

#include <stdio.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <map>
#include <memory>
#include <thread>

namespace {

namespace fs = std::filesystem;
using testing_support::readText;
using testing_support::TemporaryFolder;
using testing_support::writeText;
using tool_testing::ProcessResult;

class CmdTool : public ::testing::Test {
protected:
    CmdTool() : m_machine(m_folder / "machine", core::hostUserName())
    {
        m_machine.ensureExists();
        fs::create_directories(m_folder / "host");
        fs::create_directories(m_folder / "outside" / "inner");
        writeText(m_folder / "outside" / "keep.txt", "keep");
        writeText(m_folder / "outside" / "inner" / "deep.txt", "deep");
    }

    fs::path drive() const { return m_machine.driveC(); }
    fs::path profile() const { return drive() / "users" / m_machine.userName(); }
    std::string profileName() const { return "C:\\users\\" + m_machine.userName(); }

    ProcessResult cmd(const std::string& line, const fs::path& folder = {}, const std::string& input = {},
                      const tool_testing::Environment& environment = {}) const
    {
        return tool_testing::runTool("dostrojnik-cmd", {"/c", line}, m_folder / "machine", environment, input,
                                     folder.empty() ? m_folder / "host" : folder);
    }

    // The line fails with this status and message.
    void expectFails(const std::string& line, int status, const std::string& err) const
    {
        const auto result = cmd(line);
        EXPECT_EQ(result.status, status) << line;
        EXPECT_EQ(result.err, err) << line;
    }

    void program(const fs::path& path, const std::string& script) const { tool_testing::writeScript(path, script); }

    bool outsideIntact() const
    {
        return readText(m_folder / "outside" / "keep.txt") == "keep" &&
               readText(m_folder / "outside" / "inner" / "deep.txt") == "deep";
    }

    TemporaryFolder m_folder;
    core::Machine m_machine;
};

TEST_F(CmdTool, ExplainsItselfAndRunsOnlyWhatFollowsSlashC)
{
    auto result = tool_testing::runTool("dostrojnik-cmd", {"/?"}, {});
    EXPECT_EQ(result.status, 0);
    EXPECT_NE(result.out.find("DOSTROJNIK-CMD /C string"), std::string::npos);
    EXPECT_NE(result.out.find("RD [/S] [/Q] path"), std::string::npos);
    EXPECT_EQ(tool_testing::runTool("dostrojnik-cmd", {}, m_folder / "machine").status, 1);
    // Everything after /C, joined by single blanks, is the line.
    EXPECT_EQ(tool_testing::runTool("dostrojnik-cmd", {"/C", "echo", "a", "b"}, m_folder / "machine").out, "a b\n");
}

TEST_F(CmdTool, ExpandsVariablesWithoutRegardToCaseAndWorksInAWindowsFolder)
{
    const auto result =
        cmd("echo %WinDir% %windir% %UNDEFINED% %TMP% %myvar% 100%", {}, {}, {{"TMP", "/tmp"}, {"MyVar", "C:\\x"}});
    EXPECT_EQ(result.out, "C:\\windows C:\\windows %UNDEFINED% " + profileName() + "\\Temp C:\\x 100%\n");
    EXPECT_EQ(cmd("echo %TMP%", {}, {}, {{"TMP", "C:\\Elsewhere"}}).out, "C:\\Elsewhere\n");

    // Outside drive C: the interpreter is in the user's profile, inside it where it was started.
    EXPECT_EQ(cmd("cd").out, profileName() + "\n");
    EXPECT_EQ(cmd("cd", drive() / "windows" / "inf").out, "C:\\windows\\inf\n");
    EXPECT_EQ(cmd("echo").out, "ECHO is on.\n");
    EXPECT_EQ(cmd("echo.").out, "\n");
}

TEST_F(CmdTool, RunsOnlyProgramsInsideTheMachineNeverTheHosts)
{
    // A host program of the same name on PATH must never be reached.
    program(m_folder / "hostbin" / "shutdown", "touch '" + (m_folder / "host-ran").string() + "'\n");
    const std::string path = (m_folder / "hostbin").string() + ":/usr/bin:/bin";
    auto result = cmd("shutdown -r -t 0", {}, {}, {{"PATH", path}});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "'shutdown' is not recognized as an internal or external command,\n"
                          "operable program or batch file.\n");
    EXPECT_FALSE(fs::exists(m_folder / "host-ran"));

    // A stand-in in system32 runs, with its arguments, in the current folder, and its status counts.
    const fs::path record = m_folder / "record.txt";
    program(drive() / "windows" / "system32" / "shutdown.exe",
            "echo \"$# $@ $(pwd)\" > '" + record.string() + "'\nexit 3\n");
    result = cmd("shutdown -r -t 0", {}, {}, {{"PATH", path}});
    EXPECT_EQ(result.status, 3);
    EXPECT_EQ(readText(record), "3 -r -t 0 " + fs::canonical(profile()).string() + "\n");
    program(drive() / "windows" / "RUNDLL32.EXE", "echo \"$@\" > '" + record.string() + "'\n");
    EXPECT_EQ(cmd("rundll32.exe advapi32.dll ,ProcessIdleTasks").status, 0);
    EXPECT_EQ(readText(record), "advapi32.dll ,ProcessIdleTasks\n");
    EXPECT_FALSE(fs::exists(m_folder / "host-ran"));

    // A file that is no program of this system is not run either.
    writeText(drive() / "windows" / "system32" / "defrag.exe", "MZ");
    EXPECT_EQ(cmd("defrag c: -b").status, 1);
}

TEST_F(CmdTool, StartReturnsAtOnceWhileTheProgramRunsOn)
{
    // The program writes its record only once told to go (or after 20 s): a `start` that waited
    // for it would come back with the record already there, however busy the machine.
    const fs::path record = m_folder / "started.txt";
    const fs::path go = m_folder / "go";
    const std::string waitForGo = "for i in $(seq 400); do [ -e '" + go.string() + "' ] && break; sleep 0.05; done\n";
    program(drive() / "windows" / "system32" / "sfc.exe", waitForGo + "echo \"$@\" > '" + record.string() + "'\n");
    auto result = cmd("start sfc /scannow");
    EXPECT_EQ(result.status, 0);
    EXPECT_FALSE(fs::exists(record));
    writeText(go, "");
    for (int i = 0; i < 100 && !fs::exists(record); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(readText(record), "/scannow\n");

    program(drive() / "windows" / "system32" / "dllcache" / "sfc.exe", "echo \"$@\" > '" + record.string() + "'\n");
    EXPECT_EQ(cmd("start \"title\" /wait %WinDir%\\System32\\dllcache\\sfc.exe /purgecache").status, 0);
    EXPECT_EQ(readText(record), "/purgecache\n");

    expectFails("start regsvr32 zipfldr.dll", 1, "The system cannot find the file regsvr32.\n");
}

TEST_F(CmdTool, StartAndCdTakeOnlyFoldersInsideTheDrive)
{
    const fs::path record = m_folder / "folder.txt";
    program(drive() / "windows" / "system32" / "where.exe", "pwd > '" + record.string() + "'\n");
    EXPECT_EQ(cmd("start /wait /D C:\\windows\\inf where").status, 0);
    EXPECT_EQ(readText(record), fs::canonical(drive() / "windows" / "inf").string() + "\n");
    EXPECT_EQ(cmd("start /wait /dC:\\windows where").status, 0);
    EXPECT_EQ(readText(record), fs::canonical(drive() / "windows").string() + "\n");

    // A missing folder, a file, and a link that leads out of the drive are no folder to work in.
    fs::create_directory_symlink(m_folder / "outside", drive() / "out");
    for (const std::string folder : {"C:\\nowhere", "C:\\windows\\system32\\where.exe", "C:\\out"}) {
        fs::remove(record);
        for (const std::string& line :
             {"start /wait /D " + folder + " where", "start /wait /D" + folder + " where", "cd " + folder}) {
            expectFails(line, 1, "The system cannot find the path specified.\n");
        }
        EXPECT_FALSE(fs::exists(record)) << folder;
    }
    EXPECT_TRUE(outsideIntact());
}

TEST_F(CmdTool, MdCreatesIntermediateFoldersInsideTheDriveOnly)
{
    EXPECT_EQ(cmd("md %TMP%\\a\\b").status, 0);
    EXPECT_TRUE(fs::is_directory(profile() / "Temp" / "a" / "b"));
    expectFails("md %TMP%\\a", 1, "A subdirectory or file " + profileName() + "\\Temp\\a already exists.\n");

    fs::create_directory_symlink(m_folder / "outside", profile() / "Out");
    EXPECT_EQ(cmd("md Out\\made").err, "Access is denied.\n");
    EXPECT_FALSE(fs::exists(m_folder / "outside" / "made"));
    EXPECT_EQ(cmd("md D:\\x").status, 1);
}

TEST_F(CmdTool, RdRemovesLinksAsLinksAndNeverLeavesTheDrive)
{
    const fs::path temp = profile() / "Temp";
    fs::create_directories(temp / "x" / "y");
    writeText(temp / "x" / "y" / "file.txt", "x");
    fs::create_directory_symlink(m_folder / "outside", temp / "x" / "y" / "folderlink");
    fs::create_symlink(m_folder / "outside" / "keep.txt", temp / "x" / "filelink");

    expectFails("rd %TMP%\\x", 145, "The directory is not empty.\n");
    // Without /q it asks, as Windows does.
    auto result = cmd("rd /s %TMP%\\x", {}, "n\n");
    EXPECT_EQ(result.out, profileName() + "\\Temp\\x, Are you sure (Y/N)? ");
    EXPECT_TRUE(fs::exists(temp / "x" / "y" / "file.txt"));
    result = cmd("rd /s %TMP%\\x", {}, "y\n");
    EXPECT_EQ(result.status, 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(temp / "x")));
    EXPECT_TRUE(outsideIntact());

    // The Removal section's lines: the whole temporary folder, then a fresh one.
    fs::create_directory_symlink(m_folder / "outside", temp / "link");
    EXPECT_EQ(cmd("rd /s /q %TMP%").status, 0);
    EXPECT_FALSE(fs::exists(temp));
    EXPECT_EQ(cmd("md %TMP%").status, 0);
    EXPECT_TRUE(fs::is_directory(temp));
    EXPECT_TRUE(outsideIntact());

    // A link named on the line goes as a link, /s or not.
    fs::create_directory_symlink(m_folder / "outside", temp / "top");
    EXPECT_EQ(cmd("rd /s /q %TMP%\\top").status, 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(temp / "top")));
    EXPECT_TRUE(outsideIntact());

    // A path that leads out of the drive through a link, and the drive itself, stay.
    fs::create_directory_symlink(m_folder / "outside", temp / "out");
    expectFails("rd /s /q %TMP%\\out\\inner", 5, "Access is denied.\n");
    EXPECT_EQ(cmd("rd /s /q C:\\").status, 5);
    EXPECT_EQ(cmd("rd /s /q C:\\..\\..").status, 3);
    EXPECT_TRUE(outsideIntact());
    EXPECT_TRUE(fs::is_directory(drive() / "windows"));
    expectFails("rd /s /q %TMP%\\none", 2, "The system cannot find the file specified.\n");
}

TEST_F(CmdTool, RelativeRdFromAHostFolderActsOnTheProfileNeverOnTheHost)
{
    fs::create_directories(m_folder / "host" / "Recent");
    writeText(m_folder / "host" / "Recent" / "mine.txt", "host");
    writeText(profile() / "Recent" / "shortcut.lnk", "lnk");

    EXPECT_EQ(cmd("rd /s /q Recent").status, 0);
    EXPECT_EQ(readText(m_folder / "host" / "Recent" / "mine.txt"), "host");
    EXPECT_FALSE(fs::exists(profile() / "Recent"));
    EXPECT_EQ(cmd("md Recent").status, 0);
    EXPECT_TRUE(fs::is_directory(profile() / "Recent"));

    // Started inside the drive, the relative name is taken from there.
    fs::create_directories(drive() / "windows" / "Web" / "Wallpaper" / "Recent");
    EXPECT_EQ(cmd("rd /s /q Recent", drive() / "windows" / "Web" / "Wallpaper").status, 0);
    EXPECT_FALSE(fs::exists(drive() / "windows" / "Web" / "Wallpaper" / "Recent"));
    EXPECT_TRUE(fs::is_directory(profile() / "Recent"));
}

TEST_F(CmdTool, CopiesOneFileWithWindowsMessages)
{
    writeText(profile() / "sysoc.inf", "[Components]\r\n");
    auto result = cmd("copy sysoc.inf C:\\Windows\\inf\\");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "        1 file(s) copied.\n");
    EXPECT_EQ(readText(drive() / "windows" / "inf" / "sysoc.inf"), "[Components]\r\n");
    writeText(profile() / "sysoc.inf", "[Components]\r\nnewer\r\n");
    EXPECT_EQ(cmd("copy sysoc.inf C:\\Windows\\inf\\").status, 0); // no question, as in a batch file
    EXPECT_EQ(readText(drive() / "windows" / "inf" / "sysoc.inf"), "[Components]\r\nnewer\r\n");

    result = cmd("copy missing.inf C:\\Windows\\inf\\");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "The system cannot find the file specified.\n");
    EXPECT_EQ(result.out, "        0 file(s) copied.\n");
    result = cmd("copy sysoc.inf C:\\Windows\\none\\");
    EXPECT_EQ(result.err, "The system cannot find the path specified.\n");

    fs::create_directory_symlink(m_folder / "outside", profile() / "Out");
    expectFails("copy sysoc.inf Out\\keep.txt", 1, "Access is denied.\n");
    EXPECT_TRUE(outsideIntact());
}

TEST_F(CmdTool, FollowsWindowsPathRules)
{
    const std::string syntax = "The filename, directory name, or volume label syntax is incorrect.\n";
    writeText(profile() / "a.txt", "old");
    writeText(profile() / "x.txt", "new");
    struct Row {
        std::string line;
        int status;
        std::string err;
    };
    const Row rows[] = {
        {"md \\\\server\\share\\x", 1, "The network path was not found.\n"},
        {"md //server/share/x", 1, "The network path was not found.\n"},
        {"md \\\\?\\C:\\x", 1, syntax},
        {"md \\\\.\\C:\\x", 1, syntax},
        {"md x\\a:b", 1, syntax},
        {"md a*", 1, syntax},
        {"md \"a\tb\"", 1, syntax},
        {"copy x.txt a?.txt", 1, syntax},
        {"rd \\\\server\\share", 3, "The network path was not found.\n"},
        {"md \"kropka. . \"", 0, ""},
        {"copy x.txt A.TXT", 0, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.line);
        const auto result = cmd(row.line);
        EXPECT_EQ(result.status, row.status);
        EXPECT_EQ(result.err, row.err);
    }
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(profile()))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    // Nothing was made for a refused name; "A.TXT" is a.txt, "kropka. . " is kropka.
    EXPECT_EQ(names,
              (std::vector<std::string>{"Application Data", "Desktop", "Recent", "Temp", "a.txt", "kropka", "x.txt"}));
    EXPECT_EQ(readText(profile() / "a.txt"), "new");
    EXPECT_FALSE(fs::exists(drive() / "server"));
    EXPECT_FALSE(fs::exists(drive() / "x"));
}

TEST_F(CmdTool, AFolderSwappedForALinkMeanwhileNeverLeadsOutOfTheDrive)
{
    // Another process keeps exchanging a folder of the drive with a link to the host's folder.
    const fs::path race = drive() / "race";
    fs::create_directories(race / "victim");
    fs::create_directory_symlink(m_folder / "outside", race / "swap");
    writeText(profile() / "source.txt", "copied");
    std::atomic<bool> stop = false;
    auto exchange = [&] {
        ::renameat2(AT_FDCWD, (race / "victim").c_str(), AT_FDCWD, (race / "swap").c_str(), RENAME_EXCHANGE);
    };
    for (int round = 0; round < 25; ++round) {
        if (fs::is_symlink(race / "victim"))
            exchange();
        fs::create_directories(race / "victim" / "inner");
        writeText(race / "victim" / "inner" / "deep.txt", "deep");
        stop = false;
        std::thread swapper([&] {
            while (!stop)
                exchange();
        });
        cmd("rd /s /q C:\\race\\victim\\inner");
        cmd("md C:\\race\\victim\\made");
        cmd("copy source.txt C:\\race\\victim\\copied.txt");
        stop = true;
        swapper.join();
        ASSERT_TRUE(outsideIntact()) << "round " << round;
        ASSERT_FALSE(fs::exists(m_folder / "outside" / "made")) << "round " << round;
        ASSERT_FALSE(fs::exists(m_folder / "outside" / "copied.txt")) << "round " << round;
    }
}

TEST_F(CmdTool, CopyNeverWritesThroughAPlantedTemporaryFile)
{
    writeText(profile() / "sysoc.inf", "new");
    fs::create_symlink(m_folder / "outside" / "keep.txt", drive() / "windows" / "inf" / ".sysoc.inf.new");
    EXPECT_EQ(cmd("copy sysoc.inf C:\\Windows\\inf\\").status, 0);
    EXPECT_EQ(readText(drive() / "windows" / "inf" / "sysoc.inf"), "new");
    EXPECT_TRUE(outsideIntact());
}

TEST_F(CmdTool, DeviceNamesAreDevicesNeverFiles)
{
    writeText(profile() / "x.txt", "data");
    const auto before = std::distance(fs::directory_iterator(profile()), {});
    for (const std::string device : {"NUL", "nul.txt", "AUX", "prn", "COM1:", "lpt9", "con"}) {
        const auto result = cmd("copy x.txt " + device);
        EXPECT_EQ(result.status, 0) << device;
        EXPECT_EQ(result.out, (device == "con" ? "data" : "") + std::string("        1 file(s) copied.\n")) << device;
        const auto result2 = cmd("md " + device);
        EXPECT_EQ(result2.status, 1) << device;
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(profile()), {}), before);
}

TEST_F(CmdTool, RdOfTheCurrentFolderEmptiesItAndKeepsIt)
{
    writeText(profile() / "Recent" / "a.lnk", "a");
    expectFails("rd /s /q .", 32, "The process cannot access the file because it is being used by another process.\n");
    EXPECT_TRUE(fs::is_directory(profile()));
    EXPECT_TRUE(fs::is_empty(profile()));
    // A folder above the current one keeps the way down to it.
    fs::create_directories(drive() / "work" / "here");
    writeText(drive() / "work" / "other.txt", "x");
    writeText(drive() / "work" / "here" / "mine.txt", "x");
    const auto result = cmd("rd /s /q C:\\work", drive() / "work" / "here");
    EXPECT_EQ(result.status, 32);
    EXPECT_FALSE(fs::exists(drive() / "work" / "other.txt"));
    EXPECT_TRUE(fs::exists(drive() / "work" / "here" / "mine.txt"));
}

TEST_F(CmdTool, ProgramsRunOnlyFromInsideTheDriveOrFromTheMachinesOwnTable)
{
    // A link in system32 to a host program is no program of the machine.
    fs::create_symlink("/usr/bin/touch", drive() / "windows" / "system32" / "touchme.exe");
    auto result = cmd("touchme " + (m_folder / "touched").string());
    EXPECT_EQ(result.status, 1);
    EXPECT_FALSE(fs::exists(m_folder / "touched"));
    EXPECT_EQ(cmd("start /wait touchme " + (m_folder / "touched").string()).status, 1);
    EXPECT_FALSE(fs::exists(m_folder / "touched"));

    // The machine's own programs are the tools beside the interpreter; the drive holds no file for them.
    const fs::path tools = m_folder / "tools";
    fs::create_directories(tools);
    fs::copy_file(tool_testing::toolPath("dostrojnik-cmd"), tools / "dostrojnik-cmd");
    fs::permissions(tools / "dostrojnik-cmd", fs::perms::owner_all);
    program(tools / "dostrojnik-restore", "echo \"$@\" > '" + (m_folder / "restore.txt").string() + "'\n");
    result = tool_testing::runProcess(
        {(tools / "dostrojnik-cmd").string(), "/c", "start /wait %WinDir%\\System32\\Restore\\RSTRUI.EXE /offline"},
        {{"WINEPREFIX", (m_folder / "machine").string()}}, {}, m_folder / "host");
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(readText(m_folder / "restore.txt"), "/offline\n");
}

TEST_F(CmdTool, TalksInTheLocalesCharacterSetLosingNothingItCanCarry)
{
    const auto latin2Environment = tool_testing::latin2Locale(m_folder / "locales");
    fs::create_directories(drive() / "Żółw ☃");
    const std::string latin2 = "pl_PL.ISO-8859-2";
    const struct {
        std::string locale;
        const char* folder; // below drive C:, or nothing for a host folder
        std::string line;   // as the locale writes it
        std::string out;
        std::string err;
    } rows[] = {
        {latin2, "", "echo \xAF\xF3\xB3w", "\xAF\xF3\xB3w\n", ""},
        {latin2, "Żółw ☃", "cd", "C:\\\xAF\xF3\xB3w ?\n", ""},
        {latin2, "", "cd nowhere", "",
         "System nie mo\xBF"
         "e odnale\xBC\xE6 okre\xB6lonej \xB6"
         "cie\xBFki.\n"},
        {latin2, "", "md C:\\\xA3o\xB6", "", ""},
        {"pl_PL.UTF-8", "Żółw ☃", "cd", "C:\\Żółw ☃\n", ""},
        {"pl_PL.UTF-8", "", "cd nowhere", "", "System nie może odnaleźć określonej ścieżki.\n"},
    };
    for (const auto& row : rows) {
        auto environment = latin2Environment;
        environment["LC_ALL"] = row.locale;
        const auto result = cmd(row.line, *row.folder ? drive() / row.folder : fs::path(), {}, environment);
        EXPECT_EQ(result.out, row.out) << row.locale << ": " << row.line;
        EXPECT_EQ(result.err, row.err) << row.locale << ": " << row.line;
    }
    EXPECT_TRUE(fs::is_directory(drive() / "Łoś"));
}

// Everything below `folder`: each path with a file's contents, or "/" for a folder.
std::map<std::string, std::string> snapshot(const fs::path& folder)
{
    std::map<std::string, std::string> entries;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        entries[fs::relative(entry.path(), folder).string()] = entry.is_directory() ? "/" : readText(entry.path());
    return entries;
}

std::string readBack(std::FILE* stream)
{
    std::string text;
    std::rewind(stream);
    for (int c; (c = std::fgetc(stream)) != EOF;)
        text += static_cast<char>(c);
    return text;
}

TEST_F(CmdTool, AFailedSystemCallIsReportedAndLeavesTheDriveAsItWas)
{
    const std::string none = "        0 file(s) copied.\n";
    const struct {
        const char* line;
        const char* call; // fails the first time it is made
        int error;
        int status;
        const char* err;
        std::string out;
    } rows[] = {
        {"md made\\deeper", "mkdirat", EACCES, 1, "Access is denied.\n", ""},
        {"md made\\deeper", "mkdirat", ENOSPC, 1, "No space left on device\n", ""},
        // A folder that cannot be listed is not taken for one without the name in another case.
        {"md TREE", "listFolder", EIO, 1, "Input/output error\n", ""},
        {"rd EMPTY", "listFolder", EIO, 5, "Input/output error\n", ""},
        {"copy a.txt B.TXT", "listFolder", EIO, 1, "Input/output error\n", none},
        {"rd empty", "unlinkat", EROFS, 5, "Access is denied.\n", ""},
        {"rd /s /q tree", "listFolder", EIO, 5, "Input/output error\n", ""},
        {"rd /s /q tree", "unlinkat", EACCES, 5, "Access is denied.\n", ""},
        {"copy a.txt b.txt", "read", EIO, 1, "Input/output error\n", none},
        {"copy a.txt b.txt", "write", ENOSPC, 1, "No space left on device\n", none},
        {"copy a.txt b.txt", "fsync", EIO, 1, "Input/output error\n", none},
        {"copy a.txt b.txt", "renameat", EACCES, 1, "Access is denied.\n", none},
        {"copy a.txt new.txt", "write", EDQUOT, 1, "Disk quota exceeded\n", none},
    };
    int index = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.line) + " with " + row.call + " failing");
        const fs::path folder = drive() / ("row" + std::to_string(index++));
        fs::create_directories(folder / "tree" / "inner");
        fs::create_directories(folder / "empty");
        writeText(folder / "tree" / "inner" / "file.txt", "deep");
        writeText(folder / "a.txt", "new");
        writeText(folder / "b.txt", "old");
        const auto before = snapshot(folder);

        const std::unique_ptr<std::FILE, int (*)(std::FILE*)> out(std::tmpfile(), std::fclose);
        const std::unique_ptr<std::FILE, int (*)(std::FILE*)> err(std::tmpfile(), std::fclose);
        const std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(std::tmpfile(), std::fclose);
        testing_support::FaultySystemCalls calls;
        cmdtool::Interpreter interpreter(calls, m_machine, folder,
                                         [](std::string_view) { return std::optional<std::string>(); },
                                         {out.get(), err.get(), in.get()});
        calls.failOn(row.call, row.error);
        EXPECT_EQ(interpreter.run(row.line), row.status);
        EXPECT_EQ(readBack(err.get()), row.err);
        EXPECT_EQ(readBack(out.get()), row.out);
        // Nothing half-done: no folder made, no file lost, no temporary file left.
        EXPECT_EQ(snapshot(folder), before);
    }
}

} // namespace
