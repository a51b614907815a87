#include "core/registry/win32_registry.h"

#include "core/error.h"
#include "core/platform/win32/win32_text.h"
#include "core/registry/tregistry.h"
#include "core/registry/value_data.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>

using namespace core;

namespace {

constexpr const char* TestKey = "Software\\DostrojnikTest";

std::vector<std::uint8_t> bytes(std::initializer_list<int> values)
{
    std::vector<std::uint8_t> out;
    for (const int v : values)
        out.push_back(static_cast<std::uint8_t>(v));
    return out;
}

// What Windows' own reg.exe prints for a command, and its exit status.
int runReg(const std::string& arguments, std::string& output)
{
    std::FILE* pipe = _wpopen(win32::wide("reg.exe " + arguments + " 2>&1").c_str(), L"rb");
    if (!pipe)
        return -1;
    char buffer[4096];
    output.clear();
    while (const size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
        output.append(buffer, n);
    return _pclose(pipe);
}

class Win32RegistryTest : public ::testing::Test {
protected:
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, win32::wide(TestKey).c_str()); }
    Win32Registry m_registry;
};

} // namespace

TEST_F(Win32RegistryTest, ValuesOfEveryTypeComeBackAsWritten)
{
    const struct {
        const char* name;
        std::uint32_t type;
        std::vector<std::uint8_t> data;
    } cases[] = {
        {"Tekst", RegSz, bytes({'Z', 0, 0x7C, 0x01, 0, 0})},
        {"", RegSz, bytes({'d', 0, 0, 0})},
        {"Liczba", RegDword, bytes({1, 0, 0, 0})},
        {"Dane", RegBinary, bytes({0, 0xFF, 0x10})},
        {"Pusty", RegBinary, {}},
        {"Lista", RegMultiSz, bytes({'a', 0, 0, 0, 'b', 0, 0, 0, 0, 0})},
        {"Rozwijany", RegExpandSz, bytes({'%', 0, 'X', 0, '%', 0, 0, 0})},
        {"Duża", RegQword, bytes({1, 2, 3, 4, 5, 6, 7, 8})},
    };
    KeyHandle key;
    ASSERT_EQ(m_registry.createKey(rootHandle(RootKey::CurrentUser), TestKey, Access::AllAccess, key), RegStatus::Success);
    for (const auto& c : cases)
        ASSERT_EQ(m_registry.setValue(key, c.name, c.type, c.data), RegStatus::Success) << c.name;
    for (const auto& c : cases) {
        RegValue value;
        ASSERT_EQ(m_registry.queryValue(key, c.name, value), RegStatus::Success) << c.name;
        EXPECT_EQ(value.type, c.type) << c.name;
        EXPECT_EQ(value.data, c.data) << c.name;
    }
    KeyInfo info;
    ASSERT_EQ(m_registry.queryInfoKey(key, info), RegStatus::Success);
    EXPECT_EQ(info.values, std::size(cases));
    RegValue listed;
    std::vector<std::string> names;
    for (std::uint32_t i = 0; m_registry.enumValue(key, i, listed) == RegStatus::Success; ++i)
        names.push_back(listed.name);
    EXPECT_EQ(names.size(), std::size(cases));
    EXPECT_EQ(m_registry.closeKey(key), RegStatus::Success);
    EXPECT_EQ(m_registry.closeKey(key), RegStatus::InvalidHandle);
}

TEST_F(Win32RegistryTest, FailuresAreTheRegistrysOwn)
{
    KeyHandle key;
    KeyHandle child;
    RegValue value;
    EXPECT_EQ(m_registry.openKey(rootHandle(RootKey::CurrentUser), "Software\\DostrojnikTest\\Nie ma", Access::Read, key),
              RegStatus::NotFound);
    EXPECT_FALSE(m_registry.lastFailure().empty());
    ASSERT_EQ(m_registry.createKey(rootHandle(RootKey::CurrentUser), "Software\\DostrojnikTest\\A\\B", Access::AllAccess,
                                   child),
              RegStatus::Success);
    ASSERT_EQ(m_registry.openKey(rootHandle(RootKey::CurrentUser), TestKey, Access::AllAccess, key), RegStatus::Success);
    EXPECT_EQ(m_registry.queryValue(key, "Brak", value), RegStatus::NotFound);
    EXPECT_EQ(m_registry.deleteValue(key, "Brak"), RegStatus::NotFound);
    EXPECT_EQ(m_registry.deleteKey(key, "A"), RegStatus::HasSubkeys);
    std::string name;
    EXPECT_EQ(m_registry.enumKey(key, 0, name), RegStatus::Success);
    EXPECT_EQ(name, "A");
    EXPECT_EQ(m_registry.enumKey(key, 1, name), RegStatus::NoMoreItems);
    EXPECT_EQ(m_registry.deleteKey(key, "A\\B"), RegStatus::Success);
    RegValue gone;
    EXPECT_EQ(m_registry.queryValue(child, "x", gone), RegStatus::KeyDeleted);
    EXPECT_EQ(m_registry.setValue(KeyHandle{12345}, "x", RegDword, bytes({0, 0, 0, 0})), RegStatus::InvalidHandle);
    m_registry.closeKey(child);
    m_registry.closeKey(key);
}

TEST_F(Win32RegistryTest, TRegistryWorksOnTheRealRegistry)
{
    TRegistry registry(m_registry);
    registry.SetRootKey(RootKey::CurrentUser);
    ASSERT_TRUE(registry.OpenKey("\\Software\\DostrojnikTest\\Opcje", true));
    registry.WriteString("Nazwa", "Zażółć gęślą jaźń");
    registry.WriteInteger("AutoReboot", 1);
    EXPECT_EQ(registry.ReadString("Nazwa"), "Zażółć gęślą jaźń");
    EXPECT_EQ(registry.ReadInteger("AutoReboot"), 1);
    EXPECT_TRUE(registry.DeleteKey("\\Software\\DostrojnikTest"));
    EXPECT_FALSE(registry.OpenKey("\\Software\\DostrojnikTest", false));
}

TEST_F(Win32RegistryTest, RegExeAndWeSeeEachOthersValues)
{
    KeyHandle key;
    ASSERT_EQ(m_registry.createKey(rootHandle(RootKey::CurrentUser), TestKey, Access::AllAccess, key), RegStatus::Success);
    ASSERT_EQ(m_registry.setValue(key, "OdNas", RegDword, bytes({0x2A, 0, 0, 0})), RegStatus::Success);
    std::string output;
    ASSERT_EQ(runReg("query HKCU\\Software\\DostrojnikTest /v OdNas", output), 0) << output;
    EXPECT_NE(output.find("0x2a"), std::string::npos) << output;

    ASSERT_EQ(runReg("add HKCU\\Software\\DostrojnikTest /v OdReg /t REG_SZ /d wartosc /f", output), 0) << output;
    RegValue value;
    ASSERT_EQ(m_registry.queryValue(key, "OdReg", value), RegStatus::Success);
    EXPECT_EQ(value.type, RegSz);
    EXPECT_EQ(value.data, bytes({'w', 0, 'a', 0, 'r', 0, 't', 0, 'o', 0, 's', 0, 'c', 0, 0, 0}));
    m_registry.closeKey(key);
}
