#pragma once

#include <span>
#include <string>
#include <string_view>

namespace core::text {

// `pattern` with %1 to %9 replaced by the arguments; a number with no argument stays as written.
std::string fillIn(std::string_view pattern, std::span<const std::string_view> arguments);

} // namespace core::text
