#pragma once

#include <string>
#include <vector>

namespace app {

// What the command line asks of the program before anything else happens: to start, or to
// print the usage, the version or a mistake and exit with `status`.
struct CommandLineAnswer {
    bool start = true;
    int status = 0;
    std::string out; // for standard output
    std::string err; // for standard error
};

// Reads the program's arguments (without its name); the options of Qt pass on to Qt. A mistake
// exits with 2, as Linux programs do for a wrong command line.
CommandLineAnswer readCommandLine(const std::vector<std::string>& arguments);

} // namespace app
