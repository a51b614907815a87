#include "core/platform/environment.h"

#include <cstdlib>

namespace core {

EnvironmentLookup hostEnvironment()
{
    return [](std::string_view name) -> std::optional<std::string> {
        const char* value = std::getenv(std::string(name).c_str());
        if (!value)
            return std::nullopt;
        return std::string(value);
    };
}

} // namespace core
