#pragma once

#include "core/registry/registry_api.h"

#include <string>
#include <vector>

namespace testing_support {

// The registry as another one shows it, except for the keys and values hidden here: opening a
// hidden key, or reading a hidden value of any key, finds nothing.
class HidingRegistry final : public core::RegistryApi {
public:
    explicit HidingRegistry(core::RegistryApi& shown);

    // `path` from the root, components separated by '\'; compared without regard to case.
    void hideKey(core::RootKey root, std::string path);
    void hideValue(std::string name);

    core::RegStatus createKey(core::KeyHandle parent, std::string_view path, core::Access access,
                              core::KeyHandle& opened) override;
    core::RegStatus openKey(core::KeyHandle parent, std::string_view path, core::Access access,
                            core::KeyHandle& opened) override;
    core::RegStatus closeKey(core::KeyHandle key) override;
    core::RegStatus setValue(core::KeyHandle key, std::string_view name, std::uint32_t type,
                             std::span<const std::uint8_t> data) override;
    core::RegStatus queryValue(core::KeyHandle key, std::string_view name, core::RegValue& value) override;
    core::RegStatus deleteValue(core::KeyHandle key, std::string_view name) override;
    core::RegStatus deleteKey(core::KeyHandle parent, std::string_view path) override;
    core::RegStatus enumKey(core::KeyHandle key, std::uint32_t index, std::string& name) override;
    core::RegStatus enumValue(core::KeyHandle key, std::uint32_t index, core::RegValue& value) override;
    core::RegStatus queryInfoKey(core::KeyHandle key, core::KeyInfo& info) override;
    std::string lastFailure() const override { return m_shown.lastFailure(); }

private:
    bool hiddenKey(core::KeyHandle parent, std::string_view path) const;
    bool hiddenValue(std::string_view name) const;

    core::RegistryApi& m_shown;
    std::vector<std::pair<core::KeyHandle, std::string>> m_keys;
    std::vector<std::string> m_values;
};

} // namespace testing_support
