#include "tools/reg/reg_tool.h"

#include "core/error.h"
#include "core/text/ascii.h"
#include "tools/locale/locale_text.h"
#include "tools/reg/command.h"

#include <algorithm>

namespace regtool {
namespace {

const char* const MainHelp =
    N_("Usage:\n"
       "  REG [operation] [parameters]\n"
       "\n"
       "Supported operations:\n"
       "  ADD | DELETE | EXPORT | IMPORT | QUERY\n"
       "\n"
       "For help on a specific operation, type:\n"
       "  REG [operation] /?\n"
       "\n"
       "dostrojnik-reg works on the registry of the emulated Windows machine: the folder named by\n"
       "WINEPREFIX, else ~/.local/share/kwintor-dostrojnik/machine (system.reg holds\n"
       "HKEY_LOCAL_MACHINE, user.reg HKEY_CURRENT_USER). While Wine's server runs on that folder the\n"
       "registry belongs to Wine, and changes are refused.\n");

const Command* const Commands[] = {&QueryCommand, &AddCommand, &DeleteCommand, &ExportCommand, &ImportCommand};

bool isHelp(const std::string& argument)
{
    return argument == "/?" || argument == "-?" || argument == "--help";
}

// Splits the arguments after the operation into its positional ones and its options; false
// when they do not follow the command's syntax.
bool parseArguments(const Command& command, const std::vector<std::string>& args, std::vector<std::string>& positionals,
                    Options& options)
{
    if (args.size() < 1 + command.positionals)
        return false;
    positionals.assign(args.begin() + 1, args.begin() + 1 + static_cast<std::ptrdiff_t>(command.positionals));
    auto contains = [](const std::vector<std::string>& list, const std::string& item) {
        return std::find(list.begin(), list.end(), item) != list.end();
    };
    for (std::size_t i = 1 + command.positionals; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.size() < 2 || (arg[0] != '/' && arg[0] != '-'))
            return false;
        const std::string name = core::text::asciiLower(arg.substr(1));
        if (options.has(name))
            return false;
        if (contains(command.flags, name)) {
            options.values[name];
        } else if (contains(command.withArgument, name)) {
            if (i + 1 >= args.size())
                return false;
            options.values[name] = args[++i];
        } else {
            return false;
        }
    }
    return true;
}

} // namespace

int runReg(const std::vector<std::string>& commandLine, const RegistryOpener& registry, Console& console)
{
    // Keys, values and data are UTF-8 in the registry; the command line comes in the locale's
    // character set.
    localetext::Encoder decoder({}, localetext::Encoder::Towards::Utf8);
    std::vector<std::string> args;
    args.reserve(commandLine.size());
    for (const std::string& argument : commandLine)
        args.push_back(decoder.encode(argument));
    Session session(registry, console);
    if (args.empty())
        return session.fail(tr("reg: Invalid syntax. Type \"dostrojnik-reg /?\" for help.\n"));
    const std::string operation = core::text::asciiLower(args[0]);
    if (isHelp(operation)) {
        session.say(tr(MainHelp));
        return 0;
    }
    const auto found = std::find_if(std::begin(Commands), std::end(Commands),
                                    [&](const Command* command) { return command->name == operation; });
    if (found == std::end(Commands))
        return session.fail(format(tr("reg: Invalid option [%1]. Type \"dostrojnik-reg /?\" for help.\n"), {args[0]}));
    const Command& command = **found;
    if (args.size() >= 2 && isHelp(args[1])) {
        if (args.size() > 2)
            return session.fail(invalidSyntax(operation));
        session.say(command.help());
        return 0;
    }
    std::vector<std::string> positionals;
    Options options;
    if (!parseArguments(command, args, positionals, options))
        return session.fail(invalidSyntax(operation));
    if (command.hostFile)
        options.file = commandLine[1 + *command.hostFile];
    int status = 0;
    try {
        status = command.run(session, positionals, options);
    } catch (const core::Error& error) {
        status = session.fail(format(tr("reg: %1\n"), {error.what()}));
    }
    return session.finish(status);
}

} // namespace regtool
