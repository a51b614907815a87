#pragma once

#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace core {

// Looks up a variable of the host environment; empty optional when unset.
using EnvironmentLookup = std::function<std::optional<std::string>(std::string_view name)>;
EnvironmentLookup hostEnvironment();

// A whole environment as a started program receives it: "NAME=value" entries in their order.
// Names are compared exactly, as getenv and setenv compare them.
class Environment {
public:
    Environment() = default;
    Environment(std::initializer_list<std::pair<std::string_view, std::string_view>> variables);
    static Environment fromEntries(std::vector<std::string> entries);

    std::optional<std::string> get(std::string_view name) const;
    // Replaces the value of the variable of that name, else adds the variable at the end.
    void set(std::string_view name, std::string_view value);
    const std::vector<std::string>& entries() const { return m_entries; }

private:
    std::vector<std::string> m_entries;
};

// A copy of this process's own environment.
Environment thisProcessEnvironment();

} // namespace core
