#pragma once

#include "core/registry/registry_api.h"

#include <map>
#include <memory>

namespace core {

// The registry of the running Windows through its own API (Reg*W). Handles are numbers of
// ours standing for HKEYs; every change is made at once.
class Win32Registry final : public RegistryApi {
public:
    Win32Registry();
    ~Win32Registry() override;
    Win32Registry(const Win32Registry&) = delete;
    Win32Registry& operator=(const Win32Registry&) = delete;

    RegStatus createKey(KeyHandle parent, std::string_view path, Access access, KeyHandle& opened) override;
    RegStatus openKey(KeyHandle parent, std::string_view path, Access access, KeyHandle& opened) override;
    RegStatus closeKey(KeyHandle key) override;
    RegStatus setValue(KeyHandle key, std::string_view name, std::uint32_t type,
                       std::span<const std::uint8_t> data) override;
    RegStatus queryValue(KeyHandle key, std::string_view name, RegValue& value) override;
    RegStatus deleteValue(KeyHandle key, std::string_view name) override;
    RegStatus deleteKey(KeyHandle parent, std::string_view path) override;
    RegStatus enumKey(KeyHandle key, std::uint32_t index, std::string& name) override;
    RegStatus enumValue(KeyHandle key, std::uint32_t index, RegValue& value) override;
    RegStatus queryInfoKey(KeyHandle key, KeyInfo& info) override;
    std::string lastFailure() const override;

    // The open keys behind our handles.
    struct Keys;

private:
    std::unique_ptr<Keys> m_keys;
};

} // namespace core
