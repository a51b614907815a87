#pragma once

#include "core/platform/environment.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace core {

// Starts programs for the shell command; a seam so that tests can see what would run.
class ProcessRunner {
public:
    virtual ~ProcessRunner() = default;
    // Runs `program` with `arguments` (argv[1]...) and `environment` in this process's current
    // folder, and waits until it ends. False when it could not be started.
    virtual bool runAndWait(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                            const Environment& environment) = 0;
};

ProcessRunner& hostProcessRunner();

// Hands `commandLine` to the command interpreter named by COMSPEC of `environment` (else
// "CMD.EXE" found along its PATH) as "/c" followed by the line unchanged, starts it with that
// environment, and waits for it. Its status is ignored and nothing is reported: a missing
// interpreter simply runs nothing.
void shellCommand(std::string_view commandLine, const Environment& environment = thisProcessEnvironment(),
                  ProcessRunner& runner = hostProcessRunner());

// The shell command that starts the system's restore tool. Windows XP keeps the tool in
// System32\Restore, later Windows in System32 itself; the XP line serves where neither file
// exists, and everywhere on the emulated machine, which maps it.
std::string restoreToolCommand(const Environment& environment = thisProcessEnvironment());

} // namespace core
