#pragma once

#include "core/machine/machine.h"

#include <map>
#include <string>

namespace testing_support {

// An environment that holds exactly `variables`.
inline core::EnvironmentLookup environmentOf(std::map<std::string, std::string> variables)
{
    return [variables = std::move(variables)](std::string_view name) -> std::optional<std::string> {
        const auto it = variables.find(std::string(name));
        if (it == variables.end())
            return std::nullopt;
        return it->second;
    };
}

} // namespace testing_support
