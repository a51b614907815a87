#include "tools/cmd/wine_programs.h"

#include "core/machine/machine.h"
#include "core/text/ascii.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <system_error>

namespace cmdtool {
namespace {

namespace fs = std::filesystem;

// The log is started afresh beyond this size, so that it never fills the disk.
constexpr off_t LargestLog = 1024 * 1024;

} // namespace

WinePrograms::WinePrograms(core::SystemCalls& calls, fs::path machineRoot, const Lookup& variables)
    : m_calls(calls)
    , m_root(std::move(machineRoot))
{
    // What Wine makes when it sets a prefix up; without them Wine would first set the machine up
    // as a prefix of its own, rewriting its registry.
    struct stat info {};
    if (m_calls.fstatat(AT_FDCWD, (m_root / "dosdevices").c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0 ||
        !S_ISDIR(info.st_mode) ||
        m_calls.fstatat(AT_FDCWD, (m_root / ".update-timestamp").c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0)
        return;
    const std::optional<std::string> path = variables("PATH");
    std::string_view rest = path ? std::string_view(*path) : std::string_view("/bin:/usr/bin");
    while (!rest.empty() && !m_wine) {
        const std::size_t colon = rest.find(':');
        const fs::path folder(std::string(rest.substr(0, colon)));
        rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
        // A relative entry names the current folder, which lies on drive C:; Wine is the host's.
        if (!folder.is_absolute())
            continue;
        const fs::path candidate = folder / "wine";
        if (m_calls.stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
            m_calls.access(candidate.c_str(), X_OK) == 0)
            m_wine = candidate;
    }
}

std::optional<fs::path> WinePrograms::hostPath(int file) const
{
    // The kernel's name of the open file: the one the lookup checked, whatever happened since.
    std::error_code error;
    const fs::path path = fs::read_symlink("/proc/self/fd/" + std::to_string(file), error);
    if (error || !path.is_absolute())
        return std::nullopt;
    const fs::path drive = fs::weakly_canonical(m_root / "drive_c", error);
    if (error || !core::windowsPathBelow(drive, path))
        return std::nullopt;
    return path;
}

bool WinePrograms::runs(int file) const
{
    if (!m_wine)
        return false;
    std::error_code error;
    const std::string name = fs::read_symlink("/proc/self/fd/" + std::to_string(file), error).filename().string();
    const std::string extension = name.size() > 4 ? core::text::asciiLower(name.substr(name.size() - 4)) : "";
    return !error && (extension == ".exe" || extension == ".com");
}

core::Descriptor WinePrograms::openLog() const
{
    const fs::path path = logPath();
    struct stat info {};
    const bool tooLarge = m_calls.stat(path.c_str(), &info) == 0 && info.st_size > LargestLog;
    const int flags = O_WRONLY | O_CREAT | O_APPEND | O_NOFOLLOW | O_CLOEXEC | (tooLarge ? O_TRUNC : 0);
    return core::Descriptor(m_calls, m_calls.open(path.c_str(), flags, 0644));
}

std::optional<WineLaunch> WinePrograms::launch(int file, const std::vector<std::string>& arguments,
                                               char* const* environment) const
{
    const auto program = hostPath(file);
    if (!m_wine || !program)
        return std::nullopt;
    WineLaunch launch;
    launch.wine = *m_wine;
    // Wine takes a host path inside the prefix as the Windows path on C: it stands for.
    launch.arguments = {m_wine->string(), program->string()};
    launch.arguments.insert(launch.arguments.end(), arguments.begin(), arguments.end());
    for (char* const* entry = environment; entry && *entry; ++entry)
        if (std::strncmp(*entry, "WINEPREFIX=", 11) != 0)
            launch.environment.emplace_back(*entry);
    launch.environment.push_back("WINEPREFIX=" + m_root.string());
    launch.log = openLog();
    return launch;
}

} // namespace cmdtool
