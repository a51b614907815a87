// The registry against Wine itself, on a fresh prefix: Wine's own files read and write back
// byte for byte, what we write Wine reads (and writes back exactly as we did), and while
// Wine's server runs on the prefix our writes wait and nothing is lost. Skipped without Wine.

#include "core/registry/hive_text.h"
#include "core/registry/value_data.h"
#include "core/registry/wine_registry.h"
#include "tests/support/temporary_folder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <thread>

using namespace core;
using testing_support::readText;
using testing_support::TemporaryFolder;

namespace {

bool haveWine()
{
    return std::system("command -v wine >/dev/null 2>&1 && command -v wineserver >/dev/null 2>&1") == 0;
}

std::string quote(const std::string& text)
{
    std::string out = "'";
    for (const char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// Runs a command in the prefix's environment and returns its standard output.
std::string run(const std::filesystem::path& prefix, const std::string& command, int* status = nullptr)
{
    const std::string line = "WINEPREFIX=" + quote(prefix.string()) + " WINEDEBUG=-all " + command + " 2>/dev/null";
    FILE* pipe = ::popen(line.c_str(), "r");
    std::string output;
    char buffer[4096];
    for (std::size_t n; pipe && (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        output.append(buffer, n);
    const int rc = pipe ? ::pclose(pipe) : -1;
    if (status)
        *status = rc;
    return output;
}

// One prefix for the whole suite: making one takes Wine a while.
class RegistryWine : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!haveWine())
            return;
        s_folder = new TemporaryFolder;
        s_prefix = s_folder->path() / "prefix";
        run(s_prefix, "wine wineboot -i");
        run(s_prefix, "wineserver -w");
    }
    static void TearDownTestSuite()
    {
        if (s_folder)
            run(s_prefix, "wineserver -k");
        delete s_folder;
        s_folder = nullptr;
    }
    void SetUp() override
    {
        // scripts/run-tests installs Wine, so there a missing Wine is a fault, not a reason to skip.
        if (!haveWine() && std::getenv("DOSTROJNIK_REQUIRE_WINE"))
            FAIL() << "Wine is not installed (Debian's wine and wine64; scripts/setup installs them)";
        if (!haveWine())
            GTEST_SKIP() << "Wine is not installed";
        ASSERT_TRUE(std::filesystem::exists(s_prefix / "system.reg")) << "wineboot made no prefix";
    }

    static inline TemporaryFolder* s_folder = nullptr;
    static inline std::filesystem::path s_prefix;
};

std::vector<std::uint8_t> dword(std::uint8_t low)
{
    return {low, 0, 0, 0};
}

// The block of one key in a hive file, from its "[path]" line to the end of its values.
std::string blockOf(const std::string& text, const std::string& path)
{
    const auto start = text.find("\n[" + path + "] ");
    if (start == std::string::npos)
        return {};
    const auto end = text.find("\n\n", start + 1);
    return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

} // namespace

TEST_F(RegistryWine, WinesOwnFilesReadAndWriteBackByteForByte)
{
    for (const char* name : {"system.reg", "user.reg", "userdef.reg"}) {
        SCOPED_TRACE(name);
        const std::string text = readText(s_prefix / name);
        registry::Hive hive;
        registry::HiveParseError error;
        ASSERT_TRUE(registry::Hive::parse(text, hive, error)) << error.line << ": " << error.what;
        EXPECT_EQ(hive.serialize(), text);
        // Each block as our writer makes it from the parsed key is the block Wine wrote.
        std::size_t blocks = 0;
        std::function<void(registry::HiveKey&)> check = [&](registry::HiveKey& key) {
            hive.load(key);
            if (key.blocks > 0) {
                ++blocks;
                const std::string block = hive.blockText(key);
                EXPECT_TRUE(text.find(block + "\n") != std::string::npos || text.ends_with(block)) << block;
            }
            for (auto& subkey : key.subkeys)
                check(*subkey);
        };
        check(hive.root());
        EXPECT_GT(blocks, 1u);
    }
}

TEST_F(RegistryWine, WhatWeWriteWineReadsAndWritesBackTheSame)
{
    const std::string keyPath = "Software\\DostrojnikTest";
    {
        WineRegistry registry(s_prefix, 2400);
        KeyHandle key;
        ASSERT_EQ(registry.createKey(rootHandle(RootKey::CurrentUser), keyPath, Access::AllAccess, key),
                  RegStatus::Success)
            << registry.lastFailure();
        std::vector<std::uint8_t> binary;
        for (int i = 0; i < 100; ++i)
            binary.push_back(static_cast<std::uint8_t>(i * 7));
        const struct {
            const char* name;
            std::uint32_t type;
            std::vector<std::uint8_t> data;
        } values[] = {
            {"sz", RegSz, stringData(u"Zażółć \"gęślą\" \\ jaźń \U0001F30E 0a")},
            {"expand", RegExpandSz, stringData(u"%WinDir%\\system32")},
            {"multi", RegMultiSz, stringData(std::u16string(u"one\0two\0", 8))},
            {"dword", RegDword, {0x78, 0x56, 0x34, 0x12}},
            {"binary", RegBinary, binary},
            {"qword", RegQword, {0x55, 0x44, 0x33, 0x22, 0x11, 0, 0, 0}},
            {"none", RegNone, {1, 2}},
            {"oddsz", RegSz, {0x41, 0, 0x42}},
            {"big", RegDwordBigEndian, {0, 0, 0, 1}},
            {"custom", 0xffff0007u, {9}},
            {"", RegSz, stringData(u"default")},
            {"quote\"back\\slash", RegDword, {1, 0, 0, 0}},
            {"ctl\a\x1f" "7", RegSz, stringData(u"tab\there\001" u"7")},
        };
        for (const auto& value : values)
            ASSERT_EQ(registry.setValue(key, value.name, value.type, value.data), RegStatus::Success) << value.name;
        KeyHandle odd;
        ASSERT_EQ(registry.createKey(key, "[br]ack ..\\a/b \xc5\xbc\xf0\x9f\x8c\x8e", Access::AllAccess, odd),
                  RegStatus::Success);
        ASSERT_EQ(registry.setValue(odd, "v", RegDword, dword(1)), RegStatus::Success);
    }
    const std::string ours = readText(s_prefix / "user.reg");

    const std::string query = run(s_prefix, "wine reg query " + quote("HKCU\\" + keyPath));
    for (const char* line : {"    sz    REG_SZ    ", "    expand    REG_EXPAND_SZ    %WinDir%\\system32",
                             "    multi    REG_MULTI_SZ    one\\0two", "    dword    REG_DWORD    0x12345678",
                             "    binary    REG_BINARY    00070E151C232A31", "    qword    REG_QWORD",
                             "    none    REG_NONE    0102", "    (Default)    REG_SZ    default",
                             "    quote\"back\\slash    REG_DWORD    0x1"}) {
        EXPECT_NE(query.find(line), std::string::npos) << line << "\n" << query;
    }
    const std::string sub = run(s_prefix, "wine reg query " + quote("HKCU\\" + keyPath) + " /s");
    EXPECT_NE(sub.find("[br]ack ..\\a/b"), std::string::npos) << sub;

    // Make Wine save the hive and compare its blocks of our keys with ours.
    int status = 0;
    run(s_prefix, "wine reg add 'HKCU\\Software\\DostrojnikOther' /v x /d y /f", &status);
    EXPECT_EQ(status, 0);
    run(s_prefix, "wineserver -w");
    const std::string theirs = readText(s_prefix / "user.reg");
    ASSERT_NE(theirs, ours);
    for (const std::string path : {"Software\\\\DostrojnikTest",
                                   "Software\\\\DostrojnikTest\\\\\\[br\\]ack ..\\\\a/b \\x17c\\xd83c\\xdf0e"}) {
        const std::string block = blockOf(ours, path);
        EXPECT_FALSE(block.empty()) << path;
        EXPECT_EQ(blockOf(theirs, path), block);
    }
}

TEST_F(RegistryWine, WhileWinesServerRunsWritesFailAndNothingIsLost)
{
    WineRegistry registry(s_prefix, 2400);
    KeyHandle key;
    ASSERT_EQ(registry.createKey(rootHandle(RootKey::CurrentUser), "Software\\DostrojnikServer", Access::AllAccess, key),
              RegStatus::Success)
        << registry.lastFailure();
    ASSERT_EQ(registry.setValue(key, "before", RegDword, dword(1)), RegStatus::Success);

    run(s_prefix, "wineserver -p");
    // The server takes its lock as it starts.
    RegStatus status = RegStatus::Success;
    for (int i = 0; i < 200 && status == RegStatus::Success; ++i) {
        status = registry.setValue(key, "probe", RegDword, dword(1));
        if (status == RegStatus::Success)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_EQ(status, RegStatus::BadHive);
    EXPECT_NE(registry.lastFailure().find("in use by Wine's server"), std::string::npos) << registry.lastFailure();
    EXPECT_EQ(registry.setValue(key, "during", RegDword, dword(2)), RegStatus::BadHive);
    RegValue value;
    EXPECT_EQ(registry.queryValue(key, "before", value), RegStatus::Success);

    run(s_prefix, "wineserver -k");
    run(s_prefix, "wineserver -w");
    ASSERT_EQ(registry.setValue(key, "after", RegDword, dword(3)), RegStatus::Success) << registry.lastFailure();
    EXPECT_EQ(registry.queryValue(key, "before", value), RegStatus::Success);
    EXPECT_EQ(registry.queryValue(key, "during", value), RegStatus::NotFound);
    const std::string query = run(s_prefix, "wine reg query 'HKCU\\Software\\DostrojnikServer'");
    EXPECT_NE(query.find("    before    REG_DWORD    0x1"), std::string::npos) << query;
    EXPECT_NE(query.find("    after    REG_DWORD    0x3"), std::string::npos) << query;
    run(s_prefix, "wineserver -w");
}
