#pragma once

#include "core/machine/drive.h"
#include "core/platform/system_calls.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cmdtool {

// How a program of the machine runs when it has to be run by Wine: the host's `wine`, the
// program's file, and the environment with WINEPREFIX naming the machine.
struct WineLaunch {
    std::filesystem::path wine;
    std::vector<std::string> arguments;   // wine, the program's host path, its own arguments
    std::vector<std::string> environment; // NAME=value
    // Where Wine's own messages go (its standard error), open for appending; none when the log
    // cannot be written, and then they are dropped.
    core::Descriptor log;
};

// Windows programs of a Wine prefix run by that prefix's Wine. The machine counts as a Wine
// prefix when Wine has set it up (it holds `dosdevices/` and `.update-timestamp`); the program's
// own machine never is one, and there its programs run as they are. Wine is the `wine` found
// along the absolute folders of PATH.
class WinePrograms {
public:
    using Lookup = std::function<std::optional<std::string>(std::string_view name)>;

    // `variables` gives PATH; `calls` every file-system call.
    WinePrograms(core::SystemCalls& calls, std::filesystem::path machineRoot, const Lookup& variables);

    // Whether the program open as `file` is one Wine runs: the machine is a Wine prefix, Wine is
    // installed, and the file's name ends in ".exe" or ".com".
    bool runs(int file) const;
    // The launch of such a program, which the lookup found inside drive_c; none when its file
    // does not lie there (any more).
    std::optional<WineLaunch> launch(int file, const std::vector<std::string>& arguments,
                                     char* const* environment) const;

    // The file Wine's messages are appended to: `dostrojnik-wine.log` in the machine's folder.
    std::filesystem::path logPath() const { return m_root / "dostrojnik-wine.log"; }

private:
    std::optional<std::filesystem::path> hostPath(int file) const;
    core::Descriptor openLog() const;

    core::SystemCalls& m_calls;
    std::filesystem::path m_root;
    std::optional<std::filesystem::path> m_wine; // none: Wine is not used here
};

} // namespace cmdtool
