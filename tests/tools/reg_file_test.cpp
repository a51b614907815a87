// The registry editor file: what the parser accepts and refuses, and the writer's layout.

#include "tools/reg/reg_file.h"

#include <gtest/gtest.h>

namespace {

using regtool::parseRegFile;
using regtool::RegFile;

std::string fromUtf16(const std::string& bytes)
{
    std::string out;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2)
        out += bytes[i];
    return out;
}

std::vector<std::uint8_t> asVector(std::span<const std::uint8_t> data)
{
    return {data.begin(), data.end()};
}

TEST(RegFile, RefusesFaultyFilesWithTheLineAndTheFault)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", "the file is empty"},
        {"REGEDIT5\n", "the file does not begin with \"Windows Registry Editor Version 5.00\" or \"REGEDIT4\""},
        {"REGEDIT4\n\"a\"=\"b\"\n", "line 2: a value before the first [key]"},
        {"REGEDIT4\n[HKCU\\x\n", "line 2: the key name has no closing ']'"},
        {"REGEDIT4\n[]\n", "line 2: the key name is empty"},
        {"REGEDIT4\n[HKCU\\x]\n\"a\"\n", "line 3: '=' expected after the value name"},
        {"REGEDIT4\n[HKCU\\x]\n\"a=\"b\"\n", "line 3: '=' expected after the value name"},
        {"REGEDIT4\n[HKCU\\x]\n\"a\"=\"b\n", "line 3: the text has no closing quote"},
        {"REGEDIT4\n[HKCU\\x]\n\"a\"=\"b\" c\n", "line 3: unexpected characters after the text"},
        {"REGEDIT4\n[HKCU\\x]\n\"a\"=dword:\n", "line 3: dword: takes one to eight hexadecimal digits"},
        {"REGEDIT4\n[HKCU\\x]\n\"a\"=hex(x):00\n", "line 3: hex(N): takes a type of one to eight hexadecimal digits"},
        {"REGEDIT4\n[HKCU\\x]\n\"a\"=hex:0g\n", "line 3: the hex data is not a list of bytes like 01,a2,ff"},
        {"REGEDIT4\n[HKCU\\x]\n\"a\"=hex:123\n", "line 3: a byte of hex data has more than two digits"},
        {"REGEDIT4\n[HKCU\\x]\n\"a\"=hex:01,\\\n", "line 3: the hex data goes on past the end of the file"},
        {"REGEDIT4\n[HKCU\\x]\n\"a\"=str(2):\"x\"\n",
         "line 3: the data is none of \"text\", dword:, hex:, hex(N): or -"},
        {"REGEDIT4\n[HKCU\\x]\nstray\n", "line 3: neither a [key] nor a \"value\"=data line"},
        // A lone CR ends a line like LF and CR LF do; the line after it is read, not dropped.
        {"REGEDIT4\n[HKCU\\x]\r\"a\"=dword:\r\n", "line 3: dword: takes one to eight hexadecimal digits"},
        {"\xFF\xFE"
         "R",
         "the file ends in the middle of a UTF-16 character"},
        {"\xFE\xFF", "the file is in big-endian UTF-16, which the registry editor never writes"},
    };
    for (const auto& [text, message] : cases) {
        RegFile file;
        std::string error;
        EXPECT_FALSE(parseRegFile(text, file, error)) << text;
        EXPECT_EQ(error, message) << text;
        EXPECT_TRUE(file.keys.empty());
    }
}

TEST(RegFile, ReadsKeysValuesContinuationsAndDeletions)
{
    RegFile file;
    std::string error;
    ASSERT_TRUE(parseRegFile("\xEF\xBB\xBFWindows Registry Editor Version 5.00  \r\n"
                             "\r\n"
                             "  ; comment\r\n"
                             "[-HKEY_CURRENT_USER\\Gone]\r\n"
                             "\"ignored\"=\"under a deleted key\"\r\n"
                             "[HKEY_CURRENT_USER\\a]b] trailing\r\n"
                             "  @ = \"d\"\r\n"
                             "\"x\"=-\r"
                             "\"h\"=HEX(A):1,\\\r\n"
                             "; between\r"
                             "  2 , ff\\\r\n"
                             "  3 ; end\r\n"
                             "\"n\\\"q\"=DWORD:Ff\r\n",
                             file, error))
        << error;
    ASSERT_EQ(file.keys.size(), 2u);
    EXPECT_TRUE(file.keys[0].remove);
    EXPECT_EQ(file.keys[0].path, "HKEY_CURRENT_USER\\Gone");
    EXPECT_TRUE(file.keys[0].values.empty());
    EXPECT_EQ(file.keys[1].path, "HKEY_CURRENT_USER\\a]b");
    ASSERT_EQ(file.keys[1].values.size(), 4u);
    EXPECT_EQ(file.keys[1].values[0].name, "");
    EXPECT_EQ(asVector(file.keys[1].values[0].data), (std::vector<std::uint8_t>{'d', 0, 0, 0}));
    EXPECT_TRUE(file.keys[1].values[1].remove);
    EXPECT_EQ(file.keys[1].values[2].type, 10u);
    EXPECT_EQ(asVector(file.keys[1].values[2].data), (std::vector<std::uint8_t>{1, 2, 0xff, 3}));
    EXPECT_EQ(file.keys[1].values[3].name, "n\"q");
    EXPECT_EQ(asVector(file.keys[1].values[3].data), (std::vector<std::uint8_t>{0xff, 0, 0, 0}));
}

TEST(RegFile, ATextThatIsNotWellFormedUtf8IsReadAsWindows1250)
{
    const std::pair<std::string, std::u16string> cases[] = {
        {"\xC5\x82\xC3\xB3\x64\xC5\xBA", u"łódź"},
        {"\xB3\xF3\x64\x9F", u"łódź"},
        {"\xC0\x80", u"Ŕ€"}, // overlong, so no UTF-8
    };
    for (const auto& [bytes, text] : cases) {
        RegFile file;
        std::string error;
        ASSERT_TRUE(
            parseRegFile("Windows Registry Editor Version 5.00\n[HKCU\\x]\n\"a\"=\"" + bytes + "\"\n", file, error));
        std::vector<std::uint8_t> data;
        for (const char16_t unit : text + u'\0')
            data.insert(data.end(), {std::uint8_t(unit & 0xFF), std::uint8_t(unit >> 8)});
        ASSERT_EQ(file.keys.at(0).values.size(), 1u);
        EXPECT_EQ(asVector(file.keys[0].values[0].data), data) << bytes;
    }
}

TEST(RegFile, AUtf16FileGivesNamesInUtf8AndKeepsEveryUnitOfItsTexts)
{
    std::string bytes = "\xFF\xFE";
    for (const char16_t unit :
         std::u16string(u"REGEDIT4\r\n[HKCU\\\u0142\u00F3d\u017A]\r\n\"\u017C\"=\"a") + char16_t(0xD800) + u"\"\r")
        bytes.append({char(unit & 0xFF), char(unit >> 8)});
    RegFile file;
    std::string error;
    ASSERT_TRUE(parseRegFile(bytes, file, error)) << error;
    ASSERT_EQ(file.keys.size(), 1u);
    EXPECT_EQ(file.keys[0].path, "HKCU\\\xC5\x82\xC3\xB3\x64\xC5\xBA");
    ASSERT_EQ(file.keys[0].values.size(), 1u);
    EXPECT_EQ(file.keys[0].values[0].name, "\xC5\xBC");
    EXPECT_EQ(asVector(file.keys[0].values[0].data), (std::vector<std::uint8_t>{'a', 0, 0x00, 0xD8, 0, 0}));
}

TEST(RegFile, WriterWrapsAndChoosesFormsAsTheRegistryEditorDoes)
{
    regtool::RegFileWriter writer;
    writer.beginKey(u"HKEY_CURRENT_USER\\Control Panel\\Desktop\\WindowMetrics");
    // A line of Wine's own export of a fresh prefix.
    const std::vector<std::uint8_t> font = {0xf5, 0xff, 0xff, 0xff, 0,    0, 0,    0, 0,    0, 0,    0, 0,    0,
                                            0,    0,    0xbc, 0x02, 0,    0, 0,    0, 0,    0, 0,    0, 0,    0x22,
                                            0x4d, 0,    0x53, 0,    0x20, 0, 0x53, 0, 0x68, 0, 0x65, 0, 0x6c, 0,
                                            0x6c, 0,    0x20, 0,    0x44, 0, 0x6c, 0, 0x67, 0};
    writer.addValue(u"CaptionFont", 3, font);
    writer.addValue(u"", 4, std::vector<std::uint8_t>{1, 2, 3, 4});
    writer.addValue(u"short", 4, std::vector<std::uint8_t>{1, 2});
    writer.addValue(u"text", 1, std::vector<std::uint8_t>{'a', 0, '"', 0, '\\', 0, 0, 0});
    writer.addValue(u"line\nbreak", 1, std::vector<std::uint8_t>{'a', 0, '\n', 0, 0, 0});
    writer.addValue(u"unterminated", 1, std::vector<std::uint8_t>{'a', 0});
    writer.addValue(u"big", 0x12345678, {});
    writer.endKey();
    EXPECT_EQ(fromUtf16(writer.bytes()),
              "Windows Registry Editor Version 5.00\r\n"
              "\r\n"
              "[HKEY_CURRENT_USER\\Control Panel\\Desktop\\WindowMetrics]\r\n"
              "\"CaptionFont\"=hex:f5,ff,ff,ff,00,00,00,00,00,00,00,00,00,00,00,00,bc,02,00,00,\\\r\n"
              "  00,00,00,00,00,00,00,22,4d,00,53,00,20,00,53,00,68,00,65,00,6c,00,6c,00,20,\\\r\n"
              "  00,44,00,6c,00,67,00\r\n"
              "@=dword:04030201\r\n"
              "\"short\"=hex(4):01,02\r\n"
              "\"text\"=\"a\\\"\\\\\"\r\n"
              "\"line\\nbreak\"=hex(1):61,00,0a,00,00,00\r\n"
              "\"unterminated\"=hex(1):61,00\r\n"
              "\"big\"=hex(12345678):\r\n"
              "\r\n");
}

} // namespace
