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
char32_t decodeUtf8(const unsigned char*& p, const unsigned char* end);
void appendUtf8(std::string& out, char32_t c);
// True when decodeUtf8 would read every byte as part of a well-formed character.
bool isValidUtf8(std::string_view bytes);

// Names are compared per UTF-16 unit after simple lower-casing, which is also the order in
// which Wine keeps keys and values in its registry files ('_' sorts before 'a').
char16_t lowcase(char16_t c);
int compareNoCase(std::u16string_view a, std::u16string_view b);
bool equalNoCase(std::u16string_view a, std::u16string_view b);
bool equalNoCase(std::string_view utf8a, std::string_view utf8b);

} // namespace core::text
