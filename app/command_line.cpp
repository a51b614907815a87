#include "app/command_line.h"

#include "tools/locale/locale_text.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace app {
namespace {

using localetext::format;
using localetext::tr;

// Qt reads these with one dash or two; the first ones take the next argument (or "=value").
constexpr std::array<std::string_view, 14> QtOptionsWithValue = {
    "platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry", "qwindowicon", "qwindowtitle",
    "session",  "display",            "geometry",      "style",  "stylesheet",      "name",        "title"};
constexpr std::array<std::string_view, 7> QtFlags = {"reverse", "widgetcount", "nograb",  "dograb",
                                                     "sync",    "qmljsdebugger", "visual"};

template <std::size_t N>
bool contains(const std::array<std::string_view, N>& list, std::string_view name)
{
    return std::find(list.begin(), list.end(), name) != list.end();
}

CommandLineAnswer mistake(const std::string& what)
{
    return {false, 2, {},
            what + "\n" + format(tr("Try '%1 --help' for more information.\n"), {"dostrojnik"})};
}

} // namespace

CommandLineAnswer readCommandLine(const std::vector<std::string>& arguments)
{
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "-h" || argument == "--help")
            return {false, 0,
                    format(tr("Usage: %1 [OPTION]...\n"
                              "Opens Kwintor Dostrojnik 2004, the configuration tool for Windows XP, on the\n"
                              "emulated Windows machine: the folder named by WINEPREFIX, else\n"
                              "~/.local/share/kwintor-dostrojnik/machine.\n"
                              "\n"
                              "  -h, --help     show this help and exit\n"
                              "  -V, --version  show the version and exit\n"
                              "  --check-pictures FILE...\n"
                              "                 decode picture files as the wallpaper preview does, print\n"
                              "                 their sizes and exit (1 when one fails)\n"
                              "\n"
                              "Qt's own options (-platform, -display, -style ...) are passed on to Qt.\n"
                              "The settings file, restore points and the machine's tools: man %1\n"),
                           {"dostrojnik"}),
                    {}};
        if (argument == "-V" || argument == "--version")
            return {false, 0, std::string("dostrojnik ") + DOSTROJNIK_VERSION + "\n", {}};
        if (argument.size() < 2 || argument[0] != '-')
            return mistake(format(tr("%1: extra operand '%2'"), {"dostrojnik", argument}));
        std::string_view name(argument);
        name.remove_prefix(name.starts_with("--") ? 2 : 1);
        const std::size_t equals = name.find('=');
        const bool valueGiven = equals != std::string_view::npos;
        name = name.substr(0, equals);
        if (contains(QtOptionsWithValue, name)) {
            if (!valueGiven)
                ++i;
        } else if (!contains(QtFlags, name)) {
            return mistake(format(tr("%1: unrecognized option '%2'"), {"dostrojnik", argument}));
        }
    }
    return {};
}

} // namespace app
