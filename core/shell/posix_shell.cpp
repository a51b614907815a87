#include "core/shell/host_shell.h"
#include "core/shell/shell_command.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

namespace core {
namespace {

namespace fs = std::filesystem;

class HostProcessRunner final : public ProcessRunner {
public:
    bool runAndWait(const fs::path& program, const std::vector<std::string>& arguments,
                    const Environment& environment) override
    {
        std::vector<std::string> strings;
        strings.reserve(arguments.size() + 1);
        strings.push_back(program.string());
        strings.insert(strings.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        for (std::string& s : strings)
            argv.push_back(s.data());
        argv.push_back(nullptr);
        std::vector<std::string> entries = environment.entries();
        std::vector<char*> envp;
        for (std::string& entry : entries)
            envp.push_back(entry.data());
        envp.push_back(nullptr);

        pid_t child = 0;
        if (posix_spawn(&child, program.c_str(), nullptr, nullptr, argv.data(), envp.data()) != 0)
            return false;
        int status = 0;
        while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
        return true;
    }
};

} // namespace

const char PathListSeparator = ':';

bool isExecutableFile(const fs::path& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

std::string restoreToolCommand(const Environment&)
{
    return "start %WinDir%\\System32\\Restore\\rstrui.exe";
}

ProcessRunner& hostProcessRunner()
{
    // Stateless, so one shared instance is as good as many.
    static HostProcessRunner runner;
    return runner;
}

} // namespace core
