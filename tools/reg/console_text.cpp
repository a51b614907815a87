#include "tools/reg/console_text.h"

#include "core/text/unicode.h"

#include <algorithm>
#include <array>

namespace regtool {

OutputEncoding outputEncodingFor(bool terminal, std::string_view localeName)
{
    if (terminal)
        return OutputEncoding::Utf8;
    const std::string_view language = localeName.substr(0, localeName.find_first_of("_.@"));
    static constexpr std::array<std::string_view, 10> centralEuropean = {"pl", "cs", "sk", "hu", "hr",
                                                                         "sl", "ro", "sq", "bs", "sh"};
    if (std::find(centralEuropean.begin(), centralEuropean.end(), language) != centralEuropean.end())
        return OutputEncoding::Oem852;
    return OutputEncoding::Oem437;
}

std::string encodeOutput(std::string_view utf8, OutputEncoding encoding)
{
    if (encoding == OutputEncoding::Utf8)
        return std::string(utf8);
    const OemMapping* table = encoding == OutputEncoding::Oem852 ? OemCodePage852 : OemCodePage437;
    const std::size_t size = encoding == OutputEncoding::Oem852 ? OemCodePage852Size : OemCodePage437Size;
    std::string out;
    out.reserve(utf8.size());
    std::size_t asciiRun = 0;
    // Plain ASCII passes through untouched; only the rest needs the table.
    for (std::size_t i = 0; i <= utf8.size(); ++i) {
        if (i < utf8.size() && static_cast<unsigned char>(utf8[i]) < 0x80)
            continue;
        out.append(utf8.substr(asciiRun, i - asciiRun));
        if (i == utf8.size())
            break;
        std::size_t end = i + 1;
        while (end < utf8.size() && (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80)
            ++end;
        for (const char16_t unit : core::text::toUtf16(utf8.substr(i, end - i))) {
            const OemMapping* found = std::lower_bound(
                table, table + size, unit, [](const OemMapping& m, char16_t u) { return m.unit < u; });
            out += found != table + size && found->unit == unit ? static_cast<char>(found->byte) : '?';
        }
        i = end - 1;
        asciiRun = end;
    }
    return out;
}

} // namespace regtool
