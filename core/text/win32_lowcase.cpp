#include "core/text/system_lowcase.h"

#include <windows.h>

namespace core::text {

char16_t systemLowcase(char16_t c)
{
    // CharLowerW takes a single character in the low word of its argument.
    const auto mapped = reinterpret_cast<ULONG_PTR>(CharLowerW(reinterpret_cast<LPWSTR>(static_cast<ULONG_PTR>(c))));
    return static_cast<char16_t>(mapped & 0xFFFF);
}

} // namespace core::text
