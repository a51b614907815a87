#include "core/registry/value_data.h"

#include <algorithm>

namespace core {

void appendUtf16Le(std::vector<std::uint8_t>& data, std::u16string_view units)
{
    // Grown as push_back grows it, so that many texts appended to one buffer cost no copies.
    if (const std::size_t needed = data.size() + units.size() * 2 + 2; needed > data.capacity())
        data.reserve(std::max(needed, data.capacity() * 2));
    const std::size_t start = data.size();
    data.resize(start + units.size() * 2);
    std::uint8_t* to = data.data() + start;
    for (const char16_t unit : units) {
        *to++ = static_cast<std::uint8_t>(unit & 0xFF);
        *to++ = static_cast<std::uint8_t>(unit >> 8);
    }
}

std::vector<std::uint8_t> stringData(std::u16string_view text)
{
    std::vector<std::uint8_t> data;
    appendUtf16Le(data, text);
    data.push_back(0);
    data.push_back(0);
    return data;
}

std::u16string dataUnits(std::span<const std::uint8_t> data)
{
    std::u16string units(data.size() / 2, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i)
        units[i] = static_cast<char16_t>(data[2 * i] | data[2 * i + 1] << 8);
    return units;
}

std::u16string dataString(std::span<const std::uint8_t> data)
{
    std::u16string text = dataUnits(data);
    text.resize(std::min(text.size(), text.find(u'\0')));
    return text;
}

} // namespace core
