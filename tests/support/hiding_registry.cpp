#include "tests/support/hiding_registry.h"

#include <algorithm>
#include <cctype>

namespace testing_support {

namespace {

std::string lower(std::string_view text)
{
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return result;
}

} // namespace

void HidingRegistry::hideKey(core::RootKey root, std::string path)
{
    m_keys.emplace_back(core::rootHandle(root), lower(path));
}

void HidingRegistry::hideValue(std::string name)
{
    m_values.push_back(lower(name));
}

bool HidingRegistry::hiddenKey(core::KeyHandle parent, std::string_view path) const
{
    const std::string wanted = lower(path);
    return std::any_of(m_keys.begin(), m_keys.end(), [&](const auto& key) {
        // The key itself or anything under it.
        return key.first == parent
               && (wanted == key.second || wanted.starts_with(key.second + "\\"));
    });
}

bool HidingRegistry::hiddenValue(std::string_view name) const
{
    return std::find(m_values.begin(), m_values.end(), lower(name)) != m_values.end();
}

core::RegStatus HidingRegistry::openKey(core::KeyHandle parent, std::string_view path, core::Access access,
                                        core::KeyHandle& opened)
{
    if (hiddenKey(parent, path))
        return core::RegStatus::NotFound;
    return m_inner.openKey(parent, path, access, opened);
}

core::RegStatus HidingRegistry::queryValue(core::KeyHandle key, std::string_view name, core::RegValue& value)
{
    if (hiddenValue(name))
        return core::RegStatus::NotFound;
    return m_inner.queryValue(key, name, value);
}

} // namespace testing_support
