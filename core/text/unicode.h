#pragma once

#include <string>
#include <string_view>

namespace core::text {

// Registry names and text data are UTF-16, as on Windows; the rest of the program speaks UTF-8.
// The conversions are lossless both ways: a lone surrogate is carried through UTF-8 as its
// three-byte form (as WTF-8 does), and a byte that is not UTF-8 becomes U+FFFD.
std::u16string toUtf16(std::string_view utf8);
std::string toUtf8(std::u16string_view utf16);

// The one UTF-8 codec of the program. decodeUtf8 reads the character that starts at `p` and moves
// `p` past it. A byte that does not start a well-formed character (cut short, overlong, beyond
// U+10FFFF) is a character of its own, U+FFFD, so that decoding always moves on; surrogates in
// their three-byte form are accepted, as that is how a lone one travels.
inline char32_t decodeUtf8(const unsigned char*& p, const unsigned char* end)
{
    const unsigned char lead = *p++;
    if (lead < 0x80)
        return lead;
    int length = 0;
    char32_t c = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0)
        length = 2, c = lead & 0x1F, minimum = 0x80;
    else if ((lead & 0xF0) == 0xE0)
        length = 3, c = lead & 0x0F, minimum = 0x800;
    else if ((lead & 0xF8) == 0xF0)
        length = 4, c = lead & 0x07, minimum = 0x10000;
    else
        return 0xFFFD;
    if (end - p < length - 1)
        return 0xFFFD;
    for (int i = 0; i < length - 1; ++i) {
        if ((p[i] & 0xC0) != 0x80)
            return 0xFFFD;
        c = (c << 6) | (p[i] & 0x3F);
    }
    if (c < minimum || c > 0x10FFFF)
        return 0xFFFD;
    p += length - 1;
    return c;
}

inline void appendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// toUtf8 onto the end of `out`, which keeps its memory from call to call.
void appendUtf8(std::string& out, std::u16string_view utf16);

// True when decodeUtf8 would read every byte as part of a well-formed character.
bool isValidUtf8(std::string_view bytes);

// Names are compared per UTF-16 unit after simple lower-casing, which is also the order in
// which Wine keeps keys and values in its registry files ('_' sorts before 'a').
char16_t lowcase(char16_t c);
int compareNoCase(std::u16string_view a, std::u16string_view b);
bool equalNoCase(std::u16string_view a, std::u16string_view b);
bool equalNoCase(std::string_view utf8a, std::string_view utf8b);

} // namespace core::text
