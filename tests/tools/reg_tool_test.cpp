// dostrojnik-reg as a real process on temporary machines: every command, Wine's messages and
// output, exit codes, the export/import round trip of every value type, and refused writes.

#include "core/registry/wine_registry.h"
#include "tests/support/temporary_folder.h"
#include "tests/tools/tool_process.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

namespace {

namespace fs = std::filesystem;
using namespace std::string_view_literals;
using testing_support::readText;
using testing_support::TemporaryFolder;
using testing_support::writeText;
using tool_testing::ProcessResult;
using tool_testing::utf16File;

std::vector<std::uint8_t> bytes(std::string_view text)
{
    return {text.begin(), text.end()};
}

// The hex(6) data of a link key that points to `target`, as a .reg file holds it.
std::string linkData(std::string_view target)
{
    std::string link;
    for (const char c : target) {
        char unit[8];
        std::snprintf(unit, sizeof unit, "%s%02x,00", link.empty() ? "" : ",", static_cast<unsigned>(c));
        link += unit;
    }
    return link;
}

class RegTool : public ::testing::Test {
protected:
    fs::path machine() const { return m_folder / "machine"; }

    ProcessResult reg(std::vector<std::string> args, const std::string& input = {},
                      tool_testing::Environment environment = {}) const
    {
        return tool_testing::runTool("dostrojnik-reg", std::move(args), machine(), environment, input, m_folder.path());
    }

    // Runs the command and expects it to succeed with Wine's message.
    void add(std::vector<std::string> args) const
    {
        args.insert(args.begin(), "add");
        args.push_back("/f");
        const auto result = reg(args);
        ASSERT_EQ(result.status, 0) << result.out;
        ASSERT_EQ(result.out, "reg: The operation completed successfully\n");
    }

    std::optional<core::RegValue> value(core::RootKey root, const std::string& key, const std::string& name) const
    {
        core::WineRegistry registry(machine(), 0);
        core::KeyHandle handle;
        if (registry.openKey(core::rootHandle(root), key, core::Access::Read, handle) != core::RegStatus::Success)
            return std::nullopt;
        core::RegValue found;
        if (registry.queryValue(handle, name, found) != core::RegStatus::Success)
            return std::nullopt;
        return found;
    }

    TemporaryFolder m_folder;
};

TEST_F(RegTool, ExplainsItselfAndRejectsBadSyntaxWithWinesMessages)
{
    auto result = reg({"/?"});
    EXPECT_EQ(result.status, 0);
    EXPECT_NE(result.out.find("REG [operation] [parameters]"), std::string::npos);
    EXPECT_NE(result.out.find("ADD | DELETE | EXPORT | IMPORT | QUERY"), std::string::npos);
    result = reg({"query", "/?"});
    EXPECT_EQ(result.status, 0);
    EXPECT_TRUE(result.out.starts_with("REG QUERY <key> [/v value_name | /ve] [/s]\n"));
    EXPECT_NE(reg({"add", "/?"}).out.find("REG_DWORD | REG_QWORD"), std::string::npos);

    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{}, "reg: Invalid syntax. Type \"dostrojnik-reg /?\" for help.\n"},
        {{"bogus"}, "reg: Invalid option [bogus]. Type \"dostrojnik-reg /?\" for help.\n"},
        {{"query"}, "reg: Invalid syntax. Type \"dostrojnik-reg query /?\" for help.\n"},
        {{"query", "HKCU", "/x"}, "reg: Invalid syntax. Type \"dostrojnik-reg query /?\" for help.\n"},
        {{"add", "HKCU\\x", "/v", "a", "/ve"}, "reg: Invalid syntax. Type \"dostrojnik-reg add /?\" for help.\n"},
        {{"add", "HKCU\\x", "/v"}, "reg: Invalid syntax. Type \"dostrojnik-reg add /?\" for help.\n"},
        {{"add", "HKCU\\x", "/s", "ab", "/d", "a", "/t", "REG_MULTI_SZ"},
         "reg: Invalid syntax. Type \"dostrojnik-reg add /?\" for help.\n"},
        {{"delete", "HKCU\\x", "/v", "a", "/va"}, "reg: Invalid syntax. Type \"dostrojnik-reg delete /?\" for help.\n"},
        {{"export", "HKCU\\x"}, "reg: Invalid syntax. Type \"dostrojnik-reg export /?\" for help.\n"},
        {{"import"}, "reg: Invalid syntax. Type \"dostrojnik-reg import /?\" for help.\n"},
        {{"query", "HKXX\\Software"}, "reg: Invalid system key\n"},
        {{"query", "HKCU\\"}, "reg: Invalid system key\n"},
        {{"query", "HKCU\\Software\\\\"}, "reg: Invalid registry key\n"},
        {{"query", "\\\\host\\HKCU\\Software"}, "reg: Unable to access remote machine\n"},
        {{"query", "HKCU\\NoSuchKey"}, "reg: Unable to find the specified registry key\n"},
    };
    for (const auto& [args, message] : cases) {
        result = reg(args);
        EXPECT_EQ(result.status, 1) << args.size();
        EXPECT_EQ(result.out, message);
    }
    EXPECT_NE(reg({"query", "HKU\\x"}).out.find("no HKU"), std::string::npos);
}

TEST_F(RegTool, TakesRootsByEitherNameInAnyCaseAndShowsTheLongOne)
{
    add({"hkey_local_machine\\Software\\Classes\\.r", "/ve", "/d", "r"});
    EXPECT_EQ(reg({"query", "Hkey_Classes_Root\\.r"}).out, "\nHKEY_CLASSES_ROOT\\.r\n    (Default)    REG_SZ    r\n\n");
    EXPECT_EQ(reg({"query", "hklm\\Software\\Classes\\.R"}).out,
              "\nHKEY_LOCAL_MACHINE\\Software\\Classes\\.R\n    (Default)    REG_SZ    r\n\n");
    add({"hKcU\\Software\\R", "/v", "x", "/d", "1"});
    EXPECT_NE(reg({"query", "HKEY_current_USER"}).out.find("\nHKEY_CURRENT_USER\\Software\n"), std::string::npos);
    EXPECT_EQ(reg({"query", "hkey_current_config\\x"}).out,
              "reg: The emulated machine has no hkey_current_config; its roots are HKLM, HKCU and HKCR\n");
}

TEST_F(RegTool, AddsEveryTypeAndQueriesItAsWineShowsIt)
{
    add({"HKCU\\Software\\T", "/ve", "/d", "def"});
    add({"HKCU\\Software\\T", "/v", "s", "/d", "hello"});
    add({"HKCU\\Software\\T", "/v", "e", "/t", "REG_EXPAND_SZ", "/d", "%PATH%x"});
    add({"HKCU\\Software\\T", "/v", "m", "/t", "REG_MULTI_SZ", "/d", "a\\0b\\0c"});
    add({"HKCU\\Software\\T", "/v", "d", "/t", "reg_dword", "/d", "0x7b"});
    add({"HKCU\\Software\\T", "/v", "q", "/t", "REG_QWORD", "/d", "0x123456789"});
    add({"HKCU\\Software\\T", "/v", "b", "/t", "REG_BINARY", "/d", "0102abff"});
    add({"HKCU\\Software\\T", "/v", "n", "/t", "REG_NONE", "/d", "0102"});
    add({"HKCU\\Software\\T", "/v", "be", "/t", "REG_DWORD_BIG_ENDIAN", "/d", "5"});
    add({"HKCU\\Software\\T", "/v", "j", "/t", "REG_MULTI_SZ", "/s", ",", "/d", "x,y"});
    add({"HKCU\\Software\\T\\Sub", "/v", "x", "/d", "y"});

    // Wine's renderings, oddities included: a QWORD shows no data, big-endian reads as little.
    const auto result = reg({"query", "hkcu\\Software\\T\\"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "\n"
                          "HKEY_CURRENT_USER\\Software\\T\n"
                          "    (Default)    REG_SZ    def\n"
                          "    b    REG_BINARY    0102ABFF\n"
                          "    be    REG_DWORD_BIG_ENDIAN    0x5\n"
                          "    d    REG_DWORD    0x7b\n"
                          "    e    REG_EXPAND_SZ    %PATH%x\n"
                          "    j    REG_MULTI_SZ    x\\0y\n"
                          "    m    REG_MULTI_SZ    a\\0b\\0c\n"
                          "    n    REG_NONE    30003100300032000000\n"
                          "    q    REG_QWORD    (null)\n"
                          "    s    REG_SZ    hello\n"
                          "\n"
                          "HKEY_CURRENT_USER\\Software\\T\\Sub\n");

    EXPECT_EQ(value(core::RootKey::CurrentUser, "Software\\T", "q")->data, bytes("\x89\x67\x45\x23\x01\0\0\0"sv));
    EXPECT_EQ(value(core::RootKey::CurrentUser, "Software\\T", "be")->data, bytes("\x05\0\0\0"sv));
    EXPECT_EQ(value(core::RootKey::CurrentUser, "Software\\T", "m")->data, bytes("a\0\0\0b\0\0\0c\0\0\0\0\0"sv));
    EXPECT_EQ(value(core::RootKey::CurrentUser, "Software\\T", "n")->type, core::RegNone);

    // The key alone, as Windows' reg.exe makes it: no value comes with it.
    add({"HKLM\\Software\\Empty"});
    EXPECT_EQ(reg({"query", "HKLM\\Software\\Empty"}).out, "\n");
}

TEST_F(RegTool, QueryListsKeysValuesAndSearchesAsWineDoes)
{
    add({"HKCU\\Software\\Q\\A\\B", "/v", "x", "/d", "y"});
    add({"HKCU\\Software\\Q\\C", "/ve", "/d", "dflt"});

    EXPECT_EQ(reg({"query", "HKCU\\Software\\Q"}).out,
              "\nHKEY_CURRENT_USER\\Software\\Q\\A\nHKEY_CURRENT_USER\\Software\\Q\\C\n");
    EXPECT_EQ(reg({"query", "HKCU\\Software\\Q", "/s"}).out, "\n"
                                                             "HKEY_CURRENT_USER\\Software\\Q\\A\n"
                                                             "\n"
                                                             "HKEY_CURRENT_USER\\Software\\Q\\A\\B\n"
                                                             "    x    REG_SZ    y\n"
                                                             "\n"
                                                             "HKEY_CURRENT_USER\\Software\\Q\\C\n"
                                                             "    (Default)    REG_SZ    dflt\n"
                                                             "\n");
    EXPECT_EQ(reg({"query", "HKCU\\Software\\Q", "/v", "X", "/s"}).out,
              "\nHKEY_CURRENT_USER\\Software\\Q\\A\\B\n    X    REG_SZ    y\n\nSearch complete. Number of matches "
              "found: 1\n");
    EXPECT_EQ(reg({"query", "HKCU\\Software\\Q", "/ve", "/s"}).out,
              "\nHKEY_CURRENT_USER\\Software\\Q\\C\n    (Default)    REG_SZ    dflt\n\nSearch complete. Number of "
              "matches found: 1\n");
    EXPECT_EQ(reg({"query", "HKCU\\Software\\Q", "/ve"}).out,
              "\nHKEY_CURRENT_USER\\Software\\Q\n    (Default)    REG_SZ    (value not set)\n");
    const auto missing = reg({"query", "HKCU\\Software\\Q", "/v", "nope"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out, "\nreg: Unable to find the specified registry value\n");
    EXPECT_EQ(reg({"query", "HKCR\\.none"}).out, "reg: Unable to find the specified registry key\n");
    // Text ends at its first NUL, whatever comes after a non-ASCII character; a list shows each
    // UTF-16 unit on its own, as Wine does.
    writeText(m_folder / "odd.reg", "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Q\\D]\n"
                                    "\"m\"=hex(7):61,00,3d,d8,00,de,00,00,62,00,00,00,00,00\n"
                                    "\"s\"=hex(1):61,00,e9,00,00,00,62,00,00,00\n"
                                    "\"t\"=hex(2):00,00,62,00\n");
    ASSERT_EQ(reg({"import", "odd.reg"}).status, 0);
    EXPECT_EQ(reg({"query", "HKCU\\Software\\Q\\D", "/s"}).out,
              "\nHKEY_CURRENT_USER\\Software\\Q\\D\n"
              "    m    REG_MULTI_SZ    a\xED\xA0\xBD\xED\xB8\x80\\0b\n"
              "    s    REG_SZ    a\xC3\xA9\n"
              "    t    REG_EXPAND_SZ    \n\n");
    add({"HKCR\\.dostrojnik", "/ve", "/d", "file"});
    EXPECT_EQ(reg({"query", "HKLM\\Software\\Classes\\.dostrojnik"}).out,
              "\nHKEY_LOCAL_MACHINE\\Software\\Classes\\.dostrojnik\n    (Default)    REG_SZ    file\n\n");
}

TEST_F(RegTool, RefusesBadDataBeforeWritingAnything)
{
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"/t", "REG_DWORD", "/d", "abc"}, "reg: The option [/d] must be followed by a valid numeric value\n"},
        {{"/t", "REG_DWORD", "/d", "4294967296"}, "reg: The option [/d] must be followed by a valid numeric value\n"},
        {{"/t", "REG_DWORD", "/d", "-1"}, "reg: The option [/d] must be followed by a valid numeric value\n"},
        {{"/t", "REG_DWORD", "/d", "0x"}, "reg: The option [/d] must be followed by a valid numeric value\n"},
        {{"/t", "REG_DWORD", "/d", "12a"}, "reg: The option [/d] must be followed by a valid numeric value\n"},
        {{"/t", "REG_DWORD", "/d", "0x1g"}, "reg: The option [/d] must be followed by a valid numeric value\n"},
        {{"/t", "REG_QWORD", "/d", "18446744073709551616"},
         "reg: The option [/d] must be followed by a valid numeric value\n"},
        {{"/t", "REG_DWORD"}, "reg: Invalid command line parameters\n"},
        {{"/t", "REG_BINARY", "/d", "0x12"}, "reg: The option [/d] must be followed by a valid hexadecimal value\n"},
        {{"/t", "REG_MULTI_SZ", "/d", "a\\0\\0b"}, "reg: The option [/d] must be followed by a valid string\n"},
        {{"/t", "REG_MULTI_SZ", "/d", "\\0a"}, "reg: The option [/d] must be followed by a valid string\n"},
        {{"/t", "REG_LINK", "/d", "x"}, "reg: Unsupported registry data type [REG_LINK]\n"},
    };
    for (const auto& [options, message] : cases) {
        std::vector<std::string> args{"add", "HKCU\\Software\\Bad", "/v", "x", "/f"};
        args.insert(args.end(), options.begin(), options.end());
        const auto result = reg(args);
        EXPECT_EQ(result.status, 1) << message;
        EXPECT_EQ(result.out, message);
    }
    EXPECT_EQ(reg({"query", "HKCU\\Software\\Bad"}).status, 1);

    add({"HKCU\\Software\\Good", "/v", "d", "/t", "REG_DWORD", "/d", "4294967295"});
    add({"HKCU\\Software\\Good", "/v", "b", "/t", "REG_BINARY", "/d", "123"});
    add({"HKCU\\Software\\Good", "/v", "q", "/t", "REG_QWORD"});
    add({"HKCU\\Software\\Good", "/v", "h", "/t", "REG_DWORD", "/d", "0XfF"});
    EXPECT_EQ(value(core::RootKey::CurrentUser, "Software\\Good", "d")->data, bytes("\xff\xff\xff\xff"sv));
    EXPECT_EQ(value(core::RootKey::CurrentUser, "Software\\Good", "b")->data, bytes("\x01\x23"sv));
    EXPECT_EQ(value(core::RootKey::CurrentUser, "Software\\Good", "q")->data, std::vector<std::uint8_t>(8, 0));
    EXPECT_EQ(value(core::RootKey::CurrentUser, "Software\\Good", "h")->data, bytes("\xff\0\0\0"sv));
}

TEST_F(RegTool, AsksBeforeOverwritingOrDeletingUnlessForced)
{
    add({"HKCU\\Software\\P\\Sub", "/v", "s", "/d", "old"});
    auto result = reg({"add", "HKCU\\Software\\P\\Sub", "/v", "s", "/d", "new"}, "n\n");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "The registry value 's' already exists. Do you want to overwrite it? (Yes|No)"
                          "reg: The registry operation was cancelled\n");
    // No answer at all is no consent.
    EXPECT_EQ(reg({"add", "HKCU\\Software\\P\\Sub", "/v", "s", "/d", "new"}).out,
              "The registry value 's' already exists. Do you want to overwrite it? (Yes|No)\n"
              "reg: The registry operation was cancelled\n");
    EXPECT_EQ(value(core::RootKey::CurrentUser, "Software\\P\\Sub", "s")->data, bytes("o\0l\0d\0\0\0"sv));
    result = reg({"add", "HKCU\\Software\\P\\Sub", "/v", "s", "/d", "new"}, "maybe\nyes\n");
    EXPECT_EQ(result.out, "The registry value 's' already exists. Do you want to overwrite it? (Yes|No)"
                          "The registry value 's' already exists. Do you want to overwrite it? (Yes|No)"
                          "reg: The operation completed successfully\n");
    EXPECT_EQ(value(core::RootKey::CurrentUser, "Software\\P\\Sub", "s")->data, bytes("n\0e\0w\0\0\0"sv));

    result = reg({"delete", "HKCU\\Software\\P"}, "n\n");
    EXPECT_EQ(result.out, "Are you sure you want to delete the registry key 'HKEY_CURRENT_USER\\Software\\P'? (Yes|No)"
                          "reg: The registry operation was cancelled\n");
    EXPECT_EQ(reg({"delete", "HKCU\\Software\\P\\Sub", "/va"}, "N\n").out,
              "Are you sure you want to delete all registry values in 'HKEY_CURRENT_USER\\Software\\P\\Sub'? (Yes|No)"
              "reg: The registry operation was cancelled\n");
    EXPECT_EQ(reg({"delete", "HKCU\\Software\\P\\Sub", "/ve"}, "n\n").out,
              "Are you sure you want to delete the registry value '(Default)'? (Yes|No)"
              "reg: The registry operation was cancelled\n");
    EXPECT_TRUE(value(core::RootKey::CurrentUser, "Software\\P\\Sub", "s"));
    result = reg({"delete", "HKCU\\Software\\P"}, "y\n");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(reg({"query", "HKCU\\Software\\P"}).status, 1);
}

TEST_F(RegTool, DeletesValuesAndKeysButNeverARoot)
{
    add({"HKCU\\Software\\D\\A\\B\\C", "/v", "x", "/d", "1"});
    add({"HKCU\\Software\\D", "/ve", "/d", "d"});
    add({"HKCU\\Software\\D", "/v", "one", "/d", "1"});
    add({"HKCU\\Software\\D", "/v", "two", "/d", "2"});

    auto result = reg({"delete", "HKCU\\Software\\D", "/v", "one", "/f"});
    EXPECT_EQ(result.out, "reg: The operation completed successfully\n");
    result = reg({"delete", "HKCU\\Software\\D", "/v", "one", "/f"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "reg: Unable to find the specified registry value\n");
    EXPECT_EQ(reg({"delete", "HKCU\\Software\\D", "/ve", "/f"}).status, 0);
    EXPECT_EQ(reg({"delete", "HKCU\\Software\\D", "/va", "/f"}).status, 0);
    EXPECT_EQ(reg({"query", "HKCU\\Software\\D"}).out, "\nHKEY_CURRENT_USER\\Software\\D\\A\n");

    EXPECT_EQ(reg({"delete", "HKCU\\Software\\D", "/f"}).status, 0);
    EXPECT_EQ(reg({"query", "HKCU\\Software\\D\\A\\B\\C"}).status, 1);
    EXPECT_EQ(reg({"delete", "HKCU\\Software\\D", "/f"}).out, "reg: Unable to find the specified registry key\n");

    // Wine empties the whole hive for this; here it is refused and nothing changes.
    const std::string before = readText(machine() / "user.reg");
    result = reg({"delete", "HKCU", "/f"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "reg: Invalid registry key\n");
    EXPECT_EQ(readText(machine() / "user.reg"), before);
}

// Every type, and data that the short forms of the file could not carry.
const char* const OddValues = "Windows Registry Editor Version 5.00\r\n"
                              "\r\n"
                              "[HKEY_CURRENT_USER\\Software\\R]\r\n"
                              "@=dword:00000005\r\n"
                              "\"be\"=hex(5):01,02,03,04\r\n"
                              "\"bin0\"=hex:\r\n"
                              "\"dw3\"=hex(4):01,02,03\r\n"
                              "\"es\"=hex(2):25,00,57,00,69,00,6e,00,44,00,69,00,72,00,25,00,00,00\r\n"
                              "\"link\"=hex(6):41,00,42,00\r\n"
                              "\"long\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,\\\r\n"
                              "  16,17,18,19,1a,1b,1c,1d,1e,1f,20,21,22,23,24,25,26,27,28,29,2a,2b,2c,2d,2e,\\\r\n"
                              "  2f\r\n"
                              "\"ms\"=hex(7):61,00,00,00,62,00,00,00,00,00\r\n"
                              "\"none\"=hex(0):\r\n"
                              "\"oth\"=hex(ffff0007):01,02\r\n"
                              "\"q\"=hex(b):01,02,03,04,05,06,07,08\r\n"
                              "\"quote\"=\"q\\\"x\\\\y\"\r\n"
                              "\"sz0\"=hex(1):\r\n"
                              "\"szemb\"=hex(1):41,00,00,00,42,00,00,00\r\n"
                              "\"sznot\"=hex(1):41,00,42,00\r\n"
                              "\"tab\"=\"a\tb\"\r\n"
                              "\r\n"
                              "[HKEY_CURRENT_USER\\Software\\R\\Empty]\r\n"
                              "\r\n";

TEST_F(RegTool, ExportAndImportRoundTripEveryValueType)
{
    writeText(m_folder / "odd.reg", utf16File(OddValues));
    auto result = reg({"import", "odd.reg"});
    ASSERT_EQ(result.status, 0) << result.out;
    EXPECT_EQ(result.out, "reg: The operation completed successfully\n");

    result = reg({"export", "HKCU\\Software\\R", "out.reg"});
    ASSERT_EQ(result.status, 0) << result.out;
    EXPECT_EQ(result.out, "");
    // Wine's and Windows' layout: the same file comes back, byte for byte.
    const std::string exported = readText(m_folder / "out.reg");
    EXPECT_EQ(exported, utf16File(OddValues));

    const std::string hive = readText(machine() / "user.reg");
    EXPECT_EQ(reg({"delete", "HKCU\\Software\\R", "/f"}).status, 0);
    EXPECT_EQ(reg({"query", "HKCU\\Software\\R"}).status, 1);
    EXPECT_EQ(reg({"import", "out.reg"}).status, 0);
    EXPECT_EQ(reg({"export", "HKCU\\Software\\R", "again.reg", "/y"}).status, 0);
    EXPECT_EQ(readText(m_folder / "again.reg"), exported);
    EXPECT_EQ(value(core::RootKey::CurrentUser, "Software\\R", "dw3")->data, bytes("\x01\x02\x03"sv));
    EXPECT_EQ(value(core::RootKey::CurrentUser, "Software\\R", "szemb")->data, bytes("A\0\0\0B\0\0\0"sv));
    EXPECT_EQ(value(core::RootKey::CurrentUser, "Software\\R", "oth")->type, 0xffff0007u);
    EXPECT_NE(hive.size(), 0u);

    // An existing file is kept unless the user agrees or gives /y.
    writeText(m_folder / "keep.reg", "precious");
    result = reg({"export", "HKCU\\Software\\R", "keep.reg"}, "n\n");
    EXPECT_EQ(result.out, "The file 'keep.reg' already exists. Do you want to overwrite it? (Yes|No)"
                          "reg: The registry operation was cancelled\n");
    EXPECT_EQ(readText(m_folder / "keep.reg"), "precious");
    result = reg({"export", "HKCU\\Software\\R", (m_folder / "no" / "such" / "x.reg").string(), "/y"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "Path not found.\n");
    EXPECT_EQ(reg({"export", "HKCU\\Software\\None", "x.reg"}).out, "reg: Unable to find the specified registry key\n");
}

TEST_F(RegTool, ImportsRegedit4AndUtf8FilesWithDeletions)
{
    add({"HKCU\\Software\\Old\\Deep", "/v", "x", "/d", "1"});
    add({"HKCU\\Software\\I", "/v", "gone", "/d", "1"});
    writeText(m_folder / "v4.reg", "REGEDIT4\n"
                                   "\n"
                                   "; a comment\n"
                                   "[-HKEY_CURRENT_USER\\Software\\Old]\n"
                                   "\n"
                                   "[HKCU\\Software\\I]\n"
                                   "\"gone\"=-\n"
                                   "\"a\"=\"\xb9\xe6\"\n"    // Windows-1250 "ąć"
                                   "\"c\"=hex(2):41,42,00\n" // ANSI text in REGEDIT4
                                   "\"f\"=hex:01,\\\n  02,03 ; the rest\n"
                                   "\"g\"=dword:00000001\n");
    auto result = reg({"import", "v4.reg"});
    EXPECT_EQ(result.status, 0) << result.out;
    EXPECT_EQ(reg({"query", "HKCU\\Software\\Old"}).status, 1);
    EXPECT_FALSE(value(core::RootKey::CurrentUser, "Software\\I", "gone"));
    EXPECT_EQ(value(core::RootKey::CurrentUser, "Software\\I", "a")->data, bytes("\x05\x01\x07\x01\0\0"sv));
    EXPECT_EQ(value(core::RootKey::CurrentUser, "Software\\I", "c")->data, bytes("A\0B\0\0\0"sv));
    EXPECT_EQ(value(core::RootKey::CurrentUser, "Software\\I", "f")->data, bytes("\x01\x02\x03"sv));

    writeText(m_folder / "u8.reg", "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\I]\n"
                                   "\"p\"=\"zażółć\\t\"\n");
    result = reg({"import", "u8.reg"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "reg: Unrecognized escape sequence [\\t]\nreg: The operation completed successfully\n");
    EXPECT_EQ(value(core::RootKey::CurrentUser, "Software\\I", "p")->data,
              bytes("z\0a\0\x7c\x01\xf3\0\x42\x01\x07\x01t\0\0\0"sv));

    // A key below the one before (or levels below it), beside it, or where a deletion took the
    // one before away.
    writeText(m_folder / "order.reg", "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\P\\A]\n"
                                      "\"v\"=\"1\"\n[HKEY_CURRENT_USER\\Software\\P\\A\\Below]\n"
                                      "[-HKEY_CURRENT_USER\\Software\\P]\n[HKEY_CURRENT_USER\\Software\\P\\B]\n"
                                      "\"v\"=\"2\"\n[HKEY_CURRENT_USER\\Software\\P\\B\\X\\Y\\Z]\n"
                                      "[HKEY_CURRENT_USER\\Software\\P\\B\\X\\W]\n"
                                      "[HKEY_CURRENT_USER\\SOFTWARE\\p\\c]\n[HKEY_CURRENT_USER\\Top]\n");
    ASSERT_EQ(reg({"import", "order.reg"}).status, 0);
    EXPECT_EQ(reg({"query", "HKCU\\Software\\P", "/s"}).out,
              "\nHKEY_CURRENT_USER\\Software\\P\\B\n    v    REG_SZ    2\n\nHKEY_CURRENT_USER\\Software\\P\\B\\X\n\n"
              "HKEY_CURRENT_USER\\Software\\P\\B\\X\\W\n\nHKEY_CURRENT_USER\\Software\\P\\B\\X\\Y\n\n"
              "HKEY_CURRENT_USER\\Software\\P\\B\\X\\Y\\Z\n\nHKEY_CURRENT_USER\\Software\\P\\c\n\n");
    EXPECT_EQ(reg({"query", "HKCU\\Top"}).status, 0);

    // A faulty file changes nothing, even where its first keys were fine.
    const std::string before = readText(machine() / "user.reg");
    writeText(m_folder / "bad.reg", "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\New]\n"
                                    "\"a\"=\"b\"\n\"c\"=dword:123456789\n");
    result = reg({"import", "bad.reg"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "reg: Unable to import 'bad.reg': line 5: dword: takes one to eight hexadecimal digits\n");
    writeText(m_folder / "users.reg", "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\New]\n"
                                      "\"a\"=\"b\"\n[HKEY_USERS\\.DEFAULT\\x]\n");
    EXPECT_EQ(reg({"import", "users.reg"}).status, 1);
    writeText(m_folder / "text.reg", "hello\n");
    EXPECT_EQ(reg({"import", "text.reg"}).status, 1);
    EXPECT_EQ(readText(machine() / "user.reg"), before);
    EXPECT_EQ(reg({"import", "missing.reg"}).out, "reg: The file 'missing.reg' was not found.\n");
}

TEST_F(RegTool, ImportTellsWhyTheRegistryRefusedAValue)
{
    const std::string name(16384, 'n');
    writeText(m_folder / "long.reg", "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\I]\r\n"
                                     "\"ok\"=\"1\"\r\n\"" +
                                         name + "\"=\"2\"\r\n");
    const auto result = reg({"import", "long.reg"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "reg: Unable to import the registry key 'HKEY_CURRENT_USER\\Software\\I': the value name is "
                          "not one the registry takes\n");
}

TEST_F(RegTool, QueryAndExportFollowSymbolicLinkKeysAsWineDoes)
{
    add({"HKLM\\Software\\Target\\Sub", "/v", "x", "/d", "y"});
    add({"HKLM\\Software\\Target", "/v", "t", "/d", "1"});
    // "\Registry\Machine\Software\Target", as Wine keeps a link key's target.
    const std::string link = linkData("\\Registry\\Machine\\Software\\Target");
    writeText(m_folder / "link.reg", "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Software\\Link]\n"
                                     "\"SymbolicLinkValue\"=hex(6):" +
                                         link +
                                         "\n\n[HKEY_LOCAL_MACHINE\\Software\\Dangling]\n"
                                         "\"SymbolicLinkValue\"=hex(6):41,00\n");
    ASSERT_EQ(reg({"import", "link.reg"}).status, 0);

    EXPECT_EQ(reg({"query", "HKLM\\Software\\Link", "/s"}).out, "\n"
                                                                "HKEY_LOCAL_MACHINE\\Software\\Link\n"
                                                                "    t    REG_SZ    1\n"
                                                                "\n"
                                                                "HKEY_LOCAL_MACHINE\\Software\\Link\\Sub\n"
                                                                "    x    REG_SZ    y\n"
                                                                "\n");
    EXPECT_EQ(reg({"query", "HKLM\\Software\\Link\\Sub"}).out,
              "\nHKEY_LOCAL_MACHINE\\Software\\Link\\Sub\n    x    REG_SZ    y\n\n");
    EXPECT_EQ(reg({"query", "HKLM\\Software\\Dangling"}).status, 1);
    EXPECT_EQ(reg({"export", "HKLM\\Software\\Link", "link-out.reg"}).status, 0);
    EXPECT_EQ(
        readText(m_folder / "link-out.reg"),
        utf16File(
            "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Link]\r\n\"t\"=\"1\"\r\n\r\n"
            "[HKEY_LOCAL_MACHINE\\Software\\Link\\Sub]\r\n\"x\"=\"y\"\r\n\r\n"));
}

TEST_F(RegTool, RefusedWritesFailWithTheReason)
{
    add({"HKCU\\Software\\W", "/v", "x", "/d", "1"});
    const std::string before = readText(machine() / "user.reg");

    // A hive this user may not write (root ignores permissions, so another user runs it).
    fs::permissions(machine(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                   fs::perms::others_read | fs::perms::others_exec);
    auto args = tool_testing::asNobody(
        {tool_testing::toolPath("dostrojnik-reg").string(), "add", "HKCU\\Software\\W", "/v", "x", "/d", "2", "/f"});
    const tool_testing::Environment environment{{"WINEPREFIX", machine().string()}, {"HOME", "/nonexistent"}};
    auto result = tool_testing::runProcess(args, environment);
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.out.find("reg: Unable to access or create the specified registry key: "), std::string::npos)
        << result.out;
    EXPECT_NE(result.out.find("may not be written"), std::string::npos) << result.out;
    args.erase(args.begin() + 5, args.end());
    args.insert(args.end(), {"query", "HKCU\\Software\\W"});
    EXPECT_EQ(tool_testing::runProcess(args, environment).status, 0); // reading is fine

    // While Wine's server holds the machine, its files are Wine's.
    struct stat info {};
    ASSERT_EQ(::stat(machine().c_str(), &info), 0);
    char server[96];
    std::snprintf(server, sizeof server, "/tmp/.wine-%u/server-%llx-%llx", static_cast<unsigned>(::getuid()),
                  static_cast<unsigned long long>(info.st_dev), static_cast<unsigned long long>(info.st_ino));
    fs::create_directories(server);
    const int lockFd = ::open((std::string(server) + "/lock").c_str(), O_RDWR | O_CREAT, 0600);
    ASSERT_GE(lockFd, 0);
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    ASSERT_EQ(::fcntl(lockFd, F_SETLK, &lock), 0);
    result = reg({"add", "HKCU\\Software\\W", "/v", "x", "/d", "3", "/f"});
    ::close(lockFd);
    fs::remove_all(server);
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.out.find("in use by Wine's server"), std::string::npos) << result.out;
    EXPECT_EQ(readText(machine() / "user.reg"), before);

    // A hive that cannot be parsed is never overwritten.
    writeText(machine() / "user.reg", "WINE REGISTRY Version 2\n\n[Software\\\\W] 1\n\"x\"=bogus:1\n");
    result = reg({"add", "HKCU\\Software\\W", "/v", "x", "/d", "4", "/f"});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.out.find("cannot parse"), std::string::npos) << result.out;
    result = reg({"query", "HKCU\\Software\\W"});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.out.find("reg: Unable to read the registry: cannot parse"), std::string::npos) << result.out;
    EXPECT_EQ(readText(machine() / "user.reg"), "WINE REGISTRY Version 2\n\n[Software\\\\W] 1\n\"x\"=bogus:1\n");
    // Nor is a key below it left out of a listing because some other line cannot be read.
    writeText(machine() / "user.reg",
              "WINE REGISTRY Version 2\n\n[Software\\\\V\\\\A] 1\n\n[Software\\\\W] 1\n\"x\"=bogus:1\n");
    for (const auto& command : {std::vector<std::string>{"query", "HKCU\\Software\\V"},
                                {"query", "HKCU\\Software\\V", "/s"},
                                {"export", "HKCU\\Software\\V", "v.reg", "/y"}}) {
        result = reg(command);
        EXPECT_EQ(result.status, 1) << command[0];
        EXPECT_NE(result.out.find("reg: Unable to read the registry: cannot parse"), std::string::npos) << result.out;
    }
}

TEST_F(RegTool, WritesTheLocalesCharacterSetIntoAPipeLosingNothing)
{
    add({"HKCU\\Software\\U", "/v", "p", "/d", "zażółć ☃"});
    // Without a character set of its own the C locale gets UTF-8, as C.UTF-8 does; a locale not
    // generated on the machine counts as its UTF-8 name says.
    for (const char* locale : {"C.UTF-8", "C", "pl_PL.UTF-8"}) {
        const auto result = reg({"query", "HKCU\\Software\\U"}, {}, {{"LC_ALL", locale}});
        EXPECT_EQ(result.out, "\nHKEY_CURRENT_USER\\Software\\U\n    p    REG_SZ    zażółć ☃\n\n") << locale;
    }
}

TEST_F(RegTool, TakesTextInTheLocalesCharacterSetAndFileNamesAsTheirBytes)
{
    const auto latin2 = tool_testing::latin2Locale(m_folder / "locales");
    // Żółw, Łoś, zażółć and a file Żółw.reg, all as Latin-2 writes them.
    const std::string key = "HKCU\\Software\\\xAF\xF3\xB3w";
    const std::string file = "\xAF\xF3\xB3w.reg";
    const std::string listing =
        "\nHKEY_CURRENT_USER\\Software\\\xAF\xF3\xB3w\n    \xA3o\xB6    REG_SZ    za\xBF\xF3\xB3\xE6\n\n";
    const struct {
        std::vector<std::string> args;
        std::string out; // checked when given
    } rows[] = {
        {{"add", key, "/v", "\xA3o\xB6", "/d", "za\xBF\xF3\xB3\xE6", "/f"}, ""},
        {{"query", key}, listing},
        {{"export", key, file}, ""},
        {{"delete", key, "/f"}, ""},
        {{"import", file}, ""},
        {{"query", key}, listing},
    };
    for (const auto& row : rows) {
        const auto result = reg(row.args, {}, latin2);
        EXPECT_EQ(result.status, 0) << row.args[0] << ": " << result.out;
        if (!row.out.empty()) {
            EXPECT_EQ(result.out, row.out) << row.args[0];
        }
    }
    EXPECT_TRUE(fs::is_regular_file(m_folder / file));
    EXPECT_EQ(reg({"query", "HKCU\\Software\\Żółw"}).out,
              "\nHKEY_CURRENT_USER\\Software\\Żółw\n    Łoś    REG_SZ    zażółć\n\n");
}

} // namespace

TEST_F(RegTool, KeysBeyondWindowsLimitsAreRefusedAndNothingCrashes)
{
    add({"HKCU\\Software\\Kept", "/v", "x", "/d", "1"});
    const std::string before = readText(machine() / "user.reg");
    std::string deep = "HKEY_CURRENT_USER";
    for (int i = 0; i < 1000000; ++i)
        deep += "\\k";
    writeText(m_folder / "deep.reg", "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\A]\n"
                                     "\"a\"=\"1\"\n\n[" +
                                         deep + "]\n");
    auto result = reg({"import", "deep.reg"});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.out.find("deep.reg': line 6: the key '"), std::string::npos);
    EXPECT_TRUE(result.out.ends_with("' lies more than 512 levels below its root\n")) << result.out.substr(0, 200);
    EXPECT_EQ(readText(machine() / "user.reg"), before);
    result = reg({"add", "HKCU\\" + std::string(256, 'n'), "/f"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "reg: The key 'HKEY_CURRENT_USER\\" + std::string(256, 'n') +
                              "' has a name longer than 255 characters\n");

    // A hive that already holds deeper keys is refused as unparsable and never overwritten.
    std::string hive = "WINE REGISTRY Version 2\n\n[k";
    for (int i = 0; i < 100000; ++i)
        hive += "\\\\k";
    writeText(machine() / "user.reg", hive + "] 1\n");
    for (const std::vector<std::string>& args : {std::vector<std::string>{"query", "HKCU", "/s"},
                                                 {"export", "HKCU", "out.reg", "/y"},
                                                 {"add", "HKCU\\x", "/f"},
                                                 {"delete", "HKCU\\k", "/f"}}) {
        result = reg(args);
        EXPECT_EQ(result.status, 1) << args[0];
        EXPECT_NE(result.out.find("line 3: the key lies more than 512 levels below the root"), std::string::npos)
            << result.out;
    }
    EXPECT_EQ(readText(machine() / "user.reg"), hive + "] 1\n");
}

TEST_F(RegTool, AnImportIsOneWholeWriteAndAQueryFollowsNoLinkInCircles)
{
    add({"HKCU\\Software\\Kept", "/v", "x", "/d", "1"});
    const std::string before = readText(machine() / "user.reg");
    // The last value is refused, so none of the keys before it is written.
    writeText(m_folder / "half.reg", "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\A]\n"
                                     "\"a\"=\"1\"\n\n[HKEY_CURRENT_USER\\Software\\B]\n\"" +
                                         std::string(16384, 'n') + "\"=\"2\"\n");
    EXPECT_EQ(reg({"import", "half.reg"}).status, 1);
    EXPECT_EQ(readText(machine() / "user.reg"), before);

    // A link key that leads back to a key above it.
    const std::string link = linkData("\\Registry\\Machine\\Software\\Loop");
    writeText(m_folder / "loop.reg", "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Software\\Loop]\n"
                                     "\"v\"=\"1\"\n\n[HKEY_LOCAL_MACHINE\\Software\\Loop\\Back]\n"
                                     "\"SymbolicLinkValue\"=hex(6):" +
                                         link + "\n");
    ASSERT_EQ(reg({"import", "loop.reg"}).status, 0);
    EXPECT_EQ(reg({"query", "HKLM\\Software\\Loop", "/s"}).out,
              "\nHKEY_LOCAL_MACHINE\\Software\\Loop\n    v    REG_SZ    1\n\n");
    EXPECT_EQ(reg({"export", "HKLM\\Software\\Loop", "loop-out.reg", "/y"}).status, 0);
}

TEST_F(RegTool, AFifoInPlaceOfAHiveIsRefusedAtOnce)
{
    add({"HKCU\\Software\\Kept", "/v", "x", "/d", "1"});
    fs::remove(machine() / "system.reg");
    ASSERT_EQ(::mkfifo((machine() / "system.reg").c_str(), 0600), 0);
    std::vector<std::string> args{"/usr/bin/timeout", "20", tool_testing::toolPath("dostrojnik-reg").string(), "query",
                                  "HKLM\\Software"};
    auto result = tool_testing::runProcess(args, {{"WINEPREFIX", machine().string()}});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "reg: Unable to read the registry: cannot read " + (machine() / "system.reg").string() +
                              ": it is not a regular file\n");
    ASSERT_EQ(::mkfifo((m_folder / "fifo.reg").c_str(), 0600), 0);
    args = {"/usr/bin/timeout", "20", tool_testing::toolPath("dostrojnik-reg").string(), "import", "fifo.reg"};
    result = tool_testing::runProcess(args, {{"WINEPREFIX", machine().string()}}, {}, m_folder.path());
    EXPECT_EQ(result.out, "reg: The file 'fifo.reg' is not a regular file.\n");
}
