#include "tools/reg/value_text.h"

#include "core/registry/registry_api.h"
#include "core/registry/value_data.h"
#include "core/text/unicode.h"

#include <cstdio>

namespace regtool {

std::string shownName(std::string_view valueName)
{
    return valueName.empty() ? std::string("(Default)") : std::string(valueName);
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
    case core::RegExpandSz: return core::text::toUtf8(core::dataString(data));
    case core::RegNone:
    case core::RegBinary: {
        static constexpr char digits[] = "0123456789ABCDEF";
        std::string out(data.size() * 2, '\0');
        for (std::size_t i = 0; i < data.size(); ++i) {
            out[2 * i] = digits[data[i] >> 4];
            out[2 * i + 1] = digits[data[i] & 15];
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
    default: return "(null)";
    }
}

std::string queryLine(std::string_view name, std::uint32_t type, const std::vector<std::uint8_t>& data)
{
    return "    " + shownName(name) + "    " + typeName(type) + "    " + dataText(type, data) + "\n";
}

} // namespace regtool
