#pragma once

#include <string>
#include <string_view>
#include <type_traits>

namespace core::text {

// The value of a hexadecimal digit, -1 for any other character (of any code-unit type; a byte of
// a char string counts as unsigned, so a UTF-8 lead byte is never mistaken for a digit).
template <typename Char>
constexpr int hexDigitValue(Char unit)
{
    const auto c = static_cast<char32_t>(static_cast<std::make_unsigned_t<Char>>(unit));
    if (c >= U'0' && c <= U'9')
        return static_cast<int>(c - U'0');
    if (c >= U'a' && c <= U'f')
        return static_cast<int>(c - U'a' + 10);
    if (c >= U'A' && c <= U'F')
        return static_cast<int>(c - U'A' + 10);
    return -1;
}

// Only A-Z and a-z change: command words, switches and root names are plain ASCII.
inline std::string asciiLower(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

inline std::string asciiUpper(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return out;
}

} // namespace core::text
