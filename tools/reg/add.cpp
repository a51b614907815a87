// REG ADD: a key, or a value of one of the types reg.exe knows, with its data from /d.

#include "tools/reg/command.h"

#include "core/registry/value_data.h"
#include "core/text/ascii.h"
#include "core/text/unicode.h"

#include <map>

namespace regtool {
namespace {

using core::RegStatus;

std::string addHelp()
{
    return std::string(tr("REG ADD <key> [/v value_name | /ve] [/t type] [/s separator] [/d data] [/f]\n"
                          "\n"
                          "  Adds a key to the registry or adds a new value to a given registry key.\n"
                          "\n"
                          "  <key>\n"
                          "     The registry key to add or, if either [/v] or [/ve] is specified,\n"
                          "     the key in which to add the new registry data.\n"
                          "\n")) +
           tr(RootList) +
           tr("  /v <value_name>\n"
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
              "\n");
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
            return std::string(tr("reg: The option [/d] must be followed by a valid numeric value\n"));
        for (int i = 0; i < size; ++i)
            data.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
        return std::nullopt;
    };
    switch (type) {
    case core::RegDword:
    case core::RegDwordBigEndian:
        if (!given)
            return std::string(tr("reg: Invalid command line parameters\n"));
        // Wine keeps the big-endian type's bytes in the machine's order as well.
        return number(0xFFFFFFFFull, 4);
    case core::RegQword: return number(~0ull, 8);
    case core::RegBinary: {
        std::size_t pos = 0;
        if (text.size() % 2 != 0) {
            const int digit = core::text::hexDigitValue(text[0]);
            if (digit < 0)
                return std::string(tr("reg: The option [/d] must be followed by a valid hexadecimal value\n"));
            data.push_back(static_cast<std::uint8_t>(digit));
            pos = 1;
        }
        for (; pos < text.size(); pos += 2) {
            const int high = core::text::hexDigitValue(text[pos]);
            const int low = core::text::hexDigitValue(text[pos + 1]);
            if (high < 0 || low < 0)
                return std::string(tr("reg: The option [/d] must be followed by a valid hexadecimal value\n"));
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
                return std::string(tr("reg: The option [/d] must be followed by a valid string\n"));
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
        {"reg_sz", core::RegSz},
        {"reg_multi_sz", core::RegMultiSz},
        {"reg_expand_sz", core::RegExpandSz},
        {"reg_dword", core::RegDword},
        {"reg_qword", core::RegQword},
        {"reg_binary", core::RegBinary},
        {"reg_none", core::RegNone},
        {"reg_dword_big_endian", core::RegDwordBigEndian},
        {"reg_dword_little_endian", core::RegDword},
    };
    const auto it = types.find(core::text::asciiLower(name));
    if (it == types.end())
        return std::nullopt;
    return it->second;
}

int add(Session& session, const std::vector<std::string>& args, const Options& options)
{
    if (options.has("v") && options.has("ve"))
        return session.fail(invalidSyntax("add"));
    std::optional<char16_t> separator;
    if (options.has("s")) {
        const std::u16string units = core::text::toUtf16(options.get("s"));
        if (units.size() != 1)
            return session.fail(invalidSyntax("add"));
        separator = units[0];
    }
    KeyName key;
    if (const auto error = parseKey(args[0], key))
        return session.fail(*error);
    if (const auto problem = keyLimitProblem(key))
        return session.fail(format(tr("reg: The key '%1' %2\n"), {key.display(), *problem}));

    // Everything is checked before anything is written.
    const bool setsValue = options.has("v") || options.has("ve") || options.has("d") || options.has("t");
    std::uint32_t type = core::RegSz;
    if (options.has("t")) {
        const auto known = typeFromName(options.get("t"));
        if (!known)
            return session.fail(format(tr("reg: Unsupported registry data type [%1]\n"), {options.get("t")}));
        type = *known;
    }
    std::vector<std::uint8_t> data;
    const std::optional<std::string> given = options.has("d") ? std::optional(options.get("d")) : std::nullopt;
    if (setsValue)
        if (const auto error = buildData(type, given, separator, data))
            return session.fail(*error);

    auto& reg = session.registry();
    core::KeyHandle handle;
    if (reg.createKey(core::rootHandle(key.root), key.path, core::Access::AllAccess, handle) != RegStatus::Success)
        return session.failBecause(tr("Unable to access or create the specified registry key"));
    int result = 0;
    if (setsValue) {
        const std::string name = options.get("v");
        core::RegValue existing;
        if (!options.has("f") && reg.queryValue(handle, name, existing) == RegStatus::Success &&
            !session.ask(format(tr("The registry value '%1' already exists. Do you want to overwrite it?"),
                                {shownName(name)}))) {
            session.say(tr(Cancelled));
        } else if (reg.setValue(handle, name, type, data) != RegStatus::Success) {
            result = session.failBecause(format(tr("Unable to set the registry value '%1'"), {shownName(name)}));
        } else {
            session.succeed();
        }
    } else {
        session.succeed();
    }
    reg.closeKey(handle);
    return result;
}

} // namespace

const Command AddCommand{"add", addHelp, 1, {"ve", "f"}, {"v", "t", "s", "d"}, {}, add};

} // namespace regtool
