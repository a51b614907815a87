#pragma once

#include "core/platform/desktop_windows.h"

#include <QString>
#include <QStringList>

#include <cstdint>

// The text side of the System window's list of top-level windows.
namespace sections {

// A window's line: the process id in decimal, 8 blanks, the caption, 4 blanks, the class name;
// at most 39 characters of the caption and of the class, as the list box always showed them.
QString windowListLine(const core::TopLevelWindow& window);

// Puts lines into the order the sorted list box files them: case-insensitive, so process ids
// come in text order ("1024" before "388"); equal lines keep their order.
void sortWindowList(QStringList& lines);

// The process id at the start of a line, as "Zakończ" reads it: the leading decimal digits; 0
// when there are none or more than any process id has.
std::int64_t processIdOfLine(const QString& line);

} // namespace sections
