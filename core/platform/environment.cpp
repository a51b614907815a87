#include "core/platform/environment.h"

namespace core {
namespace {

bool isEntryOf(std::string_view entry, std::string_view name)
{
    return entry.size() > name.size() && entry[name.size()] == '=' && entry.starts_with(name);
}

} // namespace

Environment::Environment(std::initializer_list<std::pair<std::string_view, std::string_view>> variables)
{
    for (const auto& [name, value] : variables)
        set(name, value);
}

Environment Environment::fromEntries(std::vector<std::string> entries)
{
    Environment environment;
    environment.m_entries = std::move(entries);
    return environment;
}

std::optional<std::string> Environment::get(std::string_view name) const
{
    for (const std::string& entry : m_entries) {
        if (isEntryOf(entry, name))
            return entry.substr(name.size() + 1);
    }
    return std::nullopt;
}

void Environment::set(std::string_view name, std::string_view value)
{
    std::string entry;
    entry.reserve(name.size() + 1 + value.size());
    entry.append(name).append(1, '=').append(value);
    for (std::string& existing : m_entries) {
        if (isEntryOf(existing, name)) {
            existing = std::move(entry);
            return;
        }
    }
    m_entries.push_back(std::move(entry));
}

} // namespace core
