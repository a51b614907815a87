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

HidingRegistry::HidingRegistry(core::RegistryApi& shown)
    : m_shown(shown)
{
}

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

core::RegStatus HidingRegistry::createKey(core::KeyHandle parent, std::string_view path, core::Access access,
                                          core::KeyHandle& opened)
{
    return m_shown.createKey(parent, path, access, opened);
}

core::RegStatus HidingRegistry::openKey(core::KeyHandle parent, std::string_view path, core::Access access,
                                        core::KeyHandle& opened)
{
    if (hiddenKey(parent, path))
        return core::RegStatus::NotFound;
    return m_shown.openKey(parent, path, access, opened);
}

core::RegStatus HidingRegistry::closeKey(core::KeyHandle key)
{
    return m_shown.closeKey(key);
}

core::RegStatus HidingRegistry::setValue(core::KeyHandle key, std::string_view name, std::uint32_t type,
                                         std::span<const std::uint8_t> data)
{
    return m_shown.setValue(key, name, type, data);
}

core::RegStatus HidingRegistry::queryValue(core::KeyHandle key, std::string_view name, core::RegValue& value)
{
    if (hiddenValue(name))
        return core::RegStatus::NotFound;
    return m_shown.queryValue(key, name, value);
}

core::RegStatus HidingRegistry::deleteValue(core::KeyHandle key, std::string_view name)
{
    return m_shown.deleteValue(key, name);
}

core::RegStatus HidingRegistry::deleteKey(core::KeyHandle parent, std::string_view path)
{
    return m_shown.deleteKey(parent, path);
}

core::RegStatus HidingRegistry::enumKey(core::KeyHandle key, std::uint32_t index, std::string& name)
{
    return m_shown.enumKey(key, index, name);
}

core::RegStatus HidingRegistry::enumValue(core::KeyHandle key, std::uint32_t index, core::RegValue& value)
{
    return m_shown.enumValue(key, index, value);
}

core::RegStatus HidingRegistry::queryInfoKey(core::KeyHandle key, core::KeyInfo& info)
{
    return m_shown.queryInfoKey(key, info);
}

} // namespace testing_support
