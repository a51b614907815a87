// The stock keys on the program's first use of a machine: a machine of the program has them all,
// one that lacks some (a Wine prefix) gets exactly those, as keys without values, after the
// automatic point, and a machine used before is left as it is.

#include "core/machine/stock_keys.h"

#include "core/machine/machine.h"
#include "core/registry/wine_registry.h"
#include "core/restore/registry_changes.h"
#include "core/restore/restore_points.h"
#include "tests/support/fake_platform.h"
#include "tests/support/forwarding_registry.h"
#include "tests/support/temporary_folder.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace core;
using testing_support::TemporaryFolder;

namespace {

const baseline::StockKey Missing[] = {
    {RootKey::CurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced"},
    {RootKey::CurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer"},
    {RootKey::LocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced"},
};

bool exists(RegistryApi& registry, const baseline::StockKey& key, std::uint32_t* values = nullptr)
{
    KeyHandle handle;
    if (registry.openKey(rootHandle(key.root), key.path, Access::Read, handle) != RegStatus::Success)
        return false;
    KeyInfo info;
    registry.queryInfoKey(handle, info);
    if (values)
        *values = info.values;
    registry.closeKey(handle);
    return true;
}

// A registry on which every key creation fails, as on a hive that may not be written.
class NoNewKeys final : public testing_support::ForwardingRegistry {
public:
    using ForwardingRegistry::ForwardingRegistry;
    RegStatus createKey(KeyHandle, std::string_view, Access, KeyHandle&) override { return RegStatus::AccessDenied; }
};

class StockKeys : public ::testing::Test {
protected:
    StockKeys() { machine.ensureExists(); }

    void removeMissing()
    {
        WineRegistry registry(machine.root(), 1000);
        for (const auto& key : Missing)
            ASSERT_EQ(registry.deleteKey(rootHandle(key.root), key.path), RegStatus::Success);
    }

    TemporaryFolder folder;
    Machine machine{folder / "machine", "user"};
};

} // namespace

TEST_F(StockKeys, AMachineOfTheProgramHasThemAll)
{
    WineRegistry registry(machine.root(), 1000);
    EXPECT_TRUE(makeMissingStockKeys(registry, machine.root()).empty());
    for (const auto& key : baseline::StockKeys)
        EXPECT_TRUE(exists(registry, key)) << key.path;
}

TEST_F(StockKeys, TheKeysAMachineLacksAreMadeAfterTheAutomaticPointAndOnlyAtItsFirstUse)
{
    removeMissing();
    testing_support::FakeClock clock;
    restore::PointStore points(machine.root(), clock);
    {
        WineRegistry registry(machine.root(), 1000);
        registry.setBeforeFirstChange([&] { points.createAutomaticLocked("Automatyczny"); });
        const auto made = makeMissingStockKeys(registry, machine.root());
        ASSERT_EQ(made.size(), std::size(Missing));
        for (const auto& key : Missing) {
            std::uint32_t values = 99;
            EXPECT_TRUE(exists(registry, key, &values)) << key.path;
            EXPECT_EQ(values, 0u) << key.path;
        }
    }
    // The point holds the registry without them; the changes since then are the keys alone.
    ASSERT_EQ(points.list().size(), 1u);
    const auto changes = restore::changesSince(points, 1);
    ASSERT_EQ(changes.size(), std::size(Missing));
    for (const auto& change : changes) {
        EXPECT_EQ(change.state, restore::KeyState::Added) << restore::keyName(change);
        EXPECT_TRUE(change.values.empty()) << restore::keyName(change);
    }

    // Used before: a key removed since stays missing.
    removeMissing();
    WineRegistry registry(machine.root(), 1000);
    EXPECT_TRUE(makeMissingStockKeys(registry, machine.root()).empty());
    EXPECT_FALSE(exists(registry, Missing[0]));
}

TEST_F(StockKeys, AKeyThatCannotBeMadeIsTriedAgainAtTheNextUse)
{
    removeMissing();
    WineRegistry files(machine.root(), 1000);
    NoNewKeys refusing(files);
    EXPECT_TRUE(makeMissingStockKeys(refusing, machine.root()).empty());
    EXPECT_FALSE(std::filesystem::exists(machine.root() / StockKeysDone));
    EXPECT_EQ(makeMissingStockKeys(files, machine.root()).size(), std::size(Missing));
}
