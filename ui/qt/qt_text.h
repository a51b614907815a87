#pragma once

#include <QString>

#include <string_view>

namespace chrome {

// The program's own texts (tables, definitions, core's messages) are UTF-8.
inline QString qs(std::string_view utf8)
{
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

} // namespace chrome
