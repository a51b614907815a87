#include "tools/reg/value_text.h"

#include "core/registry/registry_api.h"
#include "core/registry/value_data.h"
#include "core/text/unicode.h"

#include <bit>
#include <cstdio>
#include <cstring>

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

namespace {

// The UTF-16LE units of `data` (an odd last byte left out) up to the first NUL as UTF-8; runs of
// ASCII go over byte by byte, without a UTF-16 copy.
void appendDataString(std::string& out, const std::vector<std::uint8_t>& data)
{
    const std::size_t units = data.size() / 2;
    const std::size_t start = out.size();
    out.resize(start + units);
    char* to = out.data() + start;
    std::size_t i = 0;
    // Four units at a time while each is a character from 1 to 127.
    constexpr std::uint64_t low = 0x007F007F007F007Full;
    constexpr std::uint64_t high = 0x0080008000800080ull;
    for (; i + 4 <= units; i += 4) {
        std::uint64_t word;
        std::memcpy(&word, data.data() + 2 * i, sizeof word);
        if constexpr (std::endian::native != std::endian::little)
            break;
        if ((word & ~low) != 0 || ((word + low) & high) != high)
            break;
        for (std::size_t j = 0; j < 4; ++j)
            *to++ = static_cast<char>(data[2 * (i + j)]);
    }
    for (; i < units && data[2 * i + 1] == 0 && data[2 * i] != 0 && data[2 * i] < 0x80; ++i)
        *to++ = static_cast<char>(data[2 * i]);
    out.resize(static_cast<std::size_t>(to - out.data()));
    if (i < units && (data[2 * i] != 0 || data[2 * i + 1] != 0))
        core::text::appendUtf8(out, core::dataString(std::span(data).subspan(2 * i)));
}

} // namespace

void appendDataText(std::string& out, std::uint32_t type, const std::vector<std::uint8_t>& data)
{
    switch (type) {
    case core::RegSz:
    case core::RegExpandSz: appendDataString(out, data); return;
    case core::RegNone:
    case core::RegBinary: {
        static constexpr char digits[] = "0123456789ABCDEF";
        const std::size_t start = out.size();
        out.resize(start + data.size() * 2);
        char* to = out.data() + start;
        for (const std::uint8_t byte : data) {
            *to++ = digits[byte >> 4];
            *to++ = digits[byte & 15];
        }
        return;
    }
    case core::RegDword:
    case core::RegDwordBigEndian: {
        // Wine reads the first four bytes as they lie, also for the big-endian type.
        std::uint32_t number = 0;
        for (std::size_t i = 0; i < 4 && i < data.size(); ++i)
            number |= std::uint32_t(data[i]) << (8 * i);
        char text[16];
        const int length = std::snprintf(text, sizeof text, "0x%x", static_cast<unsigned>(number));
        out.append(text, static_cast<std::size_t>(length));
        return;
    }
    case core::RegMultiSz: {
        // The strings joined by "\0", without the list's two closing zeros; each unit on its own,
        // so a surrogate pair comes out as two characters.
        const std::size_t units = data.size() / 2;
        for (std::size_t i = 0; i + 2 < units; ++i) {
            const auto unit = static_cast<char16_t>(data[2 * i] | data[2 * i + 1] << 8);
            if (unit == u'\0')
                out += "\\0";
            else
                core::text::appendUtf8(out, char32_t(unit));
        }
        return;
    }
    default: out += "(null)"; return;
    }
}

std::string dataText(std::uint32_t type, const std::vector<std::uint8_t>& data)
{
    std::string out;
    appendDataText(out, type, data);
    return out;
}

void appendQueryLine(std::string& out, std::string_view name, std::uint32_t type, const std::vector<std::uint8_t>& data)
{
    out += "    ";
    if (name.empty())
        out += "(Default)";
    else
        out += name;
    out += "    ";
    out += typeName(type);
    out += "    ";
    appendDataText(out, type, data);
    out += '\n';
}

std::string queryLine(std::string_view name, std::uint32_t type, const std::vector<std::uint8_t>& data)
{
    std::string out;
    appendQueryLine(out, name, type, data);
    return out;
}

} // namespace regtool
