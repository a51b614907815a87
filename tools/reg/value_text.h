#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace regtool {

// A value as `dostrojnik-reg query` shows it, which is how Wine's `reg query` shows it.

// "(Default)" for the unnamed value.
std::string shownName(std::string_view valueName);
std::string typeName(std::uint32_t type);
std::string dataText(std::uint32_t type, const std::vector<std::uint8_t>& data);
// "    name    TYPE    data\n".
std::string queryLine(std::string_view name, std::uint32_t type, const std::vector<std::uint8_t>& data);
// The same onto the end of `out`.
void appendDataText(std::string& out, std::uint32_t type, const std::vector<std::uint8_t>& data);
void appendQueryLine(std::string& out, std::string_view name, std::uint32_t type,
                     const std::vector<std::uint8_t>& data);

} // namespace regtool
