// START: a program that goes on by itself, or with /WAIT is waited for.

#include "tools/cmd/command.h"
#include "tools/cmd/external_program.h"

#include "core/text/ascii.h"

namespace cmdtool {
namespace {

int start(Session& session, const CommandLine& line)
{
    const std::string_view rest = line.rest;
    std::vector<Token> tokens = tokenize(rest);
    std::size_t index = 0;
    // A quoted first word is the window's title.
    if (index < tokens.size() && tokens[index].quoted)
        ++index;
    bool wait = false;
    int walkError = 0;
    Descriptor folder = session.drive().openFolder(session.current(), walkError);
    while (index < tokens.size() && !tokens[index].quoted && tokens[index].text.starts_with('/')) {
        const std::string option = core::text::asciiLower(tokens[index].text);
        std::optional<std::string> folderName; // "/d path" or "/dpath"
        if (option == "/wait") {
            wait = true;
        } else if (option == "/d" || option == "/affinity" || option == "/node") {
            if (option == "/d" && index + 1 < tokens.size())
                folderName = tokens[index + 1].text;
            ++index;
        } else if (option.starts_with("/d") && option.size() > 2) {
            folderName = tokens[index].text.substr(2);
        }
        if (folderName) {
            folder = session.openFolder(*folderName);
            if (!folder) {
                session.error(tr(PathNotFound));
                return 1;
            }
        }
        ++index;
    }
    if (index >= tokens.size())
        return 0; // a new console window, which this machine has none of
    const std::string& name = tokens[index].text;
    const auto program = findProgram(session, name);
    const std::vector<std::string> arguments =
        programArguments(tokens[index].end < rest.size() ? rest.substr(tokens[index].end) : std::string_view());
    const int status = program && folder ? startProgram(session, *program, arguments, folder, !wait) : -1;
    if (status < 0) {
        session.error(format(tr("The system cannot find the file %1."), {name}));
        return 1;
    }
    return status;
}

} // namespace

const Command StartCommand{{"start"}, start};

} // namespace cmdtool
