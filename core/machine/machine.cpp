#include "core/machine/machine.h"

#include "core/error.h"
#include "core/io/atomic_file.h"
#include "core/machine/baseline.h"
#include "core/text/unicode.h"

#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace core {
namespace {

namespace fs = std::filesystem;

const char* const WindowsFolder = "C:\\windows";
// What stands for the user's name in the baseline hives.
constexpr std::string_view UserPlaceholder = "<user>";

std::optional<std::string> nonEmpty(const EnvironmentLookup& environment, std::string_view name)
{
    auto value = environment(name);
    if (value && value->empty())
        return std::nullopt;
    return value;
}

std::string passwordHome()
{
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir)
        return found->pw_dir;
    return {};
}

// The folders of a new machine, parents first; "<user>" is the user's folder name.
const char* const NewFolders[] = {
    "drive_c",
    "drive_c/windows",
    "drive_c/windows/system32",
    "drive_c/windows/system32/dllcache",
    "drive_c/windows/system32/Restore",
    "drive_c/windows/inf",
    "drive_c/windows/Web",
    "drive_c/windows/Web/Wallpaper",
    "drive_c/Program Files",
    "drive_c/Program Files/Internet Explorer",
    "drive_c/Program Files/Internet Explorer/Plugins",
    "drive_c/users",
    "drive_c/users/<user>",
    "drive_c/users/<user>/Application Data",
    "drive_c/users/<user>/Desktop",
    "drive_c/users/<user>/Recent",
    "drive_c/users/<user>/Temp",
};

std::string replaceAll(std::string text, std::string_view from, std::string_view to)
{
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

bool isHexDigit(char16_t c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// Text inside a quoted string of Wine's registry format.
std::string wineQuoted(std::string_view utf8)
{
    const std::u16string units = text::toUtf16(utf8);
    std::string out;
    for (size_t i = 0; i < units.size(); ++i) {
        const char16_t c = units[i];
        if (c == u'\\' || c == u'"') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c >= 32 && c <= 126) {
            out += static_cast<char>(c);
        } else {
            // A following hex digit would run on into a short escape, so the escape is padded.
            char escape[16];
            const bool pad = i + 1 < units.size() && isHexDigit(units[i + 1]);
            std::snprintf(escape, sizeof escape, pad ? "\\x%04x" : "\\x%x", static_cast<unsigned>(c));
            out += escape;
        }
    }
    return out;
}

// A baseline hive for a new machine: every key gets the creation time as its time stamp
// ("[path] <seconds>" and "#time=<FILETIME>"), and the user's name goes in.
std::string newHive(std::string_view baseline, std::string_view userName,
                    std::chrono::system_clock::time_point now)
{
    using Ticks = std::chrono::duration<std::int64_t, std::ratio<1, 10'000'000>>;
    constexpr std::int64_t FileTimeOf1970 = 116'444'736'000'000'000;
    const std::int64_t ticks = std::chrono::duration_cast<Ticks>(now.time_since_epoch()).count();
    const std::int64_t seconds = ticks / 10'000'000;
    char fileTime[32];
    std::snprintf(fileTime, sizeof fileTime, "%llx", static_cast<unsigned long long>(ticks + FileTimeOf1970));

    std::string out;
    out.reserve(baseline.size() + 256);
    size_t position = 0;
    while (position < baseline.size()) {
        size_t end = baseline.find('\n', position);
        end = end == std::string_view::npos ? baseline.size() : end + 1;
        std::string_view line = baseline.substr(position, end - position);
        position = end;
        const bool hasLineEnd = !line.empty() && line.back() == '\n';
        if (hasLineEnd)
            line.remove_suffix(1);
        const size_t blank = line.rfind(' ');
        if (line.starts_with('[') && blank != std::string_view::npos && blank > 0 && line[blank - 1] == ']') {
            out.append(line.substr(0, blank + 1));
            out += std::to_string(seconds);
        } else if (line.starts_with("#time=")) {
            out += "#time=";
            out += fileTime;
        } else {
            out.append(line);
        }
        if (hasLineEnd)
            out += '\n';
    }
    return replaceAll(std::move(out), UserPlaceholder, wineQuoted(userName));
}

void writeNewFile(SystemCalls& calls, const fs::path& path, std::string_view contents)
{
    const int fd = calls.open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (fd < 0)
        throw Error("Unable to write to " + path.string());
    size_t written = 0;
    bool ok = true;
    while (ok && written < contents.size()) {
        const ssize_t n = calls.write(fd, contents.data() + written, contents.size() - written);
        ok = n > 0;
        if (ok)
            written += static_cast<size_t>(n);
    }
    ok = ok && calls.fsync(fd) == 0;
    ok = calls.close(fd) == 0 && ok;
    if (!ok)
        throw Error("Unable to write to " + path.string());
}

void makeFolder(SystemCalls& calls, const fs::path& path)
{
    if (calls.mkdir(path.c_str(), 0755) != 0 && errno != EEXIST)
        throw Error("Unable to create the folder " + path.string());
}

void syncFolder(SystemCalls& calls, const fs::path& folder)
{
    const int fd = calls.open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        calls.fsync(fd);
        calls.close(fd);
    }
}

} // namespace

fs::path homeFolder(const EnvironmentLookup& environment)
{
    if (auto home = nonEmpty(environment, "HOME"))
        return *home;
    return passwordHome();
}

fs::path Machine::locateRoot(const EnvironmentLookup& environment)
{
    if (const auto prefix = nonEmpty(environment, "WINEPREFIX"))
        return fs::absolute(*prefix).lexically_normal();
    // A relative XDG_DATA_HOME is invalid and ignored, as the base directory rules say.
    if (const auto data = nonEmpty(environment, "XDG_DATA_HOME"); data && fs::path(*data).is_absolute())
        return fs::path(*data) / ProgramFolder / "machine";
    const fs::path home = homeFolder(environment);
    if (home.empty())
        throw Error("Unable to find a home folder for the emulated machine; set WINEPREFIX");
    return home / ".local" / "share" / ProgramFolder / "machine";
}

Machine::Machine(fs::path root, std::string userName) : m_root(std::move(root)), m_userName(std::move(userName))
{
    for (char& c : m_userName) {
        if (c == '/' || c == '\\')
            c = '_';
    }
    if (m_userName.empty() || m_userName == "." || m_userName == "..")
        m_userName = "user";
}

void Machine::ensureExists(SystemCalls& calls) const
{
    struct stat info {};
    if (calls.stat(m_root.c_str(), &info) == 0) {
        if (!S_ISDIR(info.st_mode))
            throw Error("The emulated machine " + m_root.string() + " is not a folder");
        return; // an existing machine, maybe a real Wine prefix: never touched
    }
    if (errno != ENOENT)
        throw Error("Unable to open the emulated machine " + m_root.string());

    const fs::path parent = m_root.parent_path().empty() ? fs::path(".") : m_root.parent_path();
    fs::path ancestor;
    for (const auto& part : parent) {
        ancestor /= part;
        if (calls.stat(ancestor.c_str(), &info) != 0)
            makeFolder(calls, ancestor);
    }

    // The machine is built beside its place and renamed into it, so that it appears whole
    // or not at all, even when the program is killed meanwhile.
    const fs::path building = parent / ("." + m_root.filename().string() + ".new-" + std::to_string(getpid()));
    std::error_code ignored;
    fs::remove_all(building, ignored);
    try {
        makeFolder(calls, building);
        for (const char* folder : NewFolders)
            makeFolder(calls, building / replaceAll(folder, UserPlaceholder, m_userName));
        const auto now = std::chrono::system_clock::now();
        for (const baseline::File& file : baseline::files()) {
            if (file.name.ends_with(".reg")) {
                writeNewFile(calls, building / file.name, newHive(file.text(), m_userName, now));
            } else if (file.name.starts_with("wallpapers/")) {
                writeNewFile(calls, building / "drive_c/windows/Web/Wallpaper" / file.name.substr(11), file.text());
            }
        }
        syncFolder(calls, building);
        if (calls.rename(building.c_str(), m_root.c_str()) != 0) {
            // Another copy of the program was quicker; its machine is as good as ours.
            if ((errno == EEXIST || errno == ENOTEMPTY) && calls.stat(m_root.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
                fs::remove_all(building, ignored);
                return;
            }
            throw Error("Unable to create the emulated machine " + m_root.string());
        }
    } catch (...) {
        fs::remove_all(building, ignored);
        throw;
    }
    syncFolder(calls, parent);
}

bool appendPathParts(std::vector<std::string>& parts, std::string_view rest)
{
    while (!rest.empty()) {
        const std::size_t separator = rest.find_first_of("\\/");
        const std::string_view part = rest.substr(0, separator);
        rest = separator == std::string_view::npos ? std::string_view() : rest.substr(separator + 1);
        if (part.empty() || part == ".")
            continue;
        if (part == "..") {
            if (parts.empty())
                return false;
            parts.pop_back();
            continue;
        }
        parts.emplace_back(part);
    }
    return true;
}

std::optional<fs::path> Machine::hostPath(std::string_view windowsPath) const
{
    if (windowsPath.find('\0') != std::string_view::npos || windowsPath.size() < 2 ||
        (windowsPath[0] != 'C' && windowsPath[0] != 'c') || windowsPath[1] != ':')
        return std::nullopt;
    std::string_view rest = windowsPath.substr(2);
    // "C:name" is relative to the current folder of drive C:, which the machine does not keep.
    if (!rest.empty() && rest.front() != '\\' && rest.front() != '/')
        return std::nullopt;

    std::vector<std::string> parts;
    if (!appendPathParts(parts, rest))
        return std::nullopt;

    fs::path result = driveC();
    bool existing = true;
    for (const std::string& part : parts) {
        std::error_code error;
        if (existing && !fs::exists(fs::symlink_status(result / part, error))) {
            // Windows finds "WINDOWS" as "windows"; when several spellings exist the first in
            // byte order is taken, so the choice does not depend on the folder's order.
            std::optional<std::string> match;
            for (fs::directory_iterator it(result, error), end; !error && it != end; it.increment(error)) {
                const std::string name = it->path().filename().string();
                if (text::equalNoCase(name, part) && (!match || name < *match))
                    match = name;
            }
            if (match) {
                result /= *match;
                continue;
            }
            existing = false;
        }
        result /= part;
    }
    return result;
}

std::optional<std::string> Machine::windowsPath(const fs::path& hostPath) const
{
    return windowsPathBelow(driveC(), hostPath);
}

std::optional<std::string> windowsPathBelow(const fs::path& driveC, const fs::path& hostPath)
{
    const fs::path drive = fs::absolute(driveC).lexically_normal();
    const fs::path relative = fs::absolute(hostPath).lexically_normal().lexically_relative(drive);
    if (relative.empty() || *relative.begin() == "..")
        return std::nullopt;
    std::string out = "C:\\";
    bool first = true;
    for (const auto& part : relative) {
        if (part.empty() || part == ".")
            continue;
        if (!first)
            out += '\\';
        out += part.string();
        first = false;
    }
    return out;
}

std::vector<std::pair<std::string, std::string>> Machine::sessionEnvironment(const fs::path& interpreter) const
{
    const std::string profile = "C:\\users\\" + m_userName;
    return {
        {"COMSPEC", interpreter.string()},
        {"WinDir", WindowsFolder},
        {"SystemRoot", WindowsFolder},
        {"TMP", profile + "\\Temp"},
        {"TEMP", profile + "\\Temp"},
        {"USERPROFILE", profile},
        {"USERNAME", m_userName},
        {"APPDATA", profile + "\\Application Data"},
    };
}

Environment Machine::sessionProcessEnvironment(const fs::path& interpreter, Environment host) const
{
    for (const auto& [name, value] : sessionEnvironment(interpreter))
        host.set(name, value);
    return host;
}

std::string hostUserName()
{
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_name &&
        *found->pw_name)
        return found->pw_name;
    // A user without an entry (a container started with a bare uid) still has a name to show.
    for (const char* variable : {"LOGNAME", "USER"}) {
        const char* value = std::getenv(variable);
        if (value && *value)
            return value;
    }
    return "user";
}

std::uint32_t cpuMhzFrom(const FileReader& read)
{
    if (const auto text = read("/sys/devices/system/cpu/cpu0/cpufreq/cpuinfo_max_freq")) {
        const char* begin = text->data();
        const char* end = begin + text->size();
        while (begin < end && (*begin == ' ' || *begin == '\t'))
            ++begin;
        std::uint64_t kilohertz = 0;
        const auto [stop, error] = std::from_chars(begin, end, kilohertz);
        if (error == std::errc() && kilohertz > 0 && (stop == end || *stop == '\n' || *stop == ' ') &&
            kilohertz < 1'000'000'000'000ull)
            return static_cast<std::uint32_t>((kilohertz + 500) / 1000);
    }
    if (const auto text = read("/proc/cpuinfo")) {
        std::string_view rest = *text;
        while (!rest.empty()) {
            const size_t end = rest.find('\n');
            const std::string_view line = rest.substr(0, end);
            rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
            if (!line.starts_with("cpu MHz"))
                continue;
            const size_t colon = line.find(':');
            if (colon == std::string_view::npos)
                continue;
            std::string_view number = line.substr(colon + 1);
            while (!number.empty() && (number.front() == ' ' || number.front() == '\t'))
                number.remove_prefix(1);
            double megahertz = 0;
            const auto [stop, error] = std::from_chars(number.data(), number.data() + number.size(), megahertz);
            if (error == std::errc() && megahertz >= 0.5 && megahertz < 4e9)
                return static_cast<std::uint32_t>(std::lround(megahertz));
        }
    }
    return 0;
}

std::uint32_t hostCpuMhz()
{
    return cpuMhzFrom([](const fs::path& path) -> std::optional<std::string> {
        std::string contents;
        if (io::readFile(posixSystemCalls(), path, contents))
            return std::nullopt;
        return contents;
    });
}

} // namespace core
