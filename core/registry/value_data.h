#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace core {

// Registry data keeps text as UTF-16LE: every unit two bytes, the low one first. REG_SZ data
// ends with a zero unit, REG_MULTI_SZ with two.
void appendUtf16Le(std::vector<std::uint8_t>& data, std::u16string_view units);
// `text` as REG_SZ data, with its closing zero.
std::vector<std::uint8_t> stringData(std::u16string_view text);

// The units of the data, zeros included; an odd last byte is left out.
std::u16string dataUnits(std::span<const std::uint8_t> data);
// The text of REG_SZ data: its units up to the first zero, or all of them without one.
std::u16string dataString(std::span<const std::uint8_t> data);

} // namespace core
