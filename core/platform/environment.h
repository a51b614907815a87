#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace core {

// Looks up a variable of the host environment; empty optional when unset.
using EnvironmentLookup = std::function<std::optional<std::string>(std::string_view name)>;
EnvironmentLookup hostEnvironment();

} // namespace core
