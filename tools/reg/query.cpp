// REG QUERY: a key's values and subkeys, or everything below it, as Wine's reg prints them.

#include "tools/reg/command.h"

#include "core/text/unicode.h"

namespace regtool {
namespace {

using core::RegStatus;

std::string queryHelp()
{
    return std::string(tr("REG QUERY <key> [/v value_name | /ve] [/s]\n"
                          "\n"
                          "  Queries a specified registry key and lists all immediate subkeys, values\n"
                          "  and data within that key. Use [/s] to recursively query each subkey.\n"
                          "\n"
                          "  <key>\n"
                          "     The registry key to query.\n"
                          "\n")) +
           tr(RootList) +
           tr("  /v <value_name>\n"
              "     The name of the registry value to query. If neither [/v] nor [/ve] is\n"
              "     specified, all values under <key> are listed.\n"
              "\n"
              "  /ve\n"
              "     Query an unnamed registry value. This option queries the (Default)\n"
              "     registry value.\n"
              "\n"
              "  /s\n"
              "     List all registry entries under <key> and its subkeys.\n"
              "\n");
}

void printValue(Session& session, std::string_view name, std::uint32_t type, const std::vector<std::uint8_t>& data)
{
    session.say(queryLine(name, type, data));
}

// A key's values under its name, said at once; the key below the queried one shows its name even
// without values. `text` keeps its memory from key to key.
void printKey(Session& session, std::string& text, const std::vector<core::RegValue>& values, const std::string& path,
              bool below)
{
    if (values.empty() && !below)
        return;
    text.assign(path).append("\n");
    for (const auto& value : values)
        appendQueryLine(text, value.name, value.type, value.data);
    text += '\n';
    session.say(text);
}

// The value `name` wherever it is in the key and below it; returns how often it was found.
int printValueEverywhere(Session& session, core::KeyHandle top, const KeyName& key, const std::string& name)
{
    int found = 0;
    const auto print = [&](const std::string& path, const core::RegValue& value) {
        session.say(path + "\n");
        printValue(session, name, value.type, value.data);
        session.say("\n");
        ++found;
    };
    core::RegValue value;
    if (session.registry().queryValue(top, name, value) == RegStatus::Success)
        print(key.display(), value);
    // The registry's own comparison of names, as queryValue makes it.
    const std::u16string wanted = core::text::toUtf16(name);
    session.walkBelow(top, key.display(), key, false,
                      [&](const std::string& path, const std::vector<core::RegValue>& values) {
                          for (const auto& candidate : values)
                              if (core::text::compareNoCase(core::text::toUtf16(candidate.name), wanted) == 0)
                                  print(path, candidate);
                      });
    return found;
}

int query(Session& session, const std::vector<std::string>& args, const Options& options)
{
    if (options.has("v") && options.has("ve"))
        return session.fail(invalidSyntax("query"));
    KeyName key;
    core::KeyHandle handle;
    const bool recurse = options.has("s");
    if (const auto failed = session.openToRead(args[0], key, handle, recurse))
        return *failed;

    session.say("\n");
    const std::string path = key.display();
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
                result = session.fail(tr(ValueMissing));
            } else {
                session.say(path + "\n    (Default)    REG_SZ    (value not set)\n");
            }
        }
    } else {
        std::string text;
        printKey(session, text, session.valuesOf(handle), path, false);
        if (recurse) {
            session.walkBelow(handle, path, key, false,
                              [&](const std::string& subpath, const std::vector<core::RegValue>& values) {
                                  printKey(session, text, values, subpath, true);
                              });
        } else {
            std::vector<std::string> names;
            if (session.registry().enumKeys(handle, names) != RegStatus::Success)
                result = session.failBecause(tr("Unable to read the registry"));
            for (const auto& name : names)
                session.say(path + "\\" + name + "\n");
        }
    }
    session.registry().closeKey(handle);
    return result;
}

} // namespace

const Command QueryCommand{"query", queryHelp, 1, {"ve", "s"}, {"v"}, {}, query};

} // namespace regtool
