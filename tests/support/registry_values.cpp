#include "tests/support/registry_values.h"

#include "core/registry/value_data.h"
#include "core/text/unicode.h"

#include <gtest/gtest.h>

namespace testing_support {

Value dword(std::uint32_t value)
{
    return {core::RegDword,
            {std::uint8_t(value), std::uint8_t(value >> 8), std::uint8_t(value >> 16), std::uint8_t(value >> 24)}};
}

Value text(const char16_t* value)
{
    return {core::RegSz, core::stringData(value)};
}

Value text(const std::string& utf8)
{
    return {core::RegSz, core::stringData(core::text::toUtf16(utf8))};
}

std::vector<RowWrite> switchRows(core::RootKey root, const char* key, const std::vector<SwitchWrite>& switches)
{
    std::vector<RowWrite> rows;
    for (const SwitchWrite& s : switches) {
        rows.push_back({s.on, root, key, s.value, s.onData});
        rows.push_back({s.off, root, key, s.value, s.offData});
    }
    return rows;
}

std::optional<Values> keyValues(core::RegistryApi& registry, core::RootKey root, const std::string& path)
{
    core::KeyHandle key;
    if (registry.openKey(core::rootHandle(root), path, core::Access::Read, key) != core::RegStatus::Success)
        return std::nullopt;
    Values found;
    core::RegValue value;
    for (std::uint32_t i = 0; registry.enumValue(key, i, value) == core::RegStatus::Success; ++i)
        found[value.name] = {value.type, value.data};
    registry.closeKey(key);
    return found;
}

void seed(core::RegistryApi& registry, core::RootKey root, const std::string& path, const Values& values)
{
    core::KeyHandle key;
    ASSERT_EQ(registry.createKey(core::rootHandle(root), path, core::Access::AllAccess, key), core::RegStatus::Success);
    for (const auto& [name, value] : values)
        EXPECT_EQ(registry.setValue(key, name, value.first, value.second), core::RegStatus::Success) << name;
    registry.closeKey(key);
}

} // namespace testing_support
