#include "tools/cmd/interpreter.h"

#include "core/machine/machine.h"
#include "core/text/ascii.h"
#include "core/text/unicode.h"
#include "tools/cmd/machine_programs.h"
#include "tools/cmd/wine_programs.h"
#include "tools/locale/locale_text.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

extern char** environ;

namespace cmdtool {
namespace {

namespace fs = std::filesystem;
using localetext::format;
using localetext::tr;

constexpr const char* FileNotFound = localetext::N_("The system cannot find the file specified.");
constexpr const char* PathNotFound = localetext::N_("The system cannot find the path specified.");
constexpr const char* AccessDenied = localetext::N_("Access is denied.");
constexpr const char* NoneCopied = localetext::N_("        0 file(s) copied.");

// The exit status of rd is the Windows error code of its failure.
constexpr int ErrorFileNotFound = 2;
constexpr int ErrorPathNotFound = 3;
constexpr int ErrorAccessDenied = 5;
constexpr int ErrorSharingViolation = 32;
constexpr int ErrorDirNotEmpty = 145;
constexpr int ErrorDirectoryName = 267;

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view trimLeft(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    return text;
}

// Windows' own message for a path that breaks its rules; `otherwise` for one that is just not
// on drive C:.
std::string refusal(core::PathProblem problem, const char* otherwise)
{
    switch (problem) {
    case core::PathProblem::Network:
    case core::PathProblem::DevicePath:
    case core::PathProblem::InvalidName: return tr(core::pathProblemMessage(problem));
    default: return tr(otherwise);
    }
}

std::string systemMessage(int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
    case EROFS: return tr(AccessDenied);
    case EBUSY: return tr("The process cannot access the file because it is being used by another process.");
    case ENOENT: return tr(FileNotFound);
    case ENOTEMPTY:
    case EEXIST: return tr("The directory is not empty.");
    default: return std::strerror(error);
    }
}

int errorCode(int error)
{
    switch (error) {
    case ENOENT: return ErrorFileNotFound;
    case ENOTEMPTY:
    case EEXIST: return ErrorDirNotEmpty;
    default: return ErrorAccessDenied;
    }
}

// The arguments of a program, split as Windows' C runtime splits a command line.
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

} // namespace

Interpreter::Interpreter(core::SystemCalls& calls, core::Machine machine, const fs::path& currentFolder,
                         VariableLookup variables, Streams streams, fs::path programFolder)
    : m_calls(calls)
    , m_machine(std::move(machine))
    , m_drive(calls, m_machine.driveC())
    , m_variables(std::move(variables))
    , m_streams(streams)
    , m_programFolder(std::move(programFolder))
{
    DrivePath profile;
    if (const auto name = m_variables("USERPROFILE"))
        if (const auto path = resolve(*name))
            profile = *path;
    m_current = core::currentFolder(m_drive, m_machine.driveC(), currentFolder, profile);
}

std::string Interpreter::expand(std::string_view line) const
{
    std::string out;
    std::size_t i = 0;
    while (i < line.size()) {
        const std::size_t open = line.find('%', i);
        if (open == std::string_view::npos) {
            out.append(line.substr(i));
            break;
        }
        out.append(line.substr(i, open - i));
        const std::size_t close = line.find('%', open + 1);
        if (close == std::string_view::npos) {
            out.append(line.substr(open));
            break;
        }
        const std::string_view name = line.substr(open + 1, close - open - 1);
        const auto value = name.empty() ? std::nullopt : m_variables(name);
        if (value) {
            out += *value;
            i = close + 1;
        } else if (name.empty()) {
            out += '%';
            i = open + 1;
        } else {
            out.append(line.substr(open, close - open + 1));
            i = close + 1;
        }
    }
    return out;
}

std::vector<Interpreter::Token> Interpreter::tokenize(std::string_view text)
{
    std::vector<Token> tokens;
    std::size_t i = 0;
    for (;;) {
        while (i < text.size() && isBlank(text[i]))
            ++i;
        if (i >= text.size())
            return tokens;
        Token token;
        bool inQuotes = false;
        while (i < text.size() && (inQuotes || !isBlank(text[i]))) {
            if (text[i] == '"') {
                inQuotes = !inQuotes;
                token.quoted = true;
            } else {
                token.text += text[i];
            }
            ++i;
        }
        token.end = i;
        tokens.push_back(std::move(token));
    }
}

void Interpreter::error(const std::string& message)
{
    std::fprintf(m_streams.err, "%s\n", message.c_str());
    std::fflush(m_streams.err);
}

int Interpreter::systemError(int errorNumber)
{
    error(systemMessage(errorNumber));
    return errorCode(errorNumber);
}

bool Interpreter::confirm(const std::string& question)
{
    std::fprintf(m_streams.out, "%s", question.c_str());
    std::fflush(m_streams.out);
    char buffer[256];
    if (!std::fgets(buffer, sizeof buffer, m_streams.in)) {
        std::fprintf(m_streams.out, "\n");
        return false;
    }
    const std::string_view answer = trimLeft(buffer);
    // "Y", or the first letter of the user's language's word for yes.
    const char yes = tr("yes")[0];
    const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
    return !answer.empty() && (upper(answer.front()) == 'Y' || upper(answer.front()) == upper(yes));
}

std::string Interpreter::windowsFolder() const
{
    const auto value = m_variables("WinDir");
    if (value && value->size() >= 2 && (*value)[1] == ':')
        return *value;
    return "C:\\windows";
}

std::string Interpreter::currentFolderName() const
{
    return core::windowsName(m_current);
}

std::optional<DrivePath> Interpreter::resolve(std::string_view windowsPath, core::PathProblem* problem) const
{
    DrivePath path;
    const core::PathProblem found = windowsPath.find('\0') != std::string_view::npos
                                        ? core::PathProblem::InvalidName
                                        : core::parseWindowsPath(windowsPath, m_current, path);
    if (problem)
        *problem = found;
    if (found != core::PathProblem::None)
        return std::nullopt;
    return path;
}

Descriptor Interpreter::openFolder(std::string_view windowsPath, DrivePath* realPath) const
{
    const auto path = resolve(windowsPath);
    if (!path)
        return {};
    int error = 0;
    return m_drive.openFolder(*path, error, realPath);
}

std::optional<Interpreter::Program> Interpreter::findProgram(const std::string& name) const
{
    std::vector<std::string> bases;
    if (name.find_first_of("\\/:") != std::string::npos) {
        bases.push_back(name);
    } else {
        bases.push_back(windowsFolder() + "\\system32\\" + name);
        bases.push_back(windowsFolder() + "\\" + name);
    }
    const auto samePath = [](const DrivePath& a, const DrivePath& b) {
        return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](const auto& x, const auto& y) {
                   return core::text::equalNoCase(x, y);
               });
    };
    for (const auto& base : bases) {
        for (const char* extension : {"", ".exe", ".com", ".bat"}) {
            const auto path = resolve(base + extension);
            if (!path || path->empty())
                continue;
            for (const MachineProgram& own : MachinePrograms)
                if (const auto ownPath = resolve(own.windowsPath); ownPath && samePath(*path, *ownPath))
                    return Program{Descriptor(), m_programFolder / own.sibling};
            // A program of the drive is opened through the walk and started from that descriptor,
            // so what runs is the file that was checked, never a link's target.
            int error = 0;
            const Place place = m_drive.locate(*path, error);
            if (!place.folder || !place.exists)
                continue;
            Descriptor file(m_calls,
                            m_calls.openat(place.folder.get(), place.name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK));
            struct stat info {};
            if (file && m_calls.fstat(file.get(), &info) == 0 && S_ISREG(info.st_mode) && (info.st_mode & 0111) != 0)
                return Program{std::move(file), {}};
        }
    }
    return std::nullopt;
}

// Starts a program and, unless `detached`, waits for it. A detached program runs in its own
// session with nothing of ours attached, so it goes on after the interpreter has ended.
// Returns the exit status, or -1 when it could not be started.
int Interpreter::spawn(const Program& program, const std::vector<std::string>& arguments, const Descriptor& folder,
                       bool detached) const
{
    // On a Wine prefix a Windows program of the drive runs by the prefix's Wine.
    const WinePrograms wine(m_calls, m_machine.root(), m_variables);
    std::optional<WineLaunch> byWine;
    if (program.file && wine.runs(program.file.get()) &&
        !(byWine = wine.launch(program.file.get(), arguments, environ)))
        return -1;
    // A file of the drive runs as /proc/self/fd/N of a descriptor that the child inherits, which
    // a script's interpreter then reads.
    const Descriptor inherited(m_calls, program.file && !byWine ? ::fcntl(program.file.get(), F_DUPFD, 3) : -1);
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

int Interpreter::run(std::string_view rawLine)
{
    const std::string line = expand(rawLine);
    const std::string_view text = trimLeft(line);
    if (text.empty())
        return 0;
    const std::vector<Token> tokens = tokenize(text);
    const std::string command = core::text::asciiLower(tokens[0].text);
    const std::vector<Token> args(tokens.begin() + 1, tokens.end());
    const std::string_view rest = tokens[0].end < text.size() ? text.substr(tokens[0].end) : std::string_view();

    if (!tokens[0].quoted) {
        if (command == "echo" || command.starts_with("echo.") || command.starts_with("echo:"))
            return echo(text.substr(4));
        if (command == "cd" || command == "chdir")
            return changeFolder(args);
        if (command == "md" || command == "mkdir")
            return makeFolders(args);
        if (command == "rd" || command == "rmdir")
            return removeFolders(args);
        if (command == "copy")
            return copy(args);
        if (command == "start")
            return start(rest);
        if (command == "rem")
            return 0;
        if (command == "exit") {
            for (const auto& arg : args)
                if (core::text::asciiLower(arg.text) != "/b")
                    return std::atoi(arg.text.c_str());
            return 0;
        }
    }
    return runProgram(tokens[0].text, rest);
}

int Interpreter::echo(std::string_view rest)
{
    // "echo." and "echo:" print what follows; "echo" alone tells the echo state.
    if (rest.empty()) {
        std::fprintf(m_streams.out, "%s\n", tr("ECHO is on."));
    } else {
        const std::string_view text = rest.substr(1);
        if (isBlank(rest.front()) && trimLeft(text).empty())
            std::fprintf(m_streams.out, "%s\n", tr("ECHO is on."));
        else
            std::fprintf(m_streams.out, "%.*s\n", static_cast<int>(text.size()), text.data());
    }
    std::fflush(m_streams.out);
    return 0;
}

int Interpreter::changeFolder(const std::vector<Token>& args)
{
    std::vector<Token> paths;
    for (const auto& arg : args)
        if (core::text::asciiLower(arg.text) != "/d")
            paths.push_back(arg);
    if (paths.empty()) {
        std::fprintf(m_streams.out, "%s\n", currentFolderName().c_str());
        std::fflush(m_streams.out);
        return 0;
    }
    DrivePath real;
    if (!openFolder(paths[0].text, &real)) {
        error(tr(PathNotFound));
        return 1;
    }
    m_current = std::move(real);
    return 0;
}

int Interpreter::makeFolders(const std::vector<Token>& args)
{
    if (args.empty()) {
        error(tr("The syntax of the command is incorrect."));
        return 1;
    }
    int result = 0;
    for (const auto& arg : args) {
        core::PathProblem problem = core::PathProblem::None;
        const auto path = resolve(arg.text, &problem);
        if (!path || path->empty()) {
            error(refusal(problem, PathNotFound));
            result = 1;
            continue;
        }
        // Each folder on the way is opened without following links, or made where it is missing.
        int walkError = 0;
        Descriptor folder = m_drive.openFolder({}, walkError);
        std::string failure;
        for (std::size_t i = 0; i < path->size() && failure.empty(); ++i) {
            const std::string& name = (*path)[i];
            const bool last = i + 1 == path->size();
            std::string found;
            int findError = 0;
            if (core::isDeviceName(name)) {
                failure = tr("The directory name is invalid.");
            } else if (core::findName(m_calls, folder.get(), name, found, findError)) {
                if (last)
                    failure = format(tr("A subdirectory or file %1 already exists."), {arg.text});
            } else if (findError != ENOENT) {
                failure = systemMessage(findError);
            } else if (m_calls.mkdirat(folder.get(), name.c_str(), 0755) != 0 && errno != EEXIST) {
                failure = systemMessage(errno);
            } else {
                found = name;
            }
            if (!failure.empty() || last)
                break;
            int openError = 0;
            Descriptor next = core::openSubfolder(m_calls, folder.get(), found, openError);
            if (!next)
                failure =
                    openError == ELOOP ? tr(AccessDenied) : tr(PathNotFound); // a link would lead out of the drive
            folder = std::move(next);
        }
        if (!failure.empty()) {
            error(failure);
            result = 1;
        }
    }
    return result;
}

int Interpreter::removeFolders(const std::vector<Token>& args)
{
    bool tree = false;
    bool quiet = false;
    std::vector<std::string> paths;
    for (const auto& arg : args) {
        const std::string option = core::text::asciiLower(arg.text);
        if (!arg.quoted && option == "/s") {
            tree = true;
        } else if (!arg.quoted && option == "/q") {
            quiet = true;
        } else if (!arg.quoted && option.starts_with('/')) {
            error(format(tr("Invalid switch - \"%1\"."), {arg.text.substr(1)}));
            return 1;
        } else {
            paths.push_back(arg.text);
        }
    }
    if (paths.empty()) {
        error(tr("The syntax of the command is incorrect."));
        return 1;
    }
    int result = 0;
    for (const auto& path : paths)
        if (const int status = removeFolder(path, tree, quiet))
            result = status;
    return result;
}

int Interpreter::removeFolder(const std::string& windowsPath, bool tree, bool quiet)
{
    core::PathProblem problem = core::PathProblem::None;
    const auto path = resolve(windowsPath, &problem);
    if (!path) {
        error(refusal(problem, PathNotFound));
        return ErrorPathNotFound;
    }
    if (path->empty()) { // drive C: itself stays
        error(tr(AccessDenied));
        return ErrorAccessDenied;
    }
    int walkError = 0;
    const Place place = m_drive.locate(*path, walkError);
    if (!place.folder)
        return systemError(walkError == ELOOP || walkError == ENOTDIR ? EACCES : walkError);
    if (!place.exists)
        return systemError(ENOENT);
    struct stat info {};
    if (core::isDeviceName(place.name) ||
        m_calls.fstatat(place.folder.get(), place.name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0 ||
        (!S_ISDIR(info.st_mode) && !S_ISLNK(info.st_mode))) {
        error(tr("The directory name is invalid."));
        return ErrorDirectoryName;
    }
    if (S_ISLNK(info.st_mode)) {
        // A link to a folder goes as a link, like a junction on Windows; never its target.
        struct stat target {};
        if (m_calls.fstatat(place.folder.get(), place.name.c_str(), &target, 0) != 0 || !S_ISDIR(target.st_mode)) {
            error(tr("The directory name is invalid."));
            return ErrorDirectoryName;
        }
        return m_calls.unlinkat(place.folder.get(), place.name.c_str(), 0) != 0 ? systemError(errno) : 0;
    }
    if (tree && !quiet && !confirm(format(tr("%1, Are you sure (Y/N)? "), {windowsPath})))
        return 0;

    // The current folder, or one that holds it, is in use: what is in it goes, the way to the
    // current folder stays, as on Windows.
    DrivePath real(path->begin(), path->end() - 1);
    real.push_back(place.name);
    const bool holdsCurrent = real.size() <= m_current.size() &&
                              std::equal(real.begin(), real.end(), m_current.begin(),
                                         [](const auto& a, const auto& b) { return core::text::equalNoCase(a, b); });
    int failure = 0;
    if (tree || holdsCurrent) {
        Descriptor folder(m_calls,
                          m_calls.openat(place.folder.get(), place.name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW));
        if (!folder)
            failure = errno;
        else if (tree)
            failure = core::removeContents(
                m_calls, std::move(folder),
                holdsCurrent ? DrivePath(m_current.begin() + std::ptrdiff_t(real.size()), m_current.end())
                             : DrivePath());
    }
    if (!failure && holdsCurrent) {
        error(tr("The process cannot access the file because it is being used by another process."));
        return ErrorSharingViolation;
    }
    if (!failure && m_calls.unlinkat(place.folder.get(), place.name.c_str(), AT_REMOVEDIR) != 0)
        failure = errno;
    return failure ? systemError(failure) : 0;
}

int Interpreter::copy(const std::vector<Token>& args)
{
    std::vector<std::string> paths;
    for (const auto& arg : args) {
        const std::string option = core::text::asciiLower(arg.text);
        if (!arg.quoted && (option == "/y" || option == "/-y" || option == "/b" || option == "/a" || option == "/v"))
            continue;
        paths.push_back(arg.text);
    }
    if (paths.empty() || paths.size() > 2) {
        error(tr("The syntax of the command is incorrect."));
        return 1;
    }
    auto failed = [this](const std::string& message) {
        error(message);
        std::fprintf(m_streams.out, "%s\n", tr(NoneCopied));
        std::fflush(m_streams.out);
        return 1;
    };
    auto copied = [this] {
        std::fprintf(m_streams.out, "%s\n", tr("        1 file(s) copied."));
        std::fflush(m_streams.out);
        return 0;
    };

    // The source: a regular file of the drive, opened through the walk.
    core::PathProblem problem = core::PathProblem::None;
    const auto source = resolve(paths[0], &problem);
    if (!source || source->empty())
        return failed(refusal(problem, FileNotFound));
    int walkError = 0;
    const Place from = m_drive.locate(*source, walkError);
    const Descriptor input(
        m_calls, from.folder && from.exists && !core::isDeviceName(from.name)
                     ? m_calls.openat(from.folder.get(), from.name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK)
                     : -1);
    struct stat sourceInfo {};
    if (!input || m_calls.fstat(input.get(), &sourceInfo) != 0 || !S_ISREG(sourceInfo.st_mode))
        return failed(tr(FileNotFound));
    // The destination: a device, a folder that keeps the source's name, or a file in a folder.
    const std::string destinationText = paths.size() == 2 ? paths[1] : ".";
    const auto destination = resolve(destinationText, &problem);
    if (!destination)
        return failed(refusal(problem, PathNotFound));
    if (!destination->empty() && core::isDeviceName(destination->back())) {
        // NUL swallows the data; CON is the console; the machine has no ports or printers.
        if (core::text::asciiLower(destination->back()).starts_with("con")) {
            char buffer[1 << 16];
            for (ssize_t n; (n = m_calls.read(input.get(), buffer, sizeof buffer)) != 0;) {
                if (n < 0 && errno == EINTR)
                    continue;
                if (n < 0)
                    return failed(systemMessage(errno));
                std::fwrite(buffer, 1, static_cast<std::size_t>(n), m_streams.out);
            }
            std::fflush(m_streams.out);
        }
        return copied();
    }
    Descriptor folder = m_drive.openFolder(*destination, walkError);
    std::string name = from.name;
    if (!folder) {
        if (walkError == ELOOP)
            return failed(tr(AccessDenied));
        if (walkError != ENOENT && walkError != ENOTDIR)
            return failed(systemMessage(walkError));
        if (destinationText.ends_with('\\') || destinationText.ends_with('/'))
            return failed(tr(PathNotFound));
        Place to = m_drive.locate(*destination, walkError);
        if (!to.folder)
            return failed(walkError == ELOOP ? tr(AccessDenied) : tr(PathNotFound));
        folder = std::move(to.folder);
        name = to.name;
    }
    mode_t mode = 0644;
    struct stat existing {};
    if (m_calls.fstatat(folder.get(), name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0) {
        if (existing.st_dev == sourceInfo.st_dev && existing.st_ino == sourceInfo.st_ino)
            return failed(tr("The file cannot be copied onto itself."));
        if (S_ISREG(existing.st_mode))
            mode = existing.st_mode & 07777;
    }
    // Copied in pieces beside under a name nobody can plant, then renamed into place: the
    // target is the old file or the whole new one, whatever the size.
    if (const int failure = core::copyFile(m_calls, input.get(), folder.get(), name, mode))
        return failed(systemMessage(failure));
    return copied();
}

int Interpreter::start(std::string_view rest)
{
    std::vector<Token> tokens = tokenize(rest);
    std::size_t index = 0;
    // A quoted first word is the window's title.
    if (index < tokens.size() && tokens[index].quoted)
        ++index;
    bool wait = false;
    int walkError = 0;
    Descriptor folder = m_drive.openFolder(m_current, walkError);
    while (index < tokens.size() && !tokens[index].quoted && tokens[index].text.starts_with('/')) {
        const std::string option = core::text::asciiLower(tokens[index].text);
        std::optional<std::string> folderName; // "/d path" or "/dpath"
        if (option == "/wait") {
            wait = true;
        } else if (option == "/d" || option == "/affinity" || option == "/node") {
            if (option == "/d" && index + 1 < tokens.size())
                folderName = tokens[index + 1].text;
            ++index;
        } else if (option.starts_with("/d") && option.size() > 2) {
            folderName = tokens[index].text.substr(2);
        }
        if (folderName) {
            folder = openFolder(*folderName);
            if (!folder) {
                error(tr(PathNotFound));
                return 1;
            }
        }
        ++index;
    }
    if (index >= tokens.size())
        return 0; // a new console window, which this machine has none of
    const std::string& name = tokens[index].text;
    const auto program = findProgram(name);
    const std::vector<std::string> arguments =
        programArguments(tokens[index].end < rest.size() ? rest.substr(tokens[index].end) : std::string_view());
    const int status = program && folder ? spawn(*program, arguments, folder, !wait) : -1;
    if (status < 0) {
        error(format(tr("The system cannot find the file %1."), {name}));
        return 1;
    }
    return status;
}

int Interpreter::runProgram(const std::string& name, std::string_view rest)
{
    const auto program = findProgram(name);
    int walkError = 0;
    const Descriptor folder = m_drive.openFolder(m_current, walkError);
    const int status = program && folder ? spawn(*program, programArguments(rest), folder, false) : -1;
    if (status < 0) {
        error(format(tr("'%1' is not recognized as an internal or external command,\noperable program or batch file."),
                     {name}));
        return 1;
    }
    return status;
}

const char* interpreterHelp()
{
    return tr("Starts the command interpreter of the emulated Windows machine.\n"
              "\n"
              "DOSTROJNIK-CMD /C string\n"
              "\n"
              "  /C      Carries out the command specified by string and then terminates.\n"
              "          Everything after /C, joined by single blanks, is the command line.\n"
              "\n"
              "%NAME% in the line is replaced by the variable NAME of the session (WinDir, TMP,\n"
              "USERPROFILE, ...; the name without regard to case); an undefined name stays as\n"
              "written.\n"
              "\n"
              "Commands:\n"
              "  START [\"title\"] [/D path] [/WAIT] [/B] program [arguments]\n"
              "                       Starts a program and returns at once; it runs on by itself.\n"
              "  COPY source [destination]\n"
              "                       Copies one file; a destination folder keeps the file's name.\n"
              "  MD path, MKDIR path  Creates a folder, with the folders above it that are missing.\n"
              "  RD [/S] [/Q] path, RMDIR [/S] [/Q] path\n"
              "                       Removes an empty folder; /S also removes everything in it,\n"
              "                       symbolic links as links, never what they point to; /Q does\n"
              "                       not ask first.\n"
              "  CD, CHDIR            Displays the current folder.\n"
              "  ECHO message         Displays the message.\n"
              "  EXIT [code]          Ends with the exit code.\n"
              "\n"
              "Any other program is looked up only inside the machine, in %WinDir%\\system32 and\n"
              "%WinDir%, as name, name.exe, name.com and name.bat, and runs when it is a program of\n"
              "this system there (a link into the host is none); a program of the host is never\n"
              "started for a Windows command. The machine's own programs (C:\\Windows\\System32\\\n"
              "Restore\\rstrui.exe) start the tools beside this interpreter.\n"
              "\n"
              "NUL, CON, AUX, PRN, COM1-COM9 and LPT1-LPT9 are devices, never files: COPY to NUL\n"
              "discards, to CON shows. RD /S /Q of the current folder empties it and keeps it.\n"
              "\n"
              "Paths are Windows paths on drive C:, which is the folder drive_c of the machine (the\n"
              "folder named by WINEPREFIX, else ~/.local/share/kwintor-dostrojnik/machine); relative\n"
              "names are taken from the current folder, which is the user's profile when the\n"
              "interpreter is started outside drive C:. Nothing outside drive C: is ever written or\n"
              "removed: every path is followed from C:\\ one folder at a time, never through a\n"
              "symbolic link. Names follow Windows' rules: a letter's case does not matter, trailing\n"
              "dots and blanks are dropped, < > : \" / \\ | ? * and control characters are refused,\n"
              "and network (\\\\server\\share) and device (\\\\?\\, \\\\.\\) paths are not drive C:.\n");
}

} // namespace cmdtool
