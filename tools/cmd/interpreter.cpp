#include "tools/cmd/interpreter.h"

#include "core/io/atomic_file.h"
#include "core/text/ascii.h"

#include <dirent.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

extern char** environ;

namespace cmdtool {
namespace {

namespace fs = std::filesystem;

constexpr const char* FileNotFound = "The system cannot find the file specified.";
constexpr const char* PathNotFound = "The system cannot find the path specified.";
constexpr const char* AccessDenied = "Access is denied.";
constexpr const char* NoneCopied = "        0 file(s) copied.";

// The exit status of rd is the Windows error code of its failure.
constexpr int ErrorFileNotFound = 2;
constexpr int ErrorPathNotFound = 3;
constexpr int ErrorAccessDenied = 5;
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

bool isWithin(const fs::path& path, const fs::path& folder)
{
    const fs::path relative = path.lexically_relative(folder);
    return !relative.empty() && *relative.begin() != "..";
}

bool isExecutableFile(const fs::path& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

std::string systemMessage(int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
    case EROFS:
        return AccessDenied;
    case EBUSY:
        return "The process cannot access the file because it is being used by another process.";
    case ENOENT:
        return FileNotFound;
    case ENOTEMPTY:
    case EEXIST:
        return "The directory is not empty.";
    default:
        return std::strerror(error);
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

// Removes everything inside the open folder, never following a symbolic link: a link is
// removed as a link, and a folder swapped for a link meanwhile is not opened (O_NOFOLLOW).
int removeContents(int folder)
{
    const int listing = ::dup(folder);
    if (listing < 0)
        return errno;
    DIR* dir = ::fdopendir(listing);
    if (!dir) {
        const int error = errno;
        ::close(listing);
        return error;
    }
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            names.emplace_back(entry->d_name);
    }
    ::closedir(dir);

    int failure = 0;
    for (const auto& name : names) {
        struct stat info {};
        if (::fstatat(folder, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno != ENOENT && !failure)
                failure = errno;
            continue;
        }
        if (S_ISDIR(info.st_mode)) {
            const int sub = ::openat(folder, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (sub < 0) {
                if (!failure)
                    failure = errno;
                continue;
            }
            const int inner = removeContents(sub);
            ::close(sub);
            if (inner) {
                if (!failure)
                    failure = inner;
                continue;
            }
            if (::unlinkat(folder, name.c_str(), AT_REMOVEDIR) != 0 && !failure)
                failure = errno;
        } else if (::unlinkat(folder, name.c_str(), 0) != 0 && errno != ENOENT && !failure) {
            failure = errno;
        }
    }
    return failure;
}

// Starts a program and, unless `detached`, waits for it. A detached program runs in its own
// session with nothing of ours attached, so it goes on after the interpreter has ended.
// Returns the exit status, or -1 when it could not be started.
int spawn(const fs::path& program, const std::vector<std::string>& arguments, const fs::path& folder, bool detached)
{
    std::vector<std::string> strings{program.string()};
    strings.insert(strings.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& s : strings)
        argv.push_back(s.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attributes);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    if (detached) {
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
    }
    pid_t child = 0;
    const int rc = posix_spawn(&child, program.c_str(), &actions, &attributes, argv.data(), environ);
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

Interpreter::Interpreter(core::Machine machine, const fs::path& currentFolder, VariableLookup variables,
                         Streams streams)
    : m_machine(std::move(machine)), m_variables(std::move(variables)), m_streams(streams)
{
    std::error_code ignored;
    m_drive = fs::weakly_canonical(fs::absolute(m_machine.driveC()), ignored);
    const fs::path current = fs::weakly_canonical(fs::absolute(currentFolder), ignored);
    if (isWithin(current, m_drive)) {
        m_current = current;
        return;
    }
    m_current = m_drive;
    const auto profile = m_variables("USERPROFILE");
    if (profile) {
        if (const auto host = m_machine.hostPath(*profile); host && fs::is_directory(*host, ignored) && insideDrive(*host))
            m_current = fs::weakly_canonical(*host, ignored);
    }
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
    return !answer.empty() && (answer.front() == 'y' || answer.front() == 'Y');
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
    // The current folder never leaves the drive; its links are resolved, as the drive's are.
    return core::windowsPathBelow(m_drive, m_current).value_or("C:\\");
}

std::optional<fs::path> Interpreter::resolve(std::string_view windowsPath) const
{
    std::string path(windowsPath);
    if (path.empty())
        return std::nullopt;
    if (path.size() >= 2 && path[1] == ':') {
        if (path[0] != 'c' && path[0] != 'C')
            return std::nullopt;
        if (path.size() == 2)
            path += '\\';
        else if (path[2] != '\\' && path[2] != '/')
            path = currentFolderName() + "\\" + path.substr(2); // "C:name" is in C:'s current folder
    } else if (path[0] == '\\' || path[0] == '/') {
        path = "C:" + path;
    } else {
        path = currentFolderName() + "\\" + path;
    }
    return m_machine.hostPath(path);
}

std::optional<fs::path> Interpreter::resolveFolder(std::string_view windowsPath) const
{
    std::error_code ignored;
    const auto host = resolve(windowsPath);
    if (!host || !fs::is_directory(*host, ignored) || !insideDrive(*host))
        return std::nullopt;
    return host;
}

bool Interpreter::insideDrive(const fs::path& hostPath) const
{
    std::error_code error;
    const fs::path real = fs::weakly_canonical(hostPath, error);
    return !error && isWithin(real, m_drive);
}

std::optional<fs::path> Interpreter::findProgram(const std::string& name) const
{
    std::vector<std::string> bases;
    if (name.find_first_of("\\/:") != std::string::npos) {
        bases.push_back(name);
    } else {
        bases.push_back(windowsFolder() + "\\system32\\" + name);
        bases.push_back(windowsFolder() + "\\" + name);
    }
    for (const auto& base : bases) {
        for (const char* extension : {"", ".exe", ".com", ".bat"}) {
            const auto host = resolve(base + extension);
            if (host && isExecutableFile(*host))
                return host;
        }
    }
    return std::nullopt;
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
        std::fprintf(m_streams.out, "ECHO is on.\n");
    } else {
        const std::string_view text = rest.substr(1);
        if (isBlank(rest.front()) && trimLeft(text).empty())
            std::fprintf(m_streams.out, "ECHO is on.\n");
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
    const auto host = resolveFolder(paths[0].text);
    if (!host) {
        error(PathNotFound);
        return 1;
    }
    std::error_code ignored;
    m_current = fs::weakly_canonical(*host, ignored);
    return 0;
}

int Interpreter::makeFolders(const std::vector<Token>& args)
{
    if (args.empty()) {
        error("The syntax of the command is incorrect.");
        return 1;
    }
    int result = 0;
    for (const auto& arg : args) {
        const auto host = resolve(arg.text);
        if (!host) {
            error(PathNotFound);
            result = 1;
            continue;
        }
        struct stat info {};
        if (::lstat(host->c_str(), &info) == 0) {
            error("A subdirectory or file " + arg.text + " already exists.");
            result = 1;
            continue;
        }
        // The deepest folder that exists must be inside the drive, its links followed; below it
        // everything is new.
        fs::path existing = *host;
        std::vector<fs::path> missing;
        std::error_code ignored;
        while (!fs::exists(fs::symlink_status(existing, ignored)) && existing.has_parent_path() &&
               existing != existing.parent_path()) {
            missing.push_back(existing);
            existing = existing.parent_path();
        }
        if (!fs::is_directory(existing, ignored) || !insideDrive(existing)) {
            error(fs::is_directory(existing, ignored) ? AccessDenied : PathNotFound);
            result = 1;
            continue;
        }
        for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
            if (::mkdir(it->c_str(), 0755) != 0 && errno != EEXIST) {
                error(systemMessage(errno));
                result = 1;
                break;
            }
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
            error("Invalid switch - \"" + arg.text.substr(1) + "\".");
            return 1;
        } else {
            paths.push_back(arg.text);
        }
    }
    if (paths.empty()) {
        error("The syntax of the command is incorrect.");
        return 1;
    }
    int result = 0;
    std::error_code ignored;
    for (const auto& path : paths) {
        const auto host = resolve(path);
        if (!host) {
            error(PathNotFound);
            result = ErrorPathNotFound;
            continue;
        }
        const fs::path parent = host->parent_path();
        const std::string name = host->filename().string();
        struct stat info {};
        if (::lstat(host->c_str(), &info) != 0) {
            result = systemError(errno);
            continue;
        }
        // The folder that holds it, links followed, must be in the drive; drive C: itself stays.
        if (name.empty() || name == "." || name == ".." || !insideDrive(parent) ||
            fs::weakly_canonical(*host, ignored) == m_drive) {
            error(AccessDenied);
            result = ErrorAccessDenied;
            continue;
        }
        const fs::path realParent = fs::weakly_canonical(parent, ignored);
        if (S_ISLNK(info.st_mode)) {
            // A link to a folder goes as a link, like a junction on Windows; never its target.
            if (!fs::is_directory(*host, ignored)) {
                error("The directory name is invalid.");
                result = ErrorDirectoryName;
            } else if (::unlink((realParent / name).c_str()) != 0) {
                result = systemError(errno);
            }
            continue;
        }
        if (!S_ISDIR(info.st_mode)) {
            error("The directory name is invalid.");
            result = ErrorDirectoryName;
            continue;
        }
        if (tree && !quiet && !confirm(path + ", Are you sure (Y/N)? "))
            continue;
        const int parentFd = ::open(realParent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (parentFd < 0) {
            result = systemError(errno);
            continue;
        }
        int failure = 0;
        if (tree) {
            const int folder = ::openat(parentFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            failure = folder < 0 ? errno : removeContents(folder);
            if (folder >= 0)
                ::close(folder);
        }
        if (!failure && ::unlinkat(parentFd, name.c_str(), AT_REMOVEDIR) != 0)
            failure = errno;
        ::close(parentFd);
        if (failure)
            result = systemError(failure);
    }
    return result;
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
        error("The syntax of the command is incorrect.");
        return 1;
    }
    auto failed = [this](const std::string& message) {
        error(message);
        std::fprintf(m_streams.out, "%s\n", NoneCopied);
        std::fflush(m_streams.out);
        return 1;
    };
    std::error_code ignored;
    const auto source = resolve(paths[0]);
    if (!source || !fs::is_regular_file(*source, ignored))
        return failed(FileNotFound);

    const std::string destinationText = paths.size() == 2 ? paths[1] : ".";
    auto destination = resolve(destinationText);
    if (!destination)
        return failed(PathNotFound);
    const bool namesFolder = destinationText.ends_with('\\') || destinationText.ends_with('/');
    if (fs::is_directory(*destination, ignored))
        destination = *destination / source->filename();
    else if (namesFolder)
        return failed(PathNotFound);
    if (!fs::is_directory(destination->parent_path(), ignored))
        return failed(PathNotFound);
    if (!insideDrive(*destination))
        return failed(AccessDenied);
    if (fs::equivalent(*source, *destination, ignored))
        return failed("The file cannot be copied onto itself.");

    std::string contents;
    if (const auto error = core::io::readFile(core::posixSystemCalls(), *source, contents))
        return failed(systemMessage(error.value()));
    // Written beside and renamed into place: the target is the old file or the whole new one.
    if (const auto error = core::io::replaceFile(core::posixSystemCalls(), *destination, contents))
        return failed(systemMessage(error.value()));
    std::fprintf(m_streams.out, "        1 file(s) copied.\n");
    std::fflush(m_streams.out);
    return 0;
}

int Interpreter::start(std::string_view rest)
{
    std::vector<Token> tokens = tokenize(rest);
    std::size_t index = 0;
    // A quoted first word is the window's title.
    if (index < tokens.size() && tokens[index].quoted)
        ++index;
    bool wait = false;
    fs::path folder = m_current;
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
            const auto host = resolveFolder(*folderName);
            if (!host) {
                error(PathNotFound);
                return 1;
            }
            folder = *host;
        }
        ++index;
    }
    if (index >= tokens.size())
        return 0; // a new console window, which this machine has none of
    const std::string& name = tokens[index].text;
    const auto program = findProgram(name);
    const std::vector<std::string> arguments =
        programArguments(tokens[index].end < rest.size() ? rest.substr(tokens[index].end) : std::string_view());
    const int status = program ? spawn(*program, arguments, folder, !wait) : -1;
    if (status < 0) {
        error("The system cannot find the file " + name + ".");
        return 1;
    }
    return status;
}

int Interpreter::runProgram(const std::string& name, std::string_view rest)
{
    const auto program = findProgram(name);
    const int status = program ? spawn(*program, programArguments(rest), m_current, false) : -1;
    if (status < 0) {
        error("'" + name + "' is not recognized as an internal or external command,\noperable program or batch file.");
        return 1;
    }
    return status;
}

const char* interpreterHelp()
{
    return "Starts the command interpreter of the emulated Windows machine.\n"
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
           "this system there; a program of the host is never started for a Windows command.\n"
           "\n"
           "Paths are Windows paths on drive C:, which is the folder drive_c of the machine (the\n"
           "folder named by WINEPREFIX, else ~/.local/share/kwintor-dostrojnik/machine); relative\n"
           "names are taken from the current folder, which is the user's profile when the\n"
           "interpreter is started outside drive C:. Nothing outside drive C: is ever written or\n"
           "removed.\n";
}

} // namespace cmdtool
