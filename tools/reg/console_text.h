#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace regtool {

struct OemMapping {
    std::uint16_t unit;
    std::uint8_t byte;
};

// The OEM code pages, sorted by unit; units they lack are not listed.
extern const OemMapping OemCodePage437[];
extern const std::size_t OemCodePage437Size;
extern const OemMapping OemCodePage852[];
extern const std::size_t OemCodePage852Size;

// How text reaches the user. Windows' console tools, and Wine's, write Unicode to a console but
// the OEM code page of the locale when their output goes to a file or a pipe; Wine picks 852 for
// the Central European languages and 437 for the others this tool knows.
enum class OutputEncoding { Utf8, Oem437, Oem852 };

// The encoding for a stream: UTF-8 on a terminal, else the OEM code page of `localeName` (the
// first non-empty of LC_ALL, LC_CTYPE and LANG, as the C library picks it).
OutputEncoding outputEncodingFor(bool terminal, std::string_view localeName);

// Converts UTF-8 text for output; a character the code page lacks becomes '?' (once per UTF-16
// unit, as Wine writes it).
std::string encodeOutput(std::string_view utf8, OutputEncoding encoding);

} // namespace regtool
