// EXIT: ends with the code given, 0 without one.

#include "tools/cmd/command.h"

#include "core/text/ascii.h"

#include <cstdlib>

namespace cmdtool {
namespace {

int exitWith(Session&, const CommandLine& line)
{
    for (const auto& arg : line.args)
        if (core::text::asciiLower(arg.text) != "/b")
            return std::atoi(arg.text.c_str());
    return 0;
}

} // namespace

const Command ExitCommand{{"exit"}, exitWith};

} // namespace cmdtool
