#pragma once

#include "core/platform/environment.h"
#include "core/platform/system_calls.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace core {

// The folder that holds the program's files under the user's data and configuration folders.
inline constexpr char ProgramFolder[] = "kwintor-dostrojnik";

// The user's home folder: HOME or, without it, the password database's; empty when neither
// names one.
std::filesystem::path homeFolder(const EnvironmentLookup& environment);

// The emulated Windows machine: a folder laid out like a Wine prefix, `drive_c/` being C:.
class Machine {
public:
    // `WINEPREFIX` when set, else `$XDG_DATA_HOME/kwintor-dostrojnik/machine`
    // (`~/.local/share/...` when XDG_DATA_HOME is unset, the home folder being HOME or, without
    // it, the password database's). Throws core::Error when no home folder can be found.
    static std::filesystem::path locateRoot(const EnvironmentLookup& environment);

    // `userName` names the user's folder under C:\users, so a character that cannot be in a
    // folder name ('/' or '\\') becomes '_'.
    Machine(std::filesystem::path root, std::string userName);

    const std::filesystem::path& root() const { return m_root; }
    const std::string& userName() const { return m_userName; }
    std::filesystem::path driveC() const { return m_root / "drive_c"; }
    std::filesystem::path systemHive() const { return m_root / "system.reg"; }
    std::filesystem::path userHive() const { return m_root / "user.reg"; }
    // The user's profile below C:\ (USERPROFILE): {"users", name}.
    std::vector<std::string> profileFolder() const { return {"users", m_userName}; }

    // A missing root is created with its folders and the baseline registry of a new machine;
    // an existing root is left as it is. Throws core::Error when the root cannot be made.
    void ensureExists(SystemCalls& calls = posixSystemCalls()) const;

    // Maps a Windows path on drive C: ("C:\Windows\Web", "c:/windows") into drive_c/, each
    // component matched without regard to case against what exists; components that do not
    // exist keep their spelling. Empty when the path is not on C: or would leave drive_c/.
    std::optional<std::filesystem::path> hostPath(std::string_view windowsPath) const;
    // The Windows spelling ("C:\...") of a host path inside drive_c/; empty outside it.
    std::optional<std::string> windowsPath(const std::filesystem::path& hostPath) const;

    // The variables of the emulated session, in Windows notation: COMSPEC (the given
    // interpreter), WinDir, SystemRoot, TMP, TEMP, USERPROFILE, USERNAME, APPDATA.
    std::vector<std::pair<std::string, std::string>> sessionEnvironment(const std::filesystem::path& interpreter) const;
    // The environment of the programs the session starts: `host` with those variables set over
    // its own values.
    Environment sessionProcessEnvironment(const std::filesystem::path& interpreter, Environment host) const;

private:
    std::filesystem::path m_root;
    std::string m_userName;
};

// Adds the folders of the rest of a Windows path ("a\..\b/c") to `parts`, taking "." and ".."
// as Windows does; false when ".." would climb above the drive.
bool appendPathParts(std::vector<std::string>& parts, std::string_view rest);

// The Windows spelling ("C:\...") of a host path inside `driveC`, the folder that is drive C:;
// empty outside it. Both paths are taken as written, made absolute and normal, links not followed.
std::optional<std::string> windowsPathBelow(const std::filesystem::path& driveC, const std::filesystem::path& hostPath);

// The login name of the user running this process.
std::string hostUserName();
// The host processor's clock in MHz as a whole number, 0 when it cannot be told.
std::uint32_t hostCpuMhz();

// Reads a whole file; empty optional when it cannot be read. A seam for hostCpuMhz.
using FileReader = std::function<std::optional<std::string>(const std::filesystem::path& path)>;
// The clock from cpufreq's highest frequency (kHz), else from "cpu MHz" of /proc/cpuinfo.
std::uint32_t cpuMhzFrom(const FileReader& read);

} // namespace core
