#pragma once

#include "tests/support/forwarding_registry.h"

#include <string>
#include <vector>

namespace testing_support {

// The registry as another one shows it, except for the keys and values hidden here: opening a
// hidden key, or reading a hidden value of any key, finds nothing.
class HidingRegistry final : public ForwardingRegistry {
public:
    explicit HidingRegistry(core::RegistryApi& shown) : ForwardingRegistry(shown) {}

    // `path` from the root, components separated by '\'; compared without regard to case.
    void hideKey(core::RootKey root, std::string path);
    void hideValue(std::string name);

    core::RegStatus openKey(core::KeyHandle parent, std::string_view path, core::Access access,
                            core::KeyHandle& opened) override;
    core::RegStatus queryValue(core::KeyHandle key, std::string_view name, core::RegValue& value) override;

private:
    bool hiddenKey(core::KeyHandle parent, std::string_view path) const;
    bool hiddenValue(std::string_view name) const;

    std::vector<std::pair<core::KeyHandle, std::string>> m_keys;
    std::vector<std::string> m_values;
};

} // namespace testing_support
