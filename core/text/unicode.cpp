#include "core/text/unicode.h"

#include "core/text/system_lowcase.h"

#include <algorithm>
#include <cstddef>

namespace core::text {
namespace {

constexpr char32_t Replacement = 0xFFFD;

void appendUtf16(std::u16string& out, char32_t c)
{
    if (c < 0x10000) {
        out += static_cast<char16_t>(c);
    } else {
        c -= 0x10000;
        out += static_cast<char16_t>(0xD800 | (c >> 10));
        out += static_cast<char16_t>(0xDC00 | (c & 0x3FF));
    }
}

} // namespace

bool isValidUtf8(std::string_view bytes)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = p + bytes.size();
    while (p < end) {
        if (*p < 0x80) {
            ++p;
            continue;
        }
        const auto* start = p;
        // A well-formed U+FFFD takes three bytes; a malformed byte comes back as U+FFFD alone.
        if (decodeUtf8(p, end) == Replacement && p - start == 1)
            return false;
    }
    return true;
}

std::u16string toUtf16(std::string_view utf8)
{
    std::u16string out;
    out.reserve(utf8.size());
    const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
    const auto* end = p + utf8.size();
    while (p < end) {
        // Text is mostly ASCII: a run of it is widened in one go.
        const auto* run = p;
        while (p < end && *p < 0x80)
            ++p;
        if (p > run) {
            const size_t start = out.size();
            out.resize(start + static_cast<size_t>(p - run));
            std::copy(run, p, out.begin() + static_cast<std::ptrdiff_t>(start));
        }
        if (p < end)
            appendUtf16(out, decodeUtf8(p, end));
    }
    return out;
}

std::string toUtf8(std::u16string_view utf16)
{
    std::string out;
    appendUtf8(out, utf16);
    return out;
}

void appendUtf8(std::string& out, std::u16string_view utf16)
{
    // Mostly plain ASCII, which goes over in one loop.
    const size_t before = out.size();
    out.resize(before + utf16.size());
    char* to = out.data() + before;
    size_t plain = 0;
    while (plain < utf16.size() && utf16[plain] < 0x80) {
        to[plain] = static_cast<char>(utf16[plain]);
        ++plain;
    }
    out.resize(before + plain);
    for (size_t i = plain; i < utf16.size(); ++i) {
        const char16_t unit = utf16[i];
        if (unit < 0x80) {
            size_t last = i + 1;
            while (last < utf16.size() && utf16[last] < 0x80)
                ++last;
            const size_t start = out.size();
            out.resize(start + (last - i));
            for (size_t j = i; j < last; ++j)
                out[start + (j - i)] = static_cast<char>(utf16[j]);
            i = last - 1;
        } else if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
                   utf16[i + 1] <= 0xDFFF) {
            appendUtf8(out, 0x10000 + ((char32_t(unit) - 0xD800) << 10) + (char32_t(utf16[i + 1]) - 0xDC00));
            ++i;
        } else {
            appendUtf8(out, unit);
        }
    }
}

char16_t lowcase(char16_t c)
{
    if (c < 0x80)
        return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
    if (c >= 0xD800 && c <= 0xDFFF)
        return c;
    return systemLowcase(c);
}

int compareNoCase(std::u16string_view a, std::u16string_view b)
{
    const size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        if (a[i] == b[i])
            continue; // most names share long runs, which need no case mapping
        const char16_t x = lowcase(a[i]);
        const char16_t y = lowcase(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool equalNoCase(std::u16string_view a, std::u16string_view b)
{
    return a.size() == b.size() && compareNoCase(a, b) == 0;
}

bool equalNoCase(std::string_view utf8a, std::string_view utf8b)
{
    if (utf8a.size() == utf8b.size()) {
        bool ascii = true;
        bool same = true;
        for (size_t i = 0; i < utf8a.size() && same; ++i) {
            const auto x = static_cast<unsigned char>(utf8a[i]);
            const auto y = static_cast<unsigned char>(utf8b[i]);
            if ((x | y) & 0x80) {
                ascii = false;
                break;
            }
            same = lowcase(x) == lowcase(y);
        }
        if (ascii)
            return same;
    }
    return equalNoCase(toUtf16(utf8a), toUtf16(utf8b));
}

} // namespace core::text
