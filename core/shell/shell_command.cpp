#include "core/shell/shell_command.h"

#include "core/shell/host_shell.h"

#include <optional>

namespace core {
namespace {

namespace fs = std::filesystem;

std::optional<fs::path> findInterpreter(const Environment& environment)
{
    if (const auto comspec = environment.get("COMSPEC"); comspec && !comspec->empty())
        return fs::path(*comspec);
    const auto path = environment.get("PATH");
    if (!path)
        return std::nullopt;
    std::string_view rest = *path;
    for (;;) {
        const size_t colon = rest.find(PathListSeparator);
        const std::string_view folder = rest.substr(0, colon);
        // An empty entry of PATH is the current folder.
        const fs::path candidate = fs::path(folder.empty() ? "." : std::string(folder)) / "CMD.EXE";
        if (isExecutableFile(candidate))
            return candidate;
        if (colon == std::string_view::npos)
            return std::nullopt;
        rest.remove_prefix(colon + 1);
    }
}

} // namespace

void shellCommand(std::string_view commandLine, const Environment& environment, ProcessRunner& runner)
{
    // Callers rely on this never failing visibly: whatever goes wrong, nothing is reported.
    try {
        if (const auto interpreter = findInterpreter(environment))
            runner.runAndWait(*interpreter, {"/c", std::string(commandLine)}, environment);
    } catch (...) {
    }
}

} // namespace core
