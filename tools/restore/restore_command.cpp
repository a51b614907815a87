#include "tools/restore/restore_command.h"

#include "core/error.h"
#include "core/restore/failure.h"
#include "core/io/atomic_file.h"
#include "core/platform/system_calls.h"
#include "core/text/ascii.h"
#include "core/text/unicode.h"
#include "tools/locale/locale_text.h"
#include "tools/reg/value_text.h"
#include "tools/restore/change_names.h"
#include "tools/restore/changes_file.h"

#include <charconv>
#include <filesystem>

namespace restoretool {
namespace {

using core::restore::KeyState;
using core::restore::PointKind;
using localetext::format;
using localetext::tr;

const char* const Help =
    localetext::N_("System Restore: the restore points of the machine's registry.\n"
                   "\n"
                   "Usage:\n"
                   "  dostrojnik-restore                 opens the program's window\n"
                   "  dostrojnik-restore list            lists the points: number, time, kind and description\n"
                   "                                     (separated by tabs), oldest first\n"
                   "  dostrojnik-restore create \"text\"   creates a restore point with this description\n"
                   "  dostrojnik-restore changes N       lists the registry's changes since point N, key by key,\n"
                   "                                     each with the option of Dostrojnik that makes it\n"
                   "  dostrojnik-restore changes N /export FILE\n"
                   "                                     writes those changes into FILE as a registry editor\n"
                   "                                     file (.reg), which makes them on another machine\n"
                   "  dostrojnik-restore restore N       restores the registry from point N; the state before\n"
                   "                                     the restore is kept as a new point\n"
                   "  dostrojnik-restore delete N        deletes point N\n"
                   "  dostrojnik-restore /?, --help      shows this help\n"
                   "\n"
                   "A restore point keeps the machine's registry files (system.reg, user.reg, userdef.reg) in its\n"
                   "folder drive_c/System Volume Information/_restore. The machine is the folder WINEPREFIX, else\n"
                   "~/.local/share/kwintor-dostrojnik/machine. Dostrojnik makes an automatic point before the\n"
                   "first registry change of each run; the 20 newest automatic points stay.\n"
                   "Exit status: 0 on success, 1 on an error (with a message).\n");

// The key's change as `changes N` words it; the window has its own words (stateText).
const char* changeText(KeyState state)
{
    switch (state) {
    case KeyState::Added: return tr("Key added");
    case KeyState::Removed: return tr("Key removed");
    case KeyState::Changed: return tr("Key changed");
    }
    return "";
}

// The kind as `list` words it; the window has its own words (core::restore::kindName).
const char* kindText(PointKind kind)
{
    switch (kind) {
    case PointKind::User: return tr("manual");
    case PointKind::Automatic: return tr("automatic");
    case PointKind::BeforeRestore: return tr("before restore");
    }
    return "";
}

// Text of a point.ini as it may go to a terminal: control characters (C0, DEL and C1, which
// could move the cursor or retitle the window) become "?".
std::string printable(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 || c == 0x7F) {
            out += '?';
        } else if (c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                   static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
            out += '?';
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

class Command {
public:
    Command(const StoreOpener& store, Output& output) : m_store(store), m_output(output) {}

    // `arguments` in UTF-8; `commandLine` the same as they came, whose file names are opened as
    // their bytes are.
    int run(const std::vector<std::string>& arguments, const std::vector<std::string>& commandLine)
    {
        if (arguments.empty() || arguments[0] == "/?" || arguments[0] == "-?" || arguments[0] == "--help") {
            m_output.out += tr(Help);
            return 0;
        }
        const std::string command = core::text::asciiLower(arguments[0]);
        const std::vector<std::string> rest(arguments.begin() + 1, arguments.end());
        if (command == "list")
            return expect(rest, 0) ? list() : 1;
        if (command == "create")
            return expect(rest, 1) ? create(rest[0]) : 1;
        int number = 0;
        const bool numbered = command == "changes" || command == "restore" || command == "delete";
        if (!numbered)
            return fail(format(tr("Unknown command \"%1\". Commands: dostrojnik-restore /?"), {arguments[0]}));
        if (command == "changes" && rest.size() == 3 && core::text::asciiLower(rest[1]) == "/export")
            return parseNumber(rest[0], number) ? exportChanges(number, commandLine[3], rest[2]) : 1;
        if (!expect(rest, 1) || !parseNumber(rest[0], number))
            return 1;
        if (command == "changes")
            return changes(number);
        if (command == "restore")
            return restore(number);
        return remove(number);
    }

private:
    int fail(const std::string& message)
    {
        m_output.err += format(tr("Error: %1\n"), {message});
        return 1;
    }

    bool expect(const std::vector<std::string>& rest, std::size_t count)
    {
        if (rest.size() == count)
            return true;
        fail(tr("Wrong number of arguments. Syntax: dostrojnik-restore /?"));
        return false;
    }

    bool parseNumber(const std::string& text, int& number)
    {
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
        if (error == std::errc() && end == text.data() + text.size() && number > 0)
            return true;
        fail(format(tr("\"%1\" is not the number of a restore point."), {text}));
        return false;
    }

    int list()
    {
        const auto points = m_store().list();
        if (points.empty())
            m_output.out += tr("There are no restore points.\n");
        for (const auto& point : points)
            m_output.out += std::to_string(point.number) + "\t" + printable(point.time) + "\t" +
                            std::string(kindText(point.kind)) + "\t" + printable(point.description) + "\n";
        return 0;
    }

    int create(const std::string& description)
    {
        const auto point = m_store().create(PointKind::User, description);
        m_output.out += format(tr("Created restore point %1.\n"), {std::to_string(point.number)});
        return 0;
    }

    int changes(int number)
    {
        const auto found = core::restore::changesSince(m_store(), number);
        if (found.empty())
            m_output.out += format(tr("No changes since point %1.\n"), {std::to_string(number)});
        m_output.out += changesText(found, programChangeNames());
        return 0;
    }

    int exportChanges(int number, const std::filesystem::path& file, const std::string& shown)
    {
        const auto found = core::restore::changesSince(m_store(), number);
        // Written beside and renamed into place: an earlier file is never left half overwritten.
        if (const auto error = core::io::replaceFile(core::posixSystemCalls(), file, changesRegFile(found)))
            return fail(format(tr("Cannot write the file %1: %2."), {shown, core::io::describe(error)}));
        m_output.out += format(tr("Wrote the changes since point %1 into %2.\n"), {std::to_string(number), shown});
        return 0;
    }

    int restore(int number)
    {
        const auto before = m_store().restore(number);
        m_output.out += format(tr("Restored point %1. The state before the restore is point %2.\n"),
                               {std::to_string(number), std::to_string(before.number)});
        return 0;
    }

    int remove(int number)
    {
        m_store().remove(number);
        m_output.out += format(tr("Deleted restore point %1.\n"), {std::to_string(number)});
        return 0;
    }

    const StoreOpener& m_store;
    Output& m_output;
};

} // namespace

int runCommand(const std::vector<std::string>& commandLine, const StoreOpener& store, Output& output)
{
    // A description is kept in UTF-8; the command line comes in the locale's character set.
    localetext::Encoder decoder({}, localetext::Encoder::Towards::Utf8);
    std::vector<std::string> arguments;
    arguments.reserve(commandLine.size());
    for (const std::string& argument : commandLine)
        arguments.push_back(decoder.encode(argument));
    Command command(store, output);
    try {
        return command.run(arguments, commandLine);
    } catch (const core::restore::Failure& failure) {
        output.err += format(tr("Error: %1\n"), {core::restore::fillIn(tr(failure.english()), failure.arguments())});
        return 1;
    } catch (const core::Error& error) {
        output.err += format(tr("Error: %1\n"), {error.what()});
        return 1;
    }
}

std::string stateText(KeyState state)
{
    switch (state) {
    case KeyState::Added: return "Klucz dodany";
    case KeyState::Removed: return "Klucz usunięty";
    case KeyState::Changed: return "Klucz zmieniony";
    }
    return {};
}

std::string valueText(const core::registry::HiveValue& value)
{
    return regtool::typeName(value.type) + "    " + regtool::dataText(value.type, value.data);
}

std::string changesText(const std::vector<core::restore::KeyChange>& changes, const ChangeNames& names)
{
    std::string text;
    for (const auto& change : changes) {
        text += std::string(changeText(change.state)) + ": " + core::restore::keyName(change) + "\n";
        if (const std::string name = names.keyName(change); !name.empty())
            text += "    " + name + "\n";
        for (const auto& value : change.values) {
            if (value.before)
                text +=
                    "-" + regtool::queryLine(core::text::toUtf8(value.name), value.before->type, value.before->data);
            if (value.after)
                text += "+" + regtool::queryLine(core::text::toUtf8(value.name), value.after->type, value.after->data);
            if (const std::string name = names.valueName(change, value); !name.empty())
                text += "    " + name + "\n";
        }
        text += "\n";
    }
    return text;
}

} // namespace restoretool
