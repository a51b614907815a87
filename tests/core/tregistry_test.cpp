#include "core/error.h"
#include "core/registry/tregistry.h"
#include "core/registry/wine_registry.h"
#include "tests/support/faulty_system_calls.h"
#include "tests/support/forwarding_registry.h"
#include "tests/support/temporary_folder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <set>

using namespace core;
using testing_support::TemporaryFolder;

namespace {

// Passes every call on to the real store and notes what the object asked for.
class RecordingRegistry final : public testing_support::ForwardingRegistry {
public:
    using ForwardingRegistry::ForwardingRegistry;

    std::vector<std::string> log;
    std::set<std::uint32_t> open;
    bool allAccessOnly = true;

    RegStatus createKey(KeyHandle parent, std::string_view path, Access access, KeyHandle& opened) override
    {
        return noteOpen("create ", path, access, m_inner.createKey(parent, path, access, opened), opened);
    }
    RegStatus openKey(KeyHandle parent, std::string_view path, Access access, KeyHandle& opened) override
    {
        return noteOpen("open ", path, access, m_inner.openKey(parent, path, access, opened), opened);
    }
    RegStatus closeKey(KeyHandle key) override
    {
        open.erase(key.id);
        return m_inner.closeKey(key);
    }
    RegStatus deleteKey(KeyHandle parent, std::string_view path) override
    {
        log.push_back("delete " + std::string(path));
        return m_inner.deleteKey(parent, path);
    }

private:
    RegStatus noteOpen(const char* what, std::string_view path, Access access, RegStatus status, KeyHandle opened)
    {
        allAccessOnly = allAccessOnly && access == Access::AllAccess;
        log.push_back(what + std::string(path));
        if (status == RegStatus::Success)
            open.insert(opened.id);
        return status;
    }
};

std::string errorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const Error& error) {
        return error.what();
    }
    return "(no error)";
}

class TRegistryTest : public ::testing::Test {
protected:
    TemporaryFolder root;
    testing_support::FaultySystemCalls calls;
    WineRegistry store{root.path(), 2400, calls};
    RecordingRegistry api{store};

    RegValue value(RootKey rootKey, std::string_view path, std::string_view name)
    {
        KeyHandle key;
        RegValue found;
        if (store.openKey(rootHandle(rootKey), path, Access::Read, key) == RegStatus::Success) {
            store.queryValue(key, name, found);
            store.closeKey(key);
        }
        return found;
    }
    void put(std::string_view path, std::string_view name, std::uint32_t type, std::vector<std::uint8_t> data)
    {
        KeyHandle key;
        ASSERT_EQ(store.createKey(rootHandle(RootKey::CurrentUser), path, Access::AllAccess, key), RegStatus::Success);
        ASSERT_EQ(store.setValue(key, name, type, data), RegStatus::Success);
        store.closeKey(key);
    }
    bool exists(RootKey rootKey, std::string_view path)
    {
        KeyHandle key;
        if (store.openKey(rootHandle(rootKey), path, Access::Read, key) != RegStatus::Success)
            return false;
        store.closeKey(key);
        return true;
    }
};

} // namespace

TEST_F(TRegistryTest, OpenKeyFollowsTheRootAndTheOpenKey)
{
    {
        TRegistry reg(api);
        EXPECT_EQ(reg.GetRootKey(), RootKey::CurrentUser);
        EXPECT_FALSE(reg.HasOpenKey());
        EXPECT_FALSE(reg.OpenKey("Software\\Missing", false));
        ASSERT_TRUE(reg.OpenKey("Software\\Firma", true));
        EXPECT_EQ(reg.CurrentPath(), "Software\\Firma");
        // Relative to the open key, the path grows; a failure keeps the key that was open.
        ASSERT_TRUE(reg.OpenKey("Program", true));
        EXPECT_EQ(reg.CurrentPath(), "Software\\Firma\\Program");
        EXPECT_FALSE(reg.OpenKey("Nothing", false));
        EXPECT_EQ(reg.CurrentPath(), "Software\\Firma\\Program");
        // A leading backslash starts from the root.
        ASSERT_TRUE(reg.OpenKey("\\Software\\Firma", false));
        EXPECT_EQ(reg.CurrentPath(), "Software\\Firma");
        // An empty path with create opens, never creates.
        api.log.clear();
        ASSERT_TRUE(reg.OpenKey("", true));
        EXPECT_EQ(api.log, std::vector<std::string>{"open "});
        EXPECT_EQ(reg.CurrentPath(), "Software\\Firma\\");
        EXPECT_EQ(api.open.size(), 1u);

        // The same root changes nothing; another root closes the key.
        reg.SetRootKey(RootKey::CurrentUser);
        EXPECT_TRUE(reg.HasOpenKey());
        reg.SetRootKey(RootKey::LocalMachine);
        EXPECT_FALSE(reg.HasOpenKey());
        EXPECT_EQ(reg.CurrentPath(), "");
        EXPECT_TRUE(api.open.empty());
        ASSERT_TRUE(reg.OpenKey("SYSTEM\\CurrentControlSet\\Control\\CrashControl", true));
        reg.WriteInteger("AutoReboot", 1);
        EXPECT_EQ(value(RootKey::LocalMachine, "SYSTEM\\CurrentControlSet\\Control\\CrashControl", "AutoReboot").data,
                  (std::vector<std::uint8_t>{1, 0, 0, 0}));
    }
    // Every open asks for all access, and the object lets its key go when it dies.
    EXPECT_TRUE(api.allAccessOnly);
    EXPECT_TRUE(api.open.empty());
}

TEST_F(TRegistryTest, WritesGoIntoTheOpenKeyOrFail)
{
    TRegistry reg(api);
    EXPECT_EQ(errorOf([&] { reg.WriteInteger("NoKey", 1); }), "Failed to set data for 'NoKey'");
    EXPECT_EQ(errorOf([&] { reg.WriteString("NoKey", "x"); }), "Failed to set data for 'NoKey'");
    ASSERT_TRUE(reg.OpenKey("Software\\W", true));
    reg.WriteInteger("Minus", -2);
    reg.WriteString("Text", "Zażółć");
    EXPECT_EQ(value(RootKey::CurrentUser, "Software\\W", "Minus").data, (std::vector<std::uint8_t>{0xfe, 0xff, 0xff, 0xff}));
    const RegValue text = value(RootKey::CurrentUser, "Software\\W", "Text");
    EXPECT_EQ(text.type, RegSz);
    EXPECT_EQ(text.data, (std::vector<std::uint8_t>{'Z', 0, 'a', 0, 0x7c, 0x01, 0xf3, 0, 0x42, 0x01, 0x07, 0x01, 0, 0}));
    const std::string tooLong(16384, 'n');
    EXPECT_EQ(errorOf([&] { reg.WriteInteger(tooLong, 1); }), "Failed to set data for '" + tooLong + "'");
}

TEST_F(TRegistryTest, AHiveThatMayNotBeWrittenFailsLikeAUserWithoutRights)
{
    TRegistry reg(api);
    reg.SetRootKey(RootKey::LocalMachine);
    ASSERT_TRUE(reg.OpenKey("SYSTEM\\Existing", true));
    reg.CloseKey();
    calls.failOn("access", EACCES);
    EXPECT_FALSE(reg.OpenKey("SYSTEM\\Existing", true));
    EXPECT_EQ(errorOf([&] { reg.WriteInteger("AutoReboot", 1); }), "Failed to set data for 'AutoReboot'");
    EXPECT_FALSE(reg.DeleteValue("AutoReboot"));
}

TEST_F(TRegistryTest, ReadStringRules)
{
    put("R", "sz", RegSz, {'a', 0, 'b', 0, 0, 0, 'c', 0, 0, 0});
    put("R", "expand", RegExpandSz, {'%', 0, 0, 0});
    put("R", "empty", RegDword, {});
    put("R", "dword", RegDword, {1, 0, 0, 0});
    put("R", "odd", RegSz, {'x', 0, 'y'});
    TRegistry reg(api);
    EXPECT_EQ(reg.ReadString("sz"), ""); // no key open
    ASSERT_TRUE(reg.OpenKey("R", false));
    EXPECT_EQ(reg.ReadString("sz"), "ab");
    EXPECT_EQ(reg.ReadString("expand"), "%");
    EXPECT_EQ(reg.ReadString("missing"), "");
    EXPECT_EQ(reg.ReadString("empty"), "");
    EXPECT_EQ(reg.ReadString("odd"), "x");
    EXPECT_EQ(errorOf([&] { reg.ReadString("dword"); }), "Invalid data type for 'dword'");
}

TEST_F(TRegistryTest, ReadIntegerRules)
{
    put("I", "dword", RegDword, {0xff, 0xff, 0xff, 0x7f});
    put("I", "short", RegDword, {5});
    put("I", "sz4", RegSz, {'1', 0, 0, 0});
    put("I", "long", RegDword, {1, 2, 3, 4, 5});
    put("I", "big", RegDwordBigEndian, {0, 0, 0, 1});
    TRegistry reg(api);
    EXPECT_EQ(errorOf([&] { reg.ReadInteger("dword"); }), "Failed to get data for 'dword'");
    ASSERT_TRUE(reg.OpenKey("I", false));
    EXPECT_EQ(reg.ReadInteger("dword"), 0x7fffffff);
    EXPECT_EQ(reg.ReadInteger("short"), 5);
    EXPECT_EQ(errorOf([&] { reg.ReadInteger("missing"); }), "Failed to get data for 'missing'");
    EXPECT_EQ(errorOf([&] { reg.ReadInteger("long"); }), "Failed to get data for 'long'");
    EXPECT_EQ(errorOf([&] { reg.ReadInteger("sz4"); }), "Invalid data type for 'sz4'");
    EXPECT_EQ(errorOf([&] { reg.ReadInteger("big"); }), "Invalid data type for 'big'");
    EXPECT_TRUE(reg.ValueExists("DWORD"));
    EXPECT_TRUE(reg.DeleteValue("dword"));
    EXPECT_FALSE(reg.DeleteValue("dword"));
    EXPECT_FALSE(reg.ValueExists("dword"));
}

TEST_F(TRegistryTest, DeleteKeyTakesTheSubkeysFromTheLastOneDown)
{
    for (const char* path : {"Tree\\Top\\a\\x", "Tree\\Top\\b", "Tree\\Top\\C\\y\\z", "Tree\\Other"})
        put(path, "v", RegDword, {1, 0, 0, 0});
    TRegistry reg(api);
    ASSERT_TRUE(reg.OpenKey("Tree", false));
    api.log.clear();
    EXPECT_TRUE(reg.DeleteKey("Top"));
    std::vector<std::string> deletes;
    for (const auto& entry : api.log)
        if (entry.rfind("delete ", 0) == 0)
            deletes.push_back(entry);
    EXPECT_EQ(deletes, (std::vector<std::string>{"delete z", "delete y", "delete C", "delete b", "delete x",
                                                 "delete a", "delete Top"}));
    EXPECT_FALSE(exists(RootKey::CurrentUser, "Tree\\Top"));
    EXPECT_TRUE(exists(RootKey::CurrentUser, "Tree\\Other"));
    // The open key stays, and a missing key is a silent false.
    EXPECT_EQ(reg.CurrentPath(), "Tree");
    EXPECT_FALSE(reg.DeleteKey("Top"));
    EXPECT_TRUE(reg.DeleteKey("\\Tree\\Other"));
    EXPECT_EQ(api.open.size(), 1u);
    reg.WriteInteger("still", 1);
    EXPECT_EQ(value(RootKey::CurrentUser, "Tree", "still").data, (std::vector<std::uint8_t>{1, 0, 0, 0}));
}

TEST_F(TRegistryTest, CreateKeyLeavesTheOpenKeyAlone)
{
    TRegistry reg(api);
    reg.SetRootKey(RootKey::ClassesRoot);
    ASSERT_TRUE(reg.OpenKey("CLSID", true));
    reg.CreateKey("{1234}\\InprocServer32");
    reg.CreateKey("\\.dostrojnik");
    EXPECT_EQ(reg.CurrentPath(), "CLSID");
    EXPECT_EQ(api.open.size(), 1u);
    EXPECT_TRUE(exists(RootKey::LocalMachine, "Software\\Classes\\CLSID\\{1234}\\InprocServer32"));
    EXPECT_TRUE(exists(RootKey::ClassesRoot, ".dostrojnik"));
    EXPECT_EQ(errorOf([&] { reg.CreateKey("\\a\\\\b"); }), "Failed to create key \\a\\\\b");
    EXPECT_EQ(api.open.size(), 1u);
}

TEST_F(TRegistryTest, TheKeyIsReleasedWhenAnErrorLeavesTheHandler)
{
    EXPECT_THROW(
        {
            TRegistry reg(api);
            ASSERT_TRUE(reg.OpenKey("Software\\E", true));
            reg.ReadInteger("missing");
        },
        Error);
    EXPECT_TRUE(api.open.empty());
}

TEST_F(TRegistryTest, RegIniFileUsesSubkeysAsSections)
{
    {
        TRegIniFile ini(api, "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer");
        EXPECT_EQ(ini.GetRootKey(), RootKey::CurrentUser);
        EXPECT_EQ(ini.CurrentPath(), "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer");
        ini.WriteString("DisallowRun", "1", "regedit.exe");
        EXPECT_EQ(ini.CurrentPath(), "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer");
        EXPECT_EQ(api.open.size(), 1u);
        EXPECT_EQ(ini.ReadString("DisallowRun", "1", "none"), "regedit.exe");
        EXPECT_EQ(ini.ReadString("DisallowRun", "2", "none"), "none");
        EXPECT_EQ(ini.ReadString("NoSection", "1", "none"), "none");
        // The open key itself is untouched by the section writes.
        EXPECT_FALSE(ini.ValueExists("1"));
    }
    EXPECT_TRUE(api.open.empty());
    const RegValue written =
        value(RootKey::CurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer\\DisallowRun", "1");
    EXPECT_EQ(written.type, RegSz);

    // A section that cannot be made raises the create error; nothing is written.
    TRegIniFile ini(api, "Software\\Ini");
    EXPECT_EQ(errorOf([&] { ini.WriteString("bad\\\\section", "n", "t"); }), "Failed to create key bad\\\\section");
}

TEST_F(TRegistryTest, ASectionWriteThatFailsLeavesTheOpenKeyAsItWas)
{
    TRegIniFile ini(api, "Software\\Ini");
    const std::string tooLong(16384, 'n');
    EXPECT_EQ(errorOf([&] { ini.WriteString("Section", tooLong, "t"); }), "Failed to set data for '" + tooLong + "'");
    EXPECT_EQ(api.open.size(), 1u);
    ini.WriteString("top", "t");
    EXPECT_EQ(value(RootKey::CurrentUser, "Software\\Ini", "top").type, RegSz);
    EXPECT_FALSE(exists(RootKey::CurrentUser, "Software\\Ini\\Section\\top"));
}
