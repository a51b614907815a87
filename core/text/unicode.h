#pragma once

#include <string>
#include <string_view>

namespace core::text {

// Registry names and text data are UTF-16, as on Windows; the rest of the program speaks UTF-8.
// The conversions are lossless both ways: a lone surrogate is carried through UTF-8 as its
// three-byte form (as WTF-8 does), and a byte that is not UTF-8 becomes U+FFFD.
std::u16string toUtf16(std::string_view utf8);
std::string toUtf8(std::u16string_view utf16);

// Names are compared per UTF-16 unit after simple lower-casing, which is also the order in
// which Wine keeps keys and values in its registry files ('_' sorts before 'a').
char16_t lowcase(char16_t c);
int compareNoCase(std::u16string_view a, std::u16string_view b);
bool equalNoCase(std::u16string_view a, std::u16string_view b);
bool equalNoCase(std::string_view utf8a, std::string_view utf8b);

} // namespace core::text
