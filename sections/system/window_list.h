#pragma once

#include "core/platform/desktop_windows.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The text side of the System window's list of top-level windows. Lines are UTF-8.
namespace sections {

// A window's line: the process id in decimal, 8 blanks, the caption, 4 blanks, the class name;
// at most 39 characters of the caption and of the class, as the list box always showed them.
std::string windowListLine(const core::TopLevelWindow& window);

// Puts lines into the order the sorted list box files them: case-insensitive, so process ids
// come in text order ("1024" before "388"); equal lines keep their order.
void sortWindowList(std::vector<std::string>& lines);

// The process id at the start of a line, as "Zakończ" reads it: the leading decimal digits; 0
// when there are none or more than any process id has.
std::int64_t processIdOfLine(std::string_view line);

} // namespace sections
