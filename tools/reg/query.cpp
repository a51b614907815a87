// REG QUERY: a key's values and subkeys, or everything below it, as Wine's reg prints them.

#include "tools/reg/command.h"

#include "core/registry/value_data.h"
#include "core/text/unicode.h"

#include <cstdio>

namespace regtool {
namespace {

using core::RegStatus;

std::string queryHelp()
{
    return std::string("REG QUERY <key> [/v value_name | /ve] [/s]\n"
                       "\n"
                       "  Queries a specified registry key and lists all immediate subkeys, values\n"
                       "  and data within that key. Use [/s] to recursively query each subkey.\n"
                       "\n"
                       "  <key>\n"
                       "     The registry key to query.\n"
                       "\n") +
           RootList +
           "  /v <value_name>\n"
           "     The name of the registry value to query. If neither [/v] nor [/ve] is\n"
           "     specified, all values under <key> are listed.\n"
           "\n"
           "  /ve\n"
           "     Query an unnamed registry value. This option queries the (Default)\n"
           "     registry value.\n"
           "\n"
           "  /s\n"
           "     List all registry entries under <key> and its subkeys.\n"
           "\n";
}

// What Wine's `reg query` shows for each type; the types it has no words for print "(null)".
std::string typeName(std::uint32_t type)
{
    switch (type) {
    case core::RegNone: return "REG_NONE";
    case core::RegSz: return "REG_SZ";
    case core::RegExpandSz: return "REG_EXPAND_SZ";
    case core::RegBinary: return "REG_BINARY";
    case core::RegDword: return "REG_DWORD";
    case core::RegDwordBigEndian: return "REG_DWORD_BIG_ENDIAN";
    case core::RegMultiSz: return "REG_MULTI_SZ";
    case core::RegQword: return "REG_QWORD";
    default: return "(null)";
    }
}

std::string dataText(std::uint32_t type, const std::vector<std::uint8_t>& data)
{
    switch (type) {
    case core::RegSz:
    case core::RegExpandSz:
        return core::text::toUtf8(core::dataString(data));
    case core::RegNone:
    case core::RegBinary: {
        std::string out;
        char digits[3];
        for (const std::uint8_t byte : data) {
            std::snprintf(digits, sizeof digits, "%02X", static_cast<unsigned>(byte));
            out += digits;
        }
        return out;
    }
    case core::RegDword:
    case core::RegDwordBigEndian: {
        // Wine reads the first four bytes as they lie, also for the big-endian type.
        std::uint32_t number = 0;
        for (std::size_t i = 0; i < 4 && i < data.size(); ++i)
            number |= std::uint32_t(data[i]) << (8 * i);
        char text[16];
        std::snprintf(text, sizeof text, "0x%x", static_cast<unsigned>(number));
        return text;
    }
    case core::RegMultiSz: {
        // The strings joined by "\0", without the list's two closing zeros.
        const std::u16string text = core::dataUnits(data);
        std::string out;
        for (std::size_t i = 0; i + 2 < text.size(); ++i) {
            if (text[i] == u'\0')
                out += "\\0";
            else
                out += core::text::toUtf8(std::u16string_view(&text[i], 1));
        }
        return out;
    }
    default:
        return "(null)";
    }
}

void printValue(Session& session, std::string_view name, std::uint32_t type, const std::vector<std::uint8_t>& data)
{
    session.say("    " + shownName(name) + "    " + typeName(type) + "    " + dataText(type, data) + "\n");
}

// A key's values under its name; the key below the queried one shows its name even without values.
void printKey(Session& session, core::KeyHandle key, const std::string& path, bool below)
{
    const auto values = session.valuesOf(key);
    if (!values.empty() || below)
        session.say(path + "\n");
    for (const auto& value : values)
        printValue(session, value.name, value.type, value.data);
    if (!values.empty() || below)
        session.say("\n");
}

// The value `name` wherever it is in the key and below it; returns how often it was found.
int printValueEverywhere(Session& session, core::KeyHandle top, const KeyName& key, const std::string& name)
{
    int found = 0;
    const auto print = [&](core::KeyHandle handle, const std::string& path) {
        core::RegValue value;
        if (session.registry().queryValue(handle, name, value) == RegStatus::Success) {
            session.say(path + "\n");
            printValue(session, name, value.type, value.data);
            session.say("\n");
            ++found;
        }
    };
    print(top, key.display());
    session.walkBelow(top, key.display(), key, false, print);
    return found;
}

int query(Session& session, const std::vector<std::string>& args, const Options& options)
{
    if (options.has("v") && options.has("ve"))
        return session.fail(invalidSyntax("query"));
    KeyName key;
    core::KeyHandle handle;
    if (const auto failed = session.openToRead(args[0], key, handle))
        return *failed;

    session.say("\n");
    const std::string path = key.display();
    const bool recurse = options.has("s");
    int result = 0;
    if (options.has("v") || options.has("ve")) {
        const std::string name = options.get("v");
        if (recurse) {
            const int found = printValueEverywhere(session, handle, key, name);
            session.say("Search complete. Number of matches found: " + std::to_string(found) + "\n");
        } else {
            core::RegValue value;
            if (session.registry().queryValue(handle, name, value) == RegStatus::Success) {
                session.say(path + "\n");
                printValue(session, name, value.type, value.data);
                session.say("\n");
            } else if (!name.empty()) {
                result = session.fail(ValueMissing);
            } else {
                session.say(path + "\n    (Default)    REG_SZ    (value not set)\n");
            }
        }
    } else {
        printKey(session, handle, path, false);
        if (recurse) {
            session.walkBelow(handle, path, key, false, [&](core::KeyHandle subkey, const std::string& subpath) {
                printKey(session, subkey, subpath, true);
            });
        } else {
            for (const auto& name : session.subkeysOf(handle))
                session.say(path + "\\" + name + "\n");
        }
    }
    session.registry().closeKey(handle);
    return result;
}

} // namespace

const Command QueryCommand{"query", queryHelp, 1, {"ve", "s"}, {"v"}, query};

} // namespace regtool
