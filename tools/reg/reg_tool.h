#pragma once

#include "core/registry/registry_api.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace regtool {

// Where the tool talks to the user: standard output and standard input.
class Console {
public:
    virtual ~Console() = default;
    virtual void write(std::string_view utf8) = 0;
    // One line of input without its line end; empty optional at the end of the input.
    virtual std::optional<std::string> readLine() = 0;
};

// Opens the machine's registry when a command needs it; throws core::Error when it cannot.
using RegistryOpener = std::function<core::RegistryApi&()>;

// Runs one command of the registry tool (`commandLine` without the program name, in the locale's
// character set) with the syntax of Windows' reg.exe and the messages of Wine's `reg`; returns
// the exit status, 0 or 1. A file name is opened as its bytes came.
int runReg(const std::vector<std::string>& commandLine, const RegistryOpener& registry, Console& console);

} // namespace regtool
