#pragma once

namespace core::text {

// The system's simple lower case of one UTF-16 unit outside ASCII and the surrogates; the unit
// itself when the lower case leaves the Basic Multilingual Plane. One implementation per system.
char16_t systemLowcase(char16_t c);

} // namespace core::text
