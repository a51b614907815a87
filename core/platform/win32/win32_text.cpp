#include "core/platform/win32/win32_text.h"

#include "core/text/unicode.h"

namespace core::win32 {

std::wstring wide(std::string_view utf8Text)
{
    const std::u16string units = text::toUtf16(utf8Text);
    return std::wstring(units.begin(), units.end());
}

std::string utf8(std::wstring_view wideText)
{
    return text::toUtf8(std::u16string(wideText.begin(), wideText.end()));
}

std::wstring widePath(std::string_view utf8Text)
{
    std::wstring path = wide(utf8Text);
    for (wchar_t& c : path) {
        if (c == L'/')
            c = L'\\';
    }
    return path;
}

} // namespace core::win32
