#pragma once

#include <string>
#include <string_view>

namespace core::text {

// Windows-1250, the code page of the settings file. A character the code page lacks becomes '?'.
std::string cp1250FromUtf8(std::string_view utf8);
std::string utf8FromCp1250(std::string_view bytes);

} // namespace core::text
