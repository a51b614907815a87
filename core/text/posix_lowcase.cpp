#include "core/text/system_lowcase.h"

#include <clocale>
#include <cwctype>
#include <locale.h>

namespace core::text {
namespace {

locale_t unicodeLocale()
{
    static const locale_t locale = [] {
        locale_t l = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
        return l ? l : newlocale(LC_CTYPE_MASK, "C", static_cast<locale_t>(nullptr));
    }();
    return locale;
}

} // namespace

char16_t systemLowcase(char16_t c)
{
    const wint_t lower = towlower_l(static_cast<wint_t>(c), unicodeLocale());
    // A mapping that leaves the Basic Multilingual Plane cannot be kept per UTF-16 unit.
    return lower < 0x10000 ? static_cast<char16_t>(lower) : c;
}

} // namespace core::text
