#include "core/shell/shell_command.h"

#include "tests/support/temporary_folder.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

struct Run {
    fs::path program;
    std::vector<std::string> arguments;
    std::vector<std::string> environment;
};

class RecordingRunner final : public core::ProcessRunner {
public:
    bool runAndWait(const fs::path& program, const std::vector<std::string>& arguments,
                    const core::Environment& environment) override
    {
        if (m_throws)
            throw std::runtime_error("cannot start");
        runs.push_back({program, arguments, environment.entries()});
        return true;
    }
    void throwOnRun() { m_throws = true; }

    std::vector<Run> runs;

private:
    bool m_throws = false;
};

void makeExecutable(const fs::path& path, std::string_view contents = "#!/bin/sh\n")
{
    writeText(path, contents);
    fs::permissions(path, fs::perms(0755));
}

} // namespace

TEST(ShellCommand, HandsTheLineUnchangedToComspecAfterSlashC)
{
    RecordingRunner runner;
    const std::string line = "start %WinDir%\\System32\\Restore\\rstrui.exe  \"a  b\" & x";
    core::shellCommand(line, core::Environment{{"COMSPEC", "/opt/dostrojnik-cmd"}, {"PATH", "/bin"}}, runner);
    ASSERT_EQ(runner.runs.size(), 1u);
    EXPECT_EQ(runner.runs[0].program, "/opt/dostrojnik-cmd");
    EXPECT_EQ(runner.runs[0].arguments, (std::vector<std::string>{"/c", line}));
    EXPECT_EQ(runner.runs[0].environment, (std::vector<std::string>{"COMSPEC=/opt/dostrojnik-cmd", "PATH=/bin"}));
}

TEST(ShellCommand, WithoutComspecFindsCmdExeAlongPath)
{
    TemporaryFolder folder;
    for (const char* name : {"lower", "plain", "folder", "right", "later"})
        fs::create_directory(folder / name);
    makeExecutable(folder / "lower" / "cmd.exe");          // the name must match exactly
    writeText(folder / "plain" / "CMD.EXE", "not executable");
    fs::create_directory(folder / "folder" / "CMD.EXE");    // a folder is no program
    makeExecutable(folder / "right" / "CMD.EXE");
    makeExecutable(folder / "later" / "CMD.EXE");
    std::string path = (folder / "missing").string();
    for (const char* name : {"lower", "plain", "folder", "right", "later"})
        path += ":" + (folder / name).string();

    for (const auto& environment :
         {core::Environment{{"PATH", path}}, core::Environment{{"COMSPEC", ""}, {"PATH", path}}}) {
        RecordingRunner runner;
        core::shellCommand("md Recent", environment, runner);
        ASSERT_EQ(runner.runs.size(), 1u);
        EXPECT_EQ(runner.runs[0].program, folder / "right" / "CMD.EXE");
    }
}

TEST(ShellCommand, WithoutAnInterpreterNothingRunsAndNothingIsReported)
{
    TemporaryFolder folder;
    RecordingRunner runner;
    core::shellCommand("shutdown -r -t 0", core::Environment{{"PATH", folder.path().string()}}, runner);
    core::shellCommand("shutdown -r -t 0", core::Environment{}, runner);
    EXPECT_TRUE(runner.runs.empty());

    RecordingRunner failing;
    failing.throwOnRun();
    EXPECT_NO_THROW(core::shellCommand("x", core::Environment{{"COMSPEC", "/x"}}, failing));
    EXPECT_NO_THROW(core::shellCommand("x", core::Environment{{"COMSPEC", (folder / "none").string()}}));
}

TEST(ShellCommand, RunsTheInterpreterInThisProcesssFolderWithTheGivenEnvironmentAndWaits)
{
    TemporaryFolder folder;
    const fs::path record = folder / "record.txt";
    const fs::path interpreter = folder / "interpreter";
    // It takes its time, so a caller that did not wait would find no record.
    makeExecutable(interpreter, "#!/bin/sh\nsleep 0.2\n{ echo \"$#\"; echo \"$1\"; echo \"$2\"; echo \"$MARKER\"; pwd; } > " +
                                    record.string() + "\nexit 3\n");
    fs::create_directory(folder / "work");
    const fs::path previous = fs::current_path();
    fs::current_path(folder / "work");
    core::Environment environment = core::thisProcessEnvironment();
    environment.set("COMSPEC", interpreter.string());
    environment.set("MARKER", "ąę %TMP%"); // only the interpreter's environment has it

    core::shellCommand("copy sysoc.inf C:\\Windows\\inf\\", environment);

    fs::current_path(previous);
    EXPECT_EQ(readText(record), "2\n/c\ncopy sysoc.inf C:\\Windows\\inf\\\nąę %TMP%\n" + (folder / "work").string() + "\n");
    EXPECT_FALSE(core::hostProcessRunner().runAndWait(folder / "no such program", {}, {}));
}
