// The programs that a line starts: found inside the machine and started in a folder of the drive.

#include "tools/cmd/external_program.h"

#include "core/text/unicode.h"
#include "tools/cmd/machine_programs.h"
#include "tools/cmd/wine_programs.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <utility>

extern char** environ;

namespace cmdtool {

std::optional<Program> findProgram(const Session& session, const std::string& name)
{
    std::vector<std::string> bases;
    if (name.find_first_of("\\/:") != std::string::npos) {
        bases.push_back(name);
    } else {
        bases.push_back(session.windowsFolder() + "\\system32\\" + name);
        bases.push_back(session.windowsFolder() + "\\" + name);
    }
    const auto samePath = [](const DrivePath& a, const DrivePath& b) {
        return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](const auto& x, const auto& y) {
                   return core::text::equalNoCase(x, y);
               });
    };
    core::SystemCalls& calls = session.calls();
    for (const auto& base : bases) {
        for (const char* extension : {"", ".exe", ".com", ".bat"}) {
            const auto path = session.resolve(base + extension);
            if (!path || path->empty())
                continue;
            for (const MachineProgram& own : MachinePrograms)
                if (const auto ownPath = session.resolve(own.windowsPath); ownPath && samePath(*path, *ownPath))
                    return Program{Descriptor(), session.programFolder() / own.sibling};
            // A program of the drive is opened through the walk and started from that descriptor,
            // so what runs is the file that was checked, never a link's target.
            int error = 0;
            const Place place = session.drive().locate(*path, error);
            if (!place.folder || !place.exists)
                continue;
            Descriptor file(calls,
                            calls.openat(place.folder.get(), place.name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK));
            struct stat info {};
            if (file && calls.fstat(file.get(), &info) == 0 && S_ISREG(info.st_mode) && (info.st_mode & 0111) != 0)
                return Program{std::move(file), {}};
        }
    }
    return std::nullopt;
}

// A detached program runs in its own session with nothing of ours attached, so it goes on after
// the interpreter has ended.
int startProgram(const Session& session, const Program& program, const std::vector<std::string>& arguments,
                 const Descriptor& folder, bool detached)
{
    // On a Wine prefix a Windows program of the drive runs by the prefix's Wine.
    const WinePrograms wine(session.calls(), session.machineRoot(),
                            [&session](std::string_view name) { return session.variable(name); });
    std::optional<WineLaunch> byWine;
    if (program.file && wine.runs(program.file.get()) &&
        !(byWine = wine.launch(program.file.get(), arguments, environ)))
        return -1;
    // A file of the drive runs as /proc/self/fd/N of a descriptor that the child inherits, which
    // a script's interpreter then reads.
    const Descriptor inherited(session.calls(), program.file && !byWine ? ::fcntl(program.file.get(), F_DUPFD, 3) : -1);
    if (program.file && !byWine && !inherited)
        return -1;
    const std::string path = byWine         ? byWine->wine.string()
                             : program.file ? "/proc/self/fd/" + std::to_string(inherited.get())
                                            : program.sibling.string();
    std::vector<std::string> strings{path};
    strings.insert(strings.end(), arguments.begin(), arguments.end());
    if (byWine)
        strings = byWine->arguments;
    std::vector<char*> argv;
    for (auto& text : strings)
        argv.push_back(text.data());
    argv.push_back(nullptr);
    std::vector<char*> wineEnvironment;
    if (byWine)
        for (auto& text : byWine->environment)
            wineEnvironment.push_back(text.data());
    wineEnvironment.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attributes);
    posix_spawn_file_actions_addfchdir_np(&actions, folder.get());
    if (detached) {
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
    }
    // Wine's own messages go to its log, never among the program's output.
    if (byWine && byWine->log)
        posix_spawn_file_actions_adddup2(&actions, byWine->log.get(), STDERR_FILENO);
    else if (byWine)
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    const int rc = posix_spawn(&child, path.c_str(), &actions, &attributes, argv.data(),
                               byWine ? wineEnvironment.data() : environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (rc != 0)
        return -1;
    if (detached)
        return 0; // our parent or init reaps it once we are gone
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    return 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
}

std::vector<std::string> programArguments(std::string_view text)
{
    std::vector<std::string> out;
    std::size_t i = 0;
    for (;;) {
        while (i < text.size() && isBlank(text[i]))
            ++i;
        if (i >= text.size())
            return out;
        std::string argument;
        bool quoted = false;
        while (i < text.size() && (quoted || !isBlank(text[i]))) {
            std::size_t slashes = 0;
            while (i < text.size() && text[i] == '\\') {
                ++slashes;
                ++i;
            }
            if (i < text.size() && text[i] == '"') {
                argument.append(slashes / 2, '\\');
                if (slashes % 2) {
                    argument += '"';
                } else {
                    quoted = !quoted;
                }
                ++i;
            } else {
                argument.append(slashes, '\\');
                if (i < text.size() && (quoted || !isBlank(text[i])))
                    argument += text[i++];
            }
        }
        out.push_back(std::move(argument));
    }
}

int runProgram(Session& session, const std::string& name, std::string_view rest)
{
    const auto program = findProgram(session, name);
    int walkError = 0;
    const Descriptor folder = session.drive().openFolder(session.current(), walkError);
    const int status = program && folder ? startProgram(session, *program, programArguments(rest), folder, false) : -1;
    if (status < 0) {
        session.error(format(
            tr("'%1' is not recognized as an internal or external command,\noperable program or batch file."), {name}));
        return 1;
    }
    return status;
}

} // namespace cmdtool
