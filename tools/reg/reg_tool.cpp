#include "tools/reg/reg_tool.h"

#include "core/error.h"
#include "core/io/atomic_file.h"
#include "core/registry/value_data.h"
#include "core/text/unicode.h"
#include "tools/reg/reg_file.h"
#include "tools/reg/value_text.h"
#include "core/text/ascii.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <iterator>
#include <map>
#include <memory>

namespace regtool {
namespace {

using core::RegStatus;

constexpr const char* Success = "reg: The operation completed successfully\n";
constexpr const char* Cancelled = "reg: The registry operation was cancelled\n";
constexpr const char* KeyMissing = "reg: Unable to find the specified registry key\n";
constexpr const char* ValueMissing = "reg: Unable to find the specified registry value\n";

const char* const MainHelp =
    "Usage:\n"
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
    "registry belongs to Wine, and changes are refused.\n";

const char* const RootList =
    "     Format: ROOT\\Subkey\n"
    "\n"
    "     ROOT: A predefined registry key. This must be one of the following:\n"
    "\n"
    "         HKEY_LOCAL_MACHINE  | HKLM\n"
    "         HKEY_CURRENT_USER   | HKCU\n"
    "         HKEY_CLASSES_ROOT   | HKCR\n"
    "\n"
    "     Subkey: The full path to a registry key under a given ROOT key.\n"
    "\n";

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

std::string addHelp()
{
    return std::string("REG ADD <key> [/v value_name | /ve] [/t type] [/s separator] [/d data] [/f]\n"
                       "\n"
                       "  Adds a key to the registry or adds a new value to a given registry key.\n"
                       "\n"
                       "  <key>\n"
                       "     The registry key to add or, if either [/v] or [/ve] is specified,\n"
                       "     the key in which to add the new registry data.\n"
                       "\n") +
           RootList +
           "  /v <value_name>\n"
           "     The name of the registry value to add.\n"
           "\n"
           "  /ve\n"
           "     Add an unnamed registry value. This option modifies the (Default)\n"
           "     registry value.\n"
           "\n"
           "  /t <type>\n"
           "     The type of data to add to the registry. If [/t] is specified,\n"
           "     <type> must be one of the following:\n"
           "\n"
           "         REG_SZ    | REG_MULTI_SZ | REG_EXPAND_SZ\n"
           "         REG_DWORD | REG_QWORD    | REG_BINARY   | REG_NONE\n"
           "\n"
           "     If [/t] is not specified, the default data type is REG_SZ.\n"
           "\n"
           "  /s <separator>\n"
           "     The character used to separate strings in REG_MULTI_SZ data.\n"
           "     If [/s] is not specified, the default separator is \\0.\n"
           "\n"
           "  /d <data>\n"
           "     The data to add to the new registry value.\n"
           "\n"
           "  /f\n"
           "     Modify the registry without prompting for confirmation.\n"
           "\n";
}

std::string deleteHelp()
{
    return std::string("REG DELETE <key> [/v value_name | /ve | /va] [/f]\n"
                       "\n"
                       "  Deletes a registry key (including all subkeys and values), or deletes\n"
                       "  one or more values from a given registry key.\n"
                       "\n"
                       "  <key>\n"
                       "     The registry key to delete or, if one of [/v], [/ve] or [/va] is\n"
                       "     specified, the registry key in which to delete one or more values.\n"
                       "\n") +
           RootList +
           "  /v <value_name>\n"
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
           "\n";
}

std::string exportHelp()
{
    return std::string("REG EXPORT <key> <file> [/y]\n"
                       "\n"
                       "  Exports a specified registry key (including all subkeys and values)\n"
                       "  to a file.\n"
                       "\n"
                       "  <key>\n"
                       "     The registry key to export.\n"
                       "\n") +
           RootList +
           "  <file>\n"
           "     The name and path of the registry file that will be created.\n"
           "     This file must have a .reg extension.\n"
           "\n"
           "  /y\n"
           "     Overwrite <file> without prompting for confirmation.\n"
           "\n";
}

std::string importHelp()
{
    return "REG IMPORT <file>\n"
           "\n"
           "  Imports keys, values and data from a given file into the registry.\n"
           "  The file is a registry editor file (\"Windows Registry Editor Version 5.00\"\n"
           "  or \"REGEDIT4\"), in UTF-16 as REG EXPORT writes it, or in UTF-8.\n"
           "\n"
           "  <file>\n"
           "     The name and path of the registry file to import.\n"
           "\n";
}

std::string invalidSyntax(std::string_view operation)
{
    return "reg: Invalid syntax. Type \"REG " + core::text::asciiUpper(operation) + " /?\" for help.\n";
}

struct RootName {
    std::string_view shortName;
    std::string_view longName;
    core::RootKey root;
};

constexpr RootName Roots[] = {
    {"HKLM", "HKEY_LOCAL_MACHINE", core::RootKey::LocalMachine},
    {"HKCU", "HKEY_CURRENT_USER", core::RootKey::CurrentUser},
    {"HKCR", "HKEY_CLASSES_ROOT", core::RootKey::ClassesRoot},
};

struct KeyName {
    core::RootKey root = core::RootKey::CurrentUser;
    std::string shown;    // the path below the root as the user wrote it, for messages and output
    std::string path;     // the same with runs of separators taken as one, for the registry
    std::string display() const
    {
        std::string name;
        for (const RootName& entry : Roots)
            if (entry.root == root)
                name = entry.longName;
        return shown.empty() ? name : name + "\\" + shown;
    }
};

// Reads "HKCU\Software\x" as Wine's reg does; on failure returns its message.
std::optional<std::string> parseKey(std::string_view text, KeyName& key)
{
    if (text.size() < 3 || text.ends_with("\\\\"))
        return std::string("reg: Invalid registry key\n");
    if (text.starts_with("\\\\") && text[2] != '\\')
        return std::string("reg: Unable to access remote machine\n");
    const std::size_t separator = text.find('\\');
    const std::string root = core::text::asciiLower(text.substr(0, separator));
    const auto known = std::find_if(std::begin(Roots), std::end(Roots), [&](const RootName& entry) {
        return root == core::text::asciiLower(entry.shortName) || root == core::text::asciiLower(entry.longName);
    });
    if (known != std::end(Roots))
        key.root = known->root;
    else if (root == "hku" || root == "hkey_users" || root == "hkcc" || root == "hkey_current_config")
        return "reg: The emulated machine has no " + std::string(text.substr(0, separator)) +
               "; its roots are HKLM, HKCU and HKCR\n";
    else
        return std::string("reg: Invalid system key\n");
    if (separator == std::string_view::npos)
        return std::nullopt;
    std::string_view rest = text.substr(separator + 1);
    if (rest.empty())
        return std::string("reg: Invalid system key\n");
    if (rest.ends_with('\\'))
        rest.remove_suffix(1);
    key.shown = rest;
    for (const char c : rest)
        if (c != '\\' || (!key.path.empty() && key.path.back() != '\\'))
            key.path += c;
    if (!key.path.empty() && key.path.back() == '\\')
        key.path.pop_back();
    return std::nullopt;
}

// The options of one operation after its key: "/v name" style options take the next argument.
struct Options {
    std::map<std::string, std::string> values; // option (lower case, without '/') -> argument
    bool has(const std::string& name) const { return values.count(name) != 0; }
    std::string get(const std::string& name) const { return has(name) ? values.at(name) : std::string(); }
};

bool parseOptions(const std::vector<std::string>& args, std::size_t from, const std::vector<std::string>& flags,
                  const std::vector<std::string>& withArgument, Options& options)
{
    auto contains = [](const std::vector<std::string>& list, const std::string& item) {
        for (const auto& entry : list)
            if (entry == item)
                return true;
        return false;
    };
    for (std::size_t i = from; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.size() < 2 || (arg[0] != '/' && arg[0] != '-'))
            return false;
        const std::string name = core::text::asciiLower(arg.substr(1));
        if (options.has(name))
            return false;
        if (contains(flags, name)) {
            options.values[name];
        } else if (contains(withArgument, name)) {
            if (i + 1 >= args.size())
                return false;
            options.values[name] = args[++i];
        } else {
            return false;
        }
    }
    return true;
}

class Tool {
public:
    Tool(const RegistryOpener& opener, Console& console) : m_opener(opener), m_console(console) {}

    int run(const std::vector<std::string>& args);

private:
    core::RegistryApi& registry() { return m_opener(); }
    void say(std::string_view text) { m_console.write(text); }
    int fail(std::string_view text)
    {
        say(text);
        return 1;
    }
    // "reg: <what>", and after a colon why the registry failed when it tells.
    int failBecause(const std::string& what)
    {
        const std::string why = registry().lastFailure();
        return fail("reg: " + what + (why.empty() ? std::string() : ": " + why) + "\n");
    }

    // Asks until the answer begins with Y or N; the end of the input counts as No.
    bool ask(const std::string& question)
    {
        for (;;) {
            say(question + " (Yes|No)");
            const auto answer = m_console.readLine();
            if (!answer) {
                say("\n");
                return false;
            }
            const std::size_t first = answer->find_first_not_of(" \t");
            if (first != std::string::npos && (answer->at(first) == 'y' || answer->at(first) == 'Y'))
                return true;
            if (first != std::string::npos && (answer->at(first) == 'n' || answer->at(first) == 'N'))
                return false;
        }
    }

    core::KeyHandle open(const KeyName& key, core::Access access, RegStatus& status)
    {
        core::KeyHandle handle;
        status = registry().openKey(core::rootHandle(key.root), key.path, access, handle);
        return handle;
    }

    core::KeyHandle openFollowingLinks(core::KeyHandle parent, const std::string& name, RegStatus& status);
    core::KeyHandle openPathFollowingLinks(const KeyName& key, RegStatus& status);
    // Reads the key argument and opens the key for reading, links followed; when it cannot, says
    // why and gives the exit status.
    std::optional<int> openToRead(const std::string& argument, KeyName& key, core::KeyHandle& handle);

    int query(const std::vector<std::string>& args);
    int add(const std::vector<std::string>& args);
    int remove(const std::vector<std::string>& args);
    int exportKey(const std::vector<std::string>& args);
    int import(const std::vector<std::string>& args);

    void queryAll(core::KeyHandle key, const std::string& path, bool recurse, bool recursing);
    void queryValueEverywhere(core::KeyHandle key, const std::string& path, const std::string& name,
                              int& found);
    void printValue(std::string_view name, std::uint32_t type, const std::vector<std::uint8_t>& data);
    bool deleteTree(core::RootKey root, const std::string& path);
    bool exportTree(core::KeyHandle key, const std::string& path, RegFileWriter& writer);

    const RegistryOpener& m_opener;
    Console& m_console;
};

std::vector<std::string> subkeysOf(core::RegistryApi& registry, core::KeyHandle key)
{
    std::vector<std::string> names;
    std::string name;
    for (std::uint32_t i = 0; registry.enumKey(key, i, name) == RegStatus::Success; ++i)
        names.push_back(name);
    return names;
}

std::vector<core::RegValue> valuesOf(core::RegistryApi& registry, core::KeyHandle key)
{
    std::vector<core::RegValue> values;
    core::RegValue value;
    for (std::uint32_t i = 0; registry.enumValue(key, i, value) == RegStatus::Success; ++i)
        values.push_back(value);
    return values;
}

// The key that a symbolic link key of a Wine prefix points to: "\Registry\Machine\..." or
// the user hive's "\Registry\User\S-1-5-21-0-0-0-1000\...".
std::optional<std::pair<core::RootKey, std::string>> linkTarget(const std::vector<std::uint8_t>& data)
{
    const std::string target = core::text::toUtf8(core::dataString(data));
    for (const auto& [prefix, root] : {std::pair<std::string, core::RootKey>{"\\registry\\machine\\", core::RootKey::LocalMachine},
                                       {"\\registry\\user\\s-1-5-21-0-0-0-1000\\", core::RootKey::CurrentUser}}) {
        if (core::text::asciiLower(target.substr(0, prefix.size())) == prefix && target.size() > prefix.size())
            return std::pair(root, target.substr(prefix.size()));
    }
    return std::nullopt;
}

// Opens a subkey for reading as Wine does: a symbolic link key (one holding a REG_LINK
// "SymbolicLinkValue") stands for its target, and a link whose target is missing for nothing.
core::KeyHandle Tool::openFollowingLinks(core::KeyHandle parent, const std::string& name, RegStatus& status)
{
    auto& reg = registry();
    core::KeyHandle handle;
    status = reg.openKey(parent, name, core::Access::Read, handle);
    for (int hops = 0; status == RegStatus::Success && hops < 16; ++hops) {
        core::RegValue link;
        if (reg.queryValue(handle, "SymbolicLinkValue", link) != RegStatus::Success || link.type != core::RegLink)
            break;
        reg.closeKey(handle);
        handle = core::KeyHandle{};
        const auto target = linkTarget(link.data);
        status = target ? reg.openKey(core::rootHandle(target->first), target->second, core::Access::Read, handle)
                        : RegStatus::NotFound;
    }
    return handle;
}

core::KeyHandle Tool::openPathFollowingLinks(const KeyName& key, RegStatus& status)
{
    core::KeyHandle handle = core::rootHandle(key.root);
    status = RegStatus::Success;
    std::size_t pos = 0;
    while (pos < key.path.size()) {
        const std::size_t end = std::min(key.path.find('\\', pos), key.path.size());
        const core::KeyHandle parent = handle;
        handle = openFollowingLinks(parent, key.path.substr(pos, end - pos), status);
        if (parent != core::rootHandle(key.root))
            registry().closeKey(parent);
        if (status != RegStatus::Success)
            return core::KeyHandle{};
        pos = end + 1;
    }
    return handle;
}

std::optional<int> Tool::openToRead(const std::string& argument, KeyName& key, core::KeyHandle& handle)
{
    if (const auto error = parseKey(argument, key))
        return fail(*error);
    RegStatus status;
    handle = openPathFollowingLinks(key, status);
    if (status == RegStatus::NotFound)
        return fail(KeyMissing);
    if (status != RegStatus::Success)
        return failBecause("Unable to read the registry");
    return std::nullopt;
}

void Tool::printValue(std::string_view name, std::uint32_t type, const std::vector<std::uint8_t>& data)
{
    say(queryLine(name, type, data));
}

void Tool::queryAll(core::KeyHandle key, const std::string& path, bool recurse, bool recursing)
{
    auto& reg = registry();
    const auto values = valuesOf(reg, key);
    const auto subkeys = subkeysOf(reg, key);
    if (!values.empty() || recursing)
        say(path + "\n");
    for (const auto& value : values)
        printValue(value.name, value.type, value.data);
    if (!values.empty() || recursing)
        say("\n");
    for (const auto& name : subkeys) {
        const std::string subpath = path + "\\" + name;
        if (!recurse) {
            say(subpath + "\n");
            continue;
        }
        RegStatus status;
        const core::KeyHandle subkey = openFollowingLinks(key, name, status);
        if (status == RegStatus::Success) {
            queryAll(subkey, subpath, true, true);
            reg.closeKey(subkey);
        }
    }
}

void Tool::queryValueEverywhere(core::KeyHandle key, const std::string& path, const std::string& name, int& found)
{
    auto& reg = registry();
    core::RegValue value;
    if (reg.queryValue(key, name, value) == RegStatus::Success) {
        say(path + "\n");
        printValue(name, value.type, value.data);
        say("\n");
        ++found;
    }
    for (const auto& subname : subkeysOf(reg, key)) {
        RegStatus status;
        const core::KeyHandle subkey = openFollowingLinks(key, subname, status);
        if (status == RegStatus::Success) {
            queryValueEverywhere(subkey, path + "\\" + subname, name, found);
            reg.closeKey(subkey);
        }
    }
}

int Tool::query(const std::vector<std::string>& args)
{
    Options options;
    if (args.size() < 2 || !parseOptions(args, 2, {"ve", "s"}, {"v"}, options) ||
        (options.has("v") && options.has("ve")))
        return fail(invalidSyntax("query"));
    KeyName key;
    core::KeyHandle handle;
    if (const auto failed = openToRead(args[1], key, handle))
        return *failed;

    say("\n");
    const std::string path = key.display();
    const bool recurse = options.has("s");
    int result = 0;
    if (options.has("v") || options.has("ve")) {
        const std::string name = options.get("v");
        if (recurse) {
            int found = 0;
            queryValueEverywhere(handle, path, name, found);
            say("Search complete. Number of matches found: " + std::to_string(found) + "\n");
        } else {
            core::RegValue value;
            if (registry().queryValue(handle, name, value) == RegStatus::Success) {
                say(path + "\n");
                printValue(name, value.type, value.data);
                say("\n");
            } else if (!name.empty()) {
                result = fail(ValueMissing);
            } else {
                say(path + "\n    (Default)    REG_SZ    (value not set)\n");
            }
        }
    } else {
        queryAll(handle, path, recurse, false);
    }
    registry().closeKey(handle);
    return result;
}

// A number as reg.exe reads /d: decimal, or hexadecimal when the second character is 'x'.
bool parseNumber(const std::string& text, std::uint64_t limit, std::uint64_t& number)
{
    const int base = text.size() > 1 && (text[1] == 'x' || text[1] == 'X') ? 16 : 10;
    std::size_t pos = 0;
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t'))
        ++pos;
    if (pos < text.size() && text[pos] == '+')
        ++pos;
    if (base == 16) {
        if (text.size() - pos < 2 || text[pos] != '0')
            return false;
        pos += 2;
    }
    number = 0;
    std::size_t digits = 0;
    for (; pos < text.size(); ++pos, ++digits) {
        const int digit = core::text::hexDigitValue(text[pos]);
        if (digit < 0 || digit >= base)
            return false;
        if (number > (limit - static_cast<std::uint64_t>(digit)) / static_cast<std::uint64_t>(base))
            return false;
        number = number * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
    }
    // "0x" alone has no digits to read.
    return base == 10 || digits > 0;
}

// The bytes of /d for a type, as reg.exe builds them; on failure the message.
std::optional<std::string> buildData(std::uint32_t type, const std::optional<std::string>& given,
                                     std::optional<char16_t> separator, std::vector<std::uint8_t>& data)
{
    const std::string text = given.value_or(std::string());
    // A number of `size` bytes, the lowest first.
    auto number = [&](std::uint64_t limit, int size) -> std::optional<std::string> {
        std::uint64_t value = 0;
        if (!parseNumber(text, limit, value))
            return std::string("reg: The option [/d] must be followed by a valid numeric value\n");
        for (int i = 0; i < size; ++i)
            data.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
        return std::nullopt;
    };
    switch (type) {
    case core::RegDword:
    case core::RegDwordBigEndian:
        if (!given)
            return std::string("reg: Invalid command line parameters\n");
        // Wine keeps the big-endian type's bytes in the machine's order as well.
        return number(0xFFFFFFFFull, 4);
    case core::RegQword:
        return number(~0ull, 8);
    case core::RegBinary: {
        std::size_t pos = 0;
        if (text.size() % 2 != 0) {
            const int digit = core::text::hexDigitValue(text[0]);
            if (digit < 0)
                return std::string("reg: The option [/d] must be followed by a valid hexadecimal value\n");
            data.push_back(static_cast<std::uint8_t>(digit));
            pos = 1;
        }
        for (; pos < text.size(); pos += 2) {
            const int high = core::text::hexDigitValue(text[pos]);
            const int low = core::text::hexDigitValue(text[pos + 1]);
            if (high < 0 || low < 0)
                return std::string("reg: The option [/d] must be followed by a valid hexadecimal value\n");
            data.push_back(static_cast<std::uint8_t>(high << 4 | low));
        }
        return std::nullopt;
    }
    case core::RegMultiSz: {
        // Strings separated by the separator, or by the two characters "\0" without one; an
        // empty string inside the list would end it early, so it is refused.
        const std::u16string units = core::text::toUtf16(text);
        std::u16string list;
        for (std::size_t i = 0; i < units.size(); ++i) {
            if (!separator && units[i] == u'\\' && i + 1 < units.size() && units[i + 1] == u'0') {
                list += u'\0';
                ++i;
            } else if (separator && units[i] == *separator) {
                list += u'\0';
            } else {
                list += units[i];
            }
            const std::size_t last = list.size() - 1;
            if (last > 0 && list[last - 1] == u'\0' && (list[last] == u'\0' || last == 1))
                return std::string("reg: The option [/d] must be followed by a valid string\n");
        }
        if (!list.empty() && list.back() != u'\0')
            list += u'\0';
        list += u'\0';
        core::appendUtf16Le(data, list);
        return std::nullopt;
    }
    default: // REG_SZ, REG_EXPAND_SZ and REG_NONE take the text with its zero
        data = core::stringData(core::text::toUtf16(text));
        return std::nullopt;
    }
}

std::optional<std::uint32_t> typeFromName(const std::string& name)
{
    static const std::map<std::string, std::uint32_t> types = {
        {"reg_sz", core::RegSz},        {"reg_multi_sz", core::RegMultiSz}, {"reg_expand_sz", core::RegExpandSz},
        {"reg_dword", core::RegDword},  {"reg_qword", core::RegQword},      {"reg_binary", core::RegBinary},
        {"reg_none", core::RegNone},    {"reg_dword_big_endian", core::RegDwordBigEndian},
        {"reg_dword_little_endian", core::RegDword},
    };
    const auto it = types.find(core::text::asciiLower(name));
    if (it == types.end())
        return std::nullopt;
    return it->second;
}

int Tool::add(const std::vector<std::string>& args)
{
    Options options;
    if (args.size() < 2 || !parseOptions(args, 2, {"ve", "f"}, {"v", "t", "s", "d"}, options) ||
        (options.has("v") && options.has("ve")))
        return fail(invalidSyntax("add"));
    std::optional<char16_t> separator;
    if (options.has("s")) {
        const std::u16string units = core::text::toUtf16(options.get("s"));
        if (units.size() != 1)
            return fail(invalidSyntax("add"));
        separator = units[0];
    }
    KeyName key;
    if (const auto error = parseKey(args[1], key))
        return fail(*error);

    // Everything is checked before anything is written.
    const bool setsValue = options.has("v") || options.has("ve") || options.has("d") || options.has("t");
    std::uint32_t type = core::RegSz;
    if (options.has("t")) {
        const auto known = typeFromName(options.get("t"));
        if (!known)
            return fail("reg: Unsupported registry data type [" + options.get("t") + "]\n");
        type = *known;
    }
    std::vector<std::uint8_t> data;
    const std::optional<std::string> given = options.has("d") ? std::optional(options.get("d")) : std::nullopt;
    if (setsValue)
        if (const auto error = buildData(type, given, separator, data))
            return fail(*error);

    auto& reg = registry();
    core::KeyHandle handle;
    if (reg.createKey(core::rootHandle(key.root), key.path, core::Access::AllAccess, handle) != RegStatus::Success)
        return failBecause("Unable to access or create the specified registry key");
    int result = 0;
    if (setsValue) {
        const std::string name = options.get("v");
        core::RegValue existing;
        if (!options.has("f") && reg.queryValue(handle, name, existing) == RegStatus::Success &&
            !ask("The registry value '" + shownName(name) + "' already exists. Do you want to overwrite it?")) {
            say(Cancelled);
        } else if (reg.setValue(handle, name, type, data) != RegStatus::Success) {
            result = failBecause("Unable to set the registry value '" + shownName(name) + "'");
        } else {
            say(Success);
        }
    } else {
        say(Success);
    }
    reg.closeKey(handle);
    return result;
}

// Deletes a key with everything below it, deepest keys first.
bool Tool::deleteTree(core::RootKey root, const std::string& path)
{
    auto& reg = registry();
    core::KeyHandle handle;
    if (reg.openKey(core::rootHandle(root), path, core::Access::Read, handle) != RegStatus::Success)
        return false;
    const auto subkeys = subkeysOf(reg, handle);
    reg.closeKey(handle);
    for (auto it = subkeys.rbegin(); it != subkeys.rend(); ++it)
        if (!deleteTree(root, path + "\\" + *it))
            return false;
    return reg.deleteKey(core::rootHandle(root), path) == RegStatus::Success;
}

int Tool::remove(const std::vector<std::string>& args)
{
    Options options;
    if (args.size() < 2 || !parseOptions(args, 2, {"ve", "va", "f"}, {"v"}, options) ||
        int(options.has("v")) + int(options.has("ve")) + int(options.has("va")) > 1)
        return fail(invalidSyntax("delete"));
    KeyName key;
    if (const auto error = parseKey(args[1], key))
        return fail(*error);
    const bool wholeKey = !options.has("v") && !options.has("ve") && !options.has("va");
    // Wine would empty the whole hive here; a root key is never deleted.
    if (wholeKey && key.path.empty())
        return fail("reg: Invalid registry key\n");

    auto& reg = registry();
    RegStatus status;
    core::KeyHandle handle = open(key, core::Access::Read, status);
    if (status == RegStatus::NotFound)
        return fail(KeyMissing);
    if (status != RegStatus::Success)
        return failBecause("Unable to read the registry");
    reg.closeKey(handle);

    const std::string valueName = options.get("v");
    const bool force = options.has("f");
    if (wholeKey) {
        if (!force && !ask("Are you sure you want to delete the registry key '" + key.display() + "'?")) {
            say(Cancelled);
            return 0;
        }
        if (!deleteTree(key.root, key.path))
            return failBecause("Unable to delete the registry key '" + key.display() + "'");
        say(Success);
        return 0;
    }
    if (options.has("va")) {
        if (!force && !ask("Are you sure you want to delete all registry values in '" + key.display() + "'?")) {
            say(Cancelled);
            return 0;
        }
    } else if (!force && !ask("Are you sure you want to delete the registry value '" + shownName(valueName) + "'?")) {
        say(Cancelled);
        return 0;
    }

    handle = open(key, core::Access::AllAccess, status);
    if (status != RegStatus::Success)
        return failBecause("Unable to access the specified registry key");
    int result = 0;
    if (options.has("va")) {
        for (const auto& value : valuesOf(reg, handle)) {
            if (reg.deleteValue(handle, value.name) != RegStatus::Success) {
                result = failBecause("Unable to delete all specified values");
                break;
            }
        }
    } else {
        status = reg.deleteValue(handle, valueName);
        if (status == RegStatus::NotFound)
            result = fail(ValueMissing);
        else if (status != RegStatus::Success)
            result = failBecause("Unable to delete the registry value '" + shownName(valueName) + "'");
    }
    if (result == 0)
        say(Success);
    reg.closeKey(handle);
    return result;
}

bool Tool::exportTree(core::KeyHandle key, const std::string& path, RegFileWriter& writer)
{
    auto& reg = registry();
    writer.beginKey(core::text::toUtf16(path));
    for (const auto& value : valuesOf(reg, key))
        writer.addValue(core::text::toUtf16(value.name), value.type, value.data);
    writer.endKey();
    for (const auto& name : subkeysOf(reg, key)) {
        RegStatus status;
        const core::KeyHandle subkey = openFollowingLinks(key, name, status);
        if (status == RegStatus::NotFound)
            continue; // a link to nowhere, which Wine leaves out as well
        if (status != RegStatus::Success)
            return false;
        const bool ok = exportTree(subkey, path + "\\" + name, writer);
        reg.closeKey(subkey);
        if (!ok)
            return false;
    }
    return true;
}

// The words Windows has for why a file could not be created.
std::string fileError(const std::filesystem::path& file, std::error_code error)
{
    std::error_code ignored;
    const auto folder = file.parent_path().empty() ? std::filesystem::path(".") : file.parent_path();
    if (!std::filesystem::is_directory(folder, ignored))
        return "Path not found.\n";
    if (error == std::errc::permission_denied || error == std::errc::operation_not_permitted ||
        error == std::errc::read_only_file_system || error == std::errc::is_a_directory)
        return "Access denied.\n";
    if (error == std::errc::no_such_file_or_directory)
        return "File not found.\n";
    return "reg: Unable to write the file '" + file.string() + "': " + error.message() + "\n";
}

int Tool::exportKey(const std::vector<std::string>& args)
{
    Options options;
    if (args.size() < 3 || !parseOptions(args, 3, {"y"}, {}, options))
        return fail(invalidSyntax("export"));
    KeyName key;
    core::KeyHandle handle;
    if (const auto failed = openToRead(args[1], key, handle))
        return *failed;

    const std::filesystem::path file = args[2];
    std::error_code ignored;
    if (!options.has("y") && std::filesystem::exists(file, ignored) &&
        !ask("The file '" + args[2] + "' already exists. Do you want to overwrite it?")) {
        registry().closeKey(handle);
        say(Cancelled);
        return 0;
    }
    RegFileWriter writer;
    const bool complete = exportTree(handle, key.display(), writer);
    registry().closeKey(handle);
    if (!complete)
        return failBecause("Unable to read the registry");
    // Written beside and renamed into place, so an old backup is never left half overwritten.
    if (const auto error = core::io::replaceFile(core::posixSystemCalls(), file, writer.bytes()))
        return fail(fileError(file, error));
    return 0;
}

int Tool::import(const std::vector<std::string>& args)
{
    if (args.size() != 2)
        return fail(invalidSyntax("import"));
    const std::filesystem::path file = args[1];
    std::string bytes;
    struct stat info {};
    if (::stat(file.c_str(), &info) != 0 || !S_ISREG(info.st_mode) ||
        core::io::readFile(core::posixSystemCalls(), file, bytes))
        return fail("reg: The file '" + args[1] + "' was not found.\n");
    RegFile contents;
    std::string error;
    if (!parseRegFile(bytes, contents, error))
        return fail("reg: Unable to import '" + args[1] + "': " + error + "\n");

    // Every key must name a root of this machine before anything is written.
    std::vector<KeyName> keys;
    for (const RegFileKey& entry : contents.keys) {
        KeyName key;
        const std::string path = core::text::toUtf8(entry.path);
        if (const auto problem = parseKey(path, key); problem || (entry.remove && key.path.empty()))
            return fail("reg: Unable to import '" + args[1] + "': line " + std::to_string(entry.line) +
                        ": the key '" + path + "' is not one this machine can hold\n");
        keys.push_back(key);
    }
    for (const auto& warning : contents.warnings)
        say(warning + "\n");

    auto& reg = registry();
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const RegFileKey& entry = contents.keys[i];
        const KeyName& key = keys[i];
        if (entry.remove) {
            core::KeyHandle existing;
            if (reg.openKey(core::rootHandle(key.root), key.path, core::Access::Read, existing) == RegStatus::Success) {
                reg.closeKey(existing);
                if (!deleteTree(key.root, key.path))
                    return failBecause("Unable to delete the registry key '" + key.display() + "'");
            }
            continue;
        }
        core::KeyHandle handle;
        if (reg.createKey(core::rootHandle(key.root), key.path, core::Access::AllAccess, handle) != RegStatus::Success)
            return failBecause("Unable to import the registry key '" + key.display() + "'");
        for (const RegFileValue& value : entry.values) {
            const std::string name = core::text::toUtf8(value.name);
            const RegStatus status = value.remove ? reg.deleteValue(handle, name)
                                                  : reg.setValue(handle, name, value.type, value.data);
            if (status != RegStatus::Success && !(value.remove && status == RegStatus::NotFound)) {
                // Told before the key is closed, which forgets why the registry failed.
                const int result = failBecause("Unable to import the registry key '" + key.display() + "'");
                reg.closeKey(handle);
                return result;
            }
        }
        reg.closeKey(handle);
    }
    say(Success);
    return 0;
}

int Tool::run(const std::vector<std::string>& args)
{
    if (args.empty())
        return fail("reg: Invalid syntax. Type \"REG /?\" for help.\n");
    const std::string operation = core::text::asciiLower(args[0]);
    if (operation == "/?" || operation == "-?") {
        say(MainHelp);
        return 0;
    }
    const std::map<std::string, std::string (*)()> helps = {
        {"query", queryHelp}, {"add", addHelp}, {"delete", deleteHelp}, {"export", exportHelp}, {"import", importHelp}};
    const auto help = helps.find(operation);
    if (help == helps.end())
        return fail("reg: Invalid option [" + args[0] + "]. Type \"REG /?\" for help.\n");
    if (args.size() >= 2 && (args[1] == "/?" || args[1] == "-?")) {
        if (args.size() > 2)
            return fail(invalidSyntax(operation));
        say(help->second());
        return 0;
    }
    try {
        if (operation == "query")
            return query(args);
        if (operation == "add")
            return add(args);
        if (operation == "delete")
            return remove(args);
        if (operation == "export")
            return exportKey(args);
        return import(args);
    } catch (const core::Error& error) {
        return fail(std::string("reg: ") + error.what() + "\n");
    }
}

} // namespace

int runReg(const std::vector<std::string>& arguments, const RegistryOpener& registry, Console& console)
{
    Tool tool(registry, console);
    return tool.run(arguments);
}

} // namespace regtool
