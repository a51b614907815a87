// REG DELETE: a key with everything below it, one value, or all values of a key.

#include "tools/reg/command.h"

namespace regtool {
namespace {

using core::RegStatus;

std::string deleteHelp()
{
    return std::string(tr("REG DELETE <key> [/v value_name | /ve | /va] [/f]\n"
                          "\n"
                          "  Deletes a registry key (including all subkeys and values), or deletes\n"
                          "  one or more values from a given registry key.\n"
                          "\n"
                          "  <key>\n"
                          "     The registry key to delete or, if one of [/v], [/ve] or [/va] is\n"
                          "     specified, the registry key in which to delete one or more values.\n"
                          "\n")) +
           tr(RootList) +
           tr("  /v <value_name>\n"
              "     The name of the registry value to delete.\n"
              "\n"
              "  /ve\n"
              "     Delete an unnamed registry value. This option deletes the (Default)\n"
              "     registry value.\n"
              "\n"
              "  /va\n"
              "     Delete all values from a registry key.\n"
              "\n"
              "  /f\n"
              "     Delete a registry key (including all subkeys and values) without\n"
              "     prompting for confirmation.\n"
              "\n");
}

int remove(Session& session, const std::vector<std::string>& args, const Options& options)
{
    if (int(options.has("v")) + int(options.has("ve")) + int(options.has("va")) > 1)
        return session.fail(invalidSyntax("delete"));
    KeyName key;
    if (const auto error = parseKey(args[0], key))
        return session.fail(*error);
    const bool wholeKey = !options.has("v") && !options.has("ve") && !options.has("va");
    // Wine would empty the whole hive here; a root key is never deleted.
    if (wholeKey && key.path.empty())
        return session.fail(tr("reg: Invalid registry key\n"));

    auto& reg = session.registry();
    RegStatus status;
    core::KeyHandle handle = session.open(key, core::Access::Read, status);
    if (status == RegStatus::NotFound)
        return session.fail(tr(KeyMissing));
    if (status != RegStatus::Success)
        return session.failBecause(tr("Unable to read the registry"));
    reg.closeKey(handle);

    const std::string valueName = options.get("v");
    const bool force = options.has("f");
    if (wholeKey) {
        if (!force &&
            !session.ask(format(tr("Are you sure you want to delete the registry key '%1'?"), {key.display()}))) {
            session.say(tr(Cancelled));
            return 0;
        }
        if (!session.deleteTree(key.root, key.path))
            return session.failBecause(format(tr("Unable to delete the registry key '%1'"), {key.display()}));
        session.succeed();
        return 0;
    }
    if (options.has("va")) {
        if (!force &&
            !session.ask(format(tr("Are you sure you want to delete all registry values in '%1'?"), {key.display()}))) {
            session.say(tr(Cancelled));
            return 0;
        }
    } else if (!force && !session.ask(format(tr("Are you sure you want to delete the registry value '%1'?"),
                                             {shownName(valueName)}))) {
        session.say(tr(Cancelled));
        return 0;
    }

    handle = session.open(key, core::Access::AllAccess, status);
    if (status != RegStatus::Success)
        return session.failBecause(tr("Unable to access the specified registry key"));
    int result = 0;
    if (options.has("va")) {
        for (const auto& value : session.valuesOf(handle)) {
            if (reg.deleteValue(handle, value.name) != RegStatus::Success) {
                result = session.failBecause(tr("Unable to delete all specified values"));
                break;
            }
        }
    } else {
        status = reg.deleteValue(handle, valueName);
        if (status == RegStatus::NotFound)
            result = session.fail(tr(ValueMissing));
        else if (status != RegStatus::Success)
            result =
                session.failBecause(format(tr("Unable to delete the registry value '%1'"), {shownName(valueName)}));
    }
    if (result == 0)
        session.succeed();
    reg.closeKey(handle);
    return result;
}

} // namespace

const Command DeleteCommand{"delete", deleteHelp, 1, {"ve", "va", "f"}, {"v"}, {}, remove};

} // namespace regtool
