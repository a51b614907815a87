#include "core/registry/tregistry.h"

#include "core/error.h"
#include "core/registry/value_data.h"
#include "core/text/unicode.h"

#include <cstdint>
#include <vector>

namespace core {
namespace {

// A leading '\' takes the path from the root; the '\' itself is not part of the name.
bool isRelative(std::string_view& path)
{
    if (!path.empty() && path.front() == '\\') {
        path.remove_prefix(1);
        return false;
    }
    return true;
}

std::string quoted(std::string_view text, std::string_view name)
{
    return std::string(text) + " '" + std::string(name) + "'";
}

} // namespace

TRegistry::TRegistry(RegistryApi& api) : m_api(api) {}

TRegistry::~TRegistry()
{
    CloseKey();
}

void TRegistry::SetRootKey(RootKey root)
{
    if (root == m_root)
        return;
    m_root = root;
    CloseKey();
}

KeyHandle TRegistry::baseKey(bool relative) const
{
    return relative && m_current ? m_current : rootHandle(m_root);
}

KeyHandle TRegistry::getKey(std::string_view path)
{
    const bool relative = isRelative(path);
    KeyHandle key;
    if (m_api.openKey(baseKey(relative), path, Access::AllAccess, key) != RegStatus::Success)
        return KeyHandle{};
    return key;
}

TRegistry::KeyScope::KeyScope(TRegistry& registry, std::string_view path)
    : m_registry(registry)
    , m_key(registry.getKey(path))
    , m_previous(registry.m_current)
{
    if (m_key)
        m_registry.m_current = m_key;
}

TRegistry::KeyScope::~KeyScope()
{
    if (m_key) {
        m_registry.m_current = m_previous;
        m_registry.m_api.closeKey(m_key);
    }
}

bool TRegistry::OpenKey(std::string_view path, bool canCreate)
{
    const bool relative = isRelative(path);
    KeyHandle opened;
    const RegStatus status = !canCreate || path.empty()
                                 ? m_api.openKey(baseKey(relative), path, Access::AllAccess, opened)
                                 : m_api.createKey(baseKey(relative), path, Access::AllAccess, opened);
    if (status != RegStatus::Success)
        return false;
    std::string newPath = relative && m_current ? m_currentPath + "\\" + std::string(path) : std::string(path);
    CloseKey();
    m_current = opened;
    m_currentPath = std::move(newPath);
    return true;
}

void TRegistry::CloseKey()
{
    if (m_current) {
        m_api.closeKey(m_current);
        m_current = KeyHandle{};
        m_currentPath.clear();
    }
}

void TRegistry::WriteInteger(std::string_view name, std::int32_t value)
{
    const auto bits = static_cast<std::uint32_t>(value);
    const std::uint8_t data[4] = {static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8),
                                  static_cast<std::uint8_t>(bits >> 16), static_cast<std::uint8_t>(bits >> 24)};
    if (!m_current || m_api.setValue(m_current, name, RegDword, data) != RegStatus::Success)
        throw Error(quoted("Failed to set data for", name));
}

void TRegistry::WriteString(std::string_view name, std::string_view text)
{
    const auto data = stringData(text::toUtf16(text));
    if (!m_current || m_api.setValue(m_current, name, RegSz, data) != RegStatus::Success)
        throw Error(quoted("Failed to set data for", name));
}

std::string TRegistry::ReadString(std::string_view name)
{
    RegValue value;
    if (!m_current || m_api.queryValue(m_current, name, value) != RegStatus::Success || value.data.empty())
        return {};
    if (value.type != RegSz && value.type != RegExpandSz)
        throw Error(quoted("Invalid data type for", name));
    return text::toUtf8(dataString(value.data));
}

std::int32_t TRegistry::ReadInteger(std::string_view name)
{
    RegValue value;
    // The caller's buffer holds 4 bytes: longer data does not fit, whatever its type.
    if (!m_current || m_api.queryValue(m_current, name, value) != RegStatus::Success || value.data.size() > 4)
        throw Error(quoted("Failed to get data for", name));
    if (value.type != RegDword)
        throw Error(quoted("Invalid data type for", name));
    std::uint32_t bits = 0;
    for (std::size_t i = 0; i < value.data.size(); ++i)
        bits |= std::uint32_t(value.data[i]) << (8 * i);
    return static_cast<std::int32_t>(bits);
}

bool TRegistry::ValueExists(std::string_view name)
{
    RegValue value;
    return m_current && m_api.queryValue(m_current, name, value) == RegStatus::Success;
}

bool TRegistry::DeleteValue(std::string_view name)
{
    return m_current && m_api.deleteValue(m_current, name) == RegStatus::Success;
}

bool TRegistry::DeleteKey(std::string_view path)
{
    std::string_view name = path;
    const bool relative = isRelative(name);
    {
        // Subkeys are named relative to the key being deleted, so it is the open key meanwhile.
        const KeyScope target(*this, path);
        KeyInfo info;
        if (target.key() && m_api.queryInfoKey(target.key(), info) == RegStatus::Success) {
            for (std::uint32_t i = info.subKeys; i-- > 0;) {
                std::string subkey;
                if (m_api.enumKey(target.key(), i, subkey) == RegStatus::Success)
                    DeleteKey(subkey);
            }
        }
    }
    return m_api.deleteKey(baseKey(relative), name) == RegStatus::Success;
}

void TRegistry::CreateKey(std::string_view path)
{
    std::string_view name = path;
    const bool relative = isRelative(name);
    KeyHandle created;
    if (m_api.createKey(baseKey(relative), name, Access::AllAccess, created) != RegStatus::Success)
        throw Error("Failed to create key " + std::string(path));
    m_api.closeKey(created);
}

TRegIniFile::TRegIniFile(RegistryApi& api, std::string_view path) : TRegistry(api)
{
    OpenKey(path, true);
}

void TRegIniFile::WriteString(std::string_view section, std::string_view name, std::string_view text)
{
    CreateKey(section);
    const KeyScope key(*this, section);
    if (key.key())
        TRegistry::WriteString(name, text);
}

std::string TRegIniFile::ReadString(std::string_view section, std::string_view name, std::string_view fallback)
{
    const KeyScope key(*this, section);
    return key.key() && ValueExists(name) ? TRegistry::ReadString(name) : std::string(fallback);
}

} // namespace core
