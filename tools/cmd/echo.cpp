// ECHO: shows the rest of the line, or the echo state.

#include "tools/cmd/command.h"

namespace cmdtool {
namespace {

// "echo." and "echo:" print what follows; "echo" alone tells the echo state.
int echo(Session& session, const CommandLine& line)
{
    const std::string_view rest = line.text.substr(line.name.size());
    if (rest.empty()) {
        session.say(tr("ECHO is on."));
        return 0;
    }
    const std::string_view text = rest.substr(1);
    session.say(isBlank(rest.front()) && trimLeft(text).empty() ? std::string_view(tr("ECHO is on.")) : text);
    return 0;
}

} // namespace

const Command EchoCommand{{"echo"}, echo, true};

} // namespace cmdtool
