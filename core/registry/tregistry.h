#pragma once

#include "core/registry/registry_api.h"

#include <string>
#include <string_view>

namespace core {

// The short-lived registry object of an option handler: create it, set its root, open one
// key, act, let it go out of scope (which closes the key on every path). Paths with a
// leading '\' are taken from the root, others from the open key when one is open.
// Failures of writes and reads throw core::Error with the messages the user sees.
class TRegistry {
public:
    explicit TRegistry(RegistryApi& api);
    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;
    virtual ~TRegistry();

    RootKey GetRootKey() const { return m_root; }
    // A different root closes the open key; the same root changes nothing.
    void SetRootKey(RootKey root);

    // Returns false and keeps the previous open key when the key cannot be opened or created.
    bool OpenKey(std::string_view path, bool canCreate);
    void CloseKey();
    bool HasOpenKey() const { return bool(m_current); }
    const std::string& CurrentPath() const { return m_currentPath; }

    void WriteInteger(std::string_view name, std::int32_t value);
    void WriteString(std::string_view name, std::string_view text);
    std::string ReadString(std::string_view name);
    std::int32_t ReadInteger(std::string_view name);
    bool ValueExists(std::string_view name);
    bool DeleteValue(std::string_view name);
    // Deletes the key with all its subkeys, the last subkey first.
    bool DeleteKey(std::string_view path);
    // Creates the key and closes it again; the open key stays as it was.
    void CreateKey(std::string_view path);

protected:
    RegistryApi& m_api;
    // The key that relative paths start from.
    KeyHandle baseKey(bool relative) const;
    // Opens an existing key by path, 0 when it cannot be opened.
    KeyHandle getKey(std::string_view path);

    // Opens an existing key by path and makes it the open key while it lives; when it ends the
    // key open before comes back and this one is closed, also when a write throws. Nothing
    // changes when the key cannot be opened.
    class KeyScope {
    public:
        KeyScope(TRegistry& registry, std::string_view path);
        KeyScope(const KeyScope&) = delete;
        KeyScope& operator=(const KeyScope&) = delete;
        ~KeyScope();
        KeyHandle key() const { return m_key; }

    private:
        TRegistry& m_registry;
        KeyHandle m_key;
        KeyHandle m_previous;
    };

private:
    RootKey m_root = RootKey::CurrentUser;
    KeyHandle m_current;
    std::string m_currentPath;
};

// A registry key used like an INI file: sections are its subkeys, entries their values.
// Creating it opens (creating when missing) `path` under HKEY_CURRENT_USER.
class TRegIniFile : public TRegistry {
public:
    TRegIniFile(RegistryApi& api, std::string_view path);

    // Creates the subkey `section` under the open key and writes `name` there; the open key
    // stays as it was.
    void WriteString(std::string_view section, std::string_view name, std::string_view text);
    std::string ReadString(std::string_view section, std::string_view name, std::string_view fallback);

    using TRegistry::ReadString;
    using TRegistry::WriteString;
};

} // namespace core
