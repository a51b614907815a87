#include "core/platform/environment.h"

#include <cstdlib>

extern char** environ;

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

Environment thisProcessEnvironment()
{
    std::vector<std::string> entries;
    for (char** entry = environ; *entry; ++entry)
        entries.emplace_back(*entry);
    return Environment::fromEntries(std::move(entries));
}

} // namespace core
