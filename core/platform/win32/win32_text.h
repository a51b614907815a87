#pragma once

#include <string>
#include <string_view>

namespace core::win32 {

// Windows' wide strings (UTF-16) from and to the UTF-8 that the rest of core speaks.
std::wstring wide(std::string_view utf8);
std::string utf8(std::wstring_view wide);
// A path for the wide file calls; '/' is taken as '\'.
std::wstring widePath(std::string_view utf8);

} // namespace core::win32
