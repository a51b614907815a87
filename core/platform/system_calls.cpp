#include "core/platform/system_calls.h"

#include "core/text/unicode.h"

#include <cwchar>

namespace core {

std::string SystemCalls::utf8(const wchar_t* path)
{
    std::u16string units;
    for (const wchar_t* p = path; *p; ++p)
        units.push_back(static_cast<char16_t>(*p));
    return text::toUtf8(units);
}

} // namespace core
