#include "core/registry/hive_text.h"
#include "core/registry/value_data.h"
#include "tests/support/temporary_folder.h"

#include <gtest/gtest.h>

#include <functional>

using namespace core::registry;

namespace {

const std::string MachineHeader =
    "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\n\n#arch=win64\n";
// 2026-12-07 19:00:00 UTC and its FILETIME, as Wine writes them.
constexpr std::uint64_t Now = 116444736000000000ull + 1796670000ull * 10000000ull + 1234567;
const std::string Stamp = " 1796670000\n#time=1dd867d289a8e87\n";

std::vector<std::u16string> path(std::initializer_list<const char16_t*> names)
{
    std::vector<std::u16string> out;
    for (const auto* name : names)
        out.emplace_back(name);
    return out;
}

Hive parseOrFail(const std::string& text)
{
    Hive hive;
    HiveParseError error;
    EXPECT_TRUE(Hive::parse(text, hive, error)) << "line " << error.line << ": " << error.what;
    return hive;
}

HiveParseError parseError(const std::string& text)
{
    Hive hive;
    HiveParseError error;
    EXPECT_FALSE(Hive::parse(text, hive, error));
    return error;
}

std::string valueLine(const HiveValue& value)
{
    std::string out;
    appendValueLine(out, value);
    return out;
}

std::string escaped(std::u16string_view text, char e1 = '"', char e2 = '"')
{
    std::string out;
    appendEscaped(out, text, e1, e2);
    return out;
}

void forEachKey(HiveKey& key, const std::function<void(HiveKey&)>& visit)
{
    visit(key);
    for (auto& subkey : key.subkeys)
        forEachKey(*subkey, visit);
}

} // namespace

TEST(HiveText, WineFileReadsAndWritesBackByteForByte)
{
    const std::string text = testing_support::readText(std::string(DOSTROJNIK_TEST_DATA) + "/registry/wine-user.reg");
    Hive hive = parseOrFail(text);
    EXPECT_EQ(hive.serialize(), text);

    // Every block Wine wrote is what our writer makes of the parsed key: names, escapes, value
    // types, hex wrapping and time stamps all agree.
    int blocks = 0;
    forEachKey(hive.root(), [&](HiveKey& key) {
        hive.load(key);
        if (key.blocks == 0)
            return;
        ++blocks;
        const std::string block = hive.blockText(key);
        EXPECT_NE(text.find(block), std::string::npos) << block;
    });
    EXPECT_EQ(blocks, 48);
}

TEST(HiveText, ValuesAreWrittenAsWineWritesThem)
{
    EXPECT_EQ(valueLine({u"", 1, core::stringData(u"")}), "@=\"\"\n");
    EXPECT_EQ(valueLine({u"s", 1, core::stringData(u"text")}), "\"s\"=\"text\"\n");
    EXPECT_EQ(valueLine({u"e", 2, core::stringData(u"%WinDir%")}), "\"e\"=str(2):\"%WinDir%\"\n");
    EXPECT_EQ(valueLine({u"m", 7, core::stringData(std::u16string(u"a\0b\0", 4))}), "\"m\"=str(7):\"a\\0b\\0\"\n");
    EXPECT_EQ(valueLine({u"d", 4, {0xcd, 0xab, 0, 0}}), "\"d\"=dword:0000abcd\n");
    EXPECT_EQ(valueLine({u"q", 11, {0x55, 0x44, 0x33, 0x22, 0x11, 0, 0, 0}}), "\"q\"=hex(b):55,44,33,22,11,00,00,00\n");
    EXPECT_EQ(valueLine({u"n", 0, {}}), "\"n\"=hex(0):\n");
    EXPECT_EQ(valueLine({u"x", 0xffff0007u, {1}}), "\"x\"=hex(ffff0007):01\n");
    // Text that is not a whole number of units ending in a NUL, and a DWORD of another size, go as hex.
    EXPECT_EQ(valueLine({u"odd", 1, {0x41, 0, 0}}), "\"odd\"=hex(1):41,00,00\n");
    EXPECT_EQ(valueLine({u"noz", 1, {0x41, 0}}), "\"noz\"=hex(1):41,00\n");
    EXPECT_EQ(valueLine({u"empty", 1, {}}), "\"empty\"=hex(1):\n");
    EXPECT_EQ(valueLine({u"short", 4, {1, 2}}), "\"short\"=hex(4):01,02\n");

    std::vector<std::uint8_t> bytes;
    for (int i = 1; i <= 0x29; ++i)
        bytes.push_back(static_cast<std::uint8_t>(i));
    EXPECT_EQ(valueLine({u"bin", 3, bytes}),
              "\"bin\"=hex:01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,17,\\\n"
              "  18,19,1a,1b,1c,1d,1e,1f,20,21,22,23,24,25,26,27,28,29\n");
    // The name's length counts towards the first line.
    const std::string longName = valueLine({std::u16string(60, u'n'), 3, bytes});
    EXPECT_EQ(longName.substr(0, longName.find('\n')), "\"" + std::string(60, 'n') + "\"=hex:01,02,03,04,\\");
}

TEST(HiveText, EscapesAreWineEscapes)
{
    EXPECT_EQ(escaped(u"qu\"o\\te"), "qu\\\"o\\\\te");
    EXPECT_EQ(escaped(u"[br]ack", '[', ']'), "\\[br\\]ack");
    EXPECT_EQ(escaped(u"\U0001F30EA"), "\\xd83c\\xdf0eA");
    EXPECT_EQ(escaped(u"Zażółć gęślą 0a"), "Za\\x17c\\xf3\\x142\\x107 g\\x119\\x15bl\\x105 0a");
    EXPECT_EQ(escaped(u"\u0105b \u0105g"), "\\x0105b \\x105g");
    EXPECT_EQ(escaped(std::u16string(u"a\001b\0017", 5)), "a\\1b\\0017");
    EXPECT_EQ(escaped(u"\a\b\t\n\v\f\r\x1b\x7f"), "\\a\\b\\t\\n\\v\\f\\r\\e\x7f");
    EXPECT_EQ(escaped(std::u16string(u"x\0", 2)), "x"); // the terminating NUL is not written
    EXPECT_EQ(escaped(std::u16string(u"\0y", 2)), "\\0y");

    // What is written reads back as the same units.
    const std::u16string tricky = std::u16string(u"q\"\\[]\a\x1f"
                                                 u"7\u0105F\U0001F30E\xd800x\0z",
                                                 16);
    HiveValue value{tricky, 1, core::stringData(tricky)};
    Hive hive = parseOrFail(MachineHeader + "\n[K]" + Stamp + valueLine(value));
    HiveKey* key = hive.find(path({u"K"}));
    ASSERT_TRUE(key);
    hive.load(*key);
    ASSERT_EQ(key->values.size(), 1u);
    EXPECT_EQ(key->values[0].name, tricky);
    EXPECT_EQ(key->values[0].data, value.data);
}

TEST(HiveText, ReadsEveryFormWineReads)
{
    Hive hive = parseOrFail(MachineHeader + "\n[Software\\\\A\\\\\\[x\\]] 1796670000\n"
                                            "#time=1dd867d289a8e87\n"
                                            "#class=\"Cls\\\"\"\n"
                                            "#link\n"
                                            "#unknown option\n"
                                            ";; a comment\n"
                                            "  \"sp\"=\"x\"\n"
                                            "\"plain\"=\"p\"\n"
                                            "\"str\"=str:\"s\"\n"
                                            "\"raw\"=\"\xc5\xbc\\q\\x41\\101\"\n"
                                            "\"hex\"=hex(2):41, 0,42 ,00,\\\n"
                                            "   00,00\n"
                                            "@=dword:ff\n"
                                            "\"empty\"=hex:\n"
                                            "\r\n"
                                            "[Software\\\\A\\\\\\[x\\]\\\\Sub]\r\n"
                                            "\"crlf\"=dword:00000001\r\n");
    HiveKey* key = hive.find(path({u"Software", u"a", u"[X]"}));
    ASSERT_TRUE(key);
    hive.load(*key);
    ASSERT_TRUE(key->className);
    EXPECT_EQ(*key->className, u"Cls\"");
    EXPECT_TRUE(key->link);
    EXPECT_EQ(key->modified, Now);
    ASSERT_EQ(key->values.size(), 7u);
    // Values come in case-insensitive order, the unnamed one first.
    EXPECT_EQ(key->values[0].name, u"");
    EXPECT_EQ(key->values[0].data, (std::vector<std::uint8_t>{0xff, 0, 0, 0}));
    EXPECT_EQ(key->values[1].name, u"empty");
    EXPECT_TRUE(key->values[1].data.empty());
    EXPECT_EQ(key->values[2].name, u"hex");
    EXPECT_EQ(key->values[2].type, 2u);
    EXPECT_EQ(key->values[2].data, (std::vector<std::uint8_t>{0x41, 0, 0x42, 0, 0, 0}));
    EXPECT_EQ(key->values[3].data, core::stringData(u"p"));
    EXPECT_EQ(key->values[4].name, u"raw");
    EXPECT_EQ(key->values[4].data, core::stringData(u"\u017cqAA"));
    EXPECT_EQ(key->values[5].name, u"sp");
    EXPECT_EQ(key->values[6].type, 1u);
    HiveKey* sub = hive.find(path({u"SOFTWARE", u"A", u"[x]", u"sub"}));
    ASSERT_TRUE(sub);
    hive.load(*sub);
    ASSERT_EQ(sub->values.size(), 1u);
    EXPECT_EQ(sub->values[0].name, u"crlf");
}

TEST(HiveText, BrokenFilesAreRefusedWithTheLineAndTheReason)
{
    EXPECT_EQ(parseError("").line, 1u);
    EXPECT_EQ(parseError("REGEDIT4\n\n[HKEY_CURRENT_USER\\x]\n").what,
              "the first line is not \"WINE REGISTRY Version 2\"");
    EXPECT_EQ(parseError("\x7f\x45LF\x02\x01\x01\0\0\0garbage").line, 1u);
    EXPECT_EQ(parseError(MachineHeader + "\"v\"=\"x\"\n").line, 5u);
    EXPECT_EQ(parseError(MachineHeader + "\n[K] 1\nnonsense\n").line, 7u);
    EXPECT_EQ(parseError(MachineHeader + "\n[K] 1\n\"v\"=\"x\"\n\"w\"=\"unterminated\n").line, 8u);
    EXPECT_EQ(parseError(MachineHeader + "\n[K] 1\n\"v\"=hex:100\n").what, "a byte of hex data is out of range");
    EXPECT_EQ(parseError(MachineHeader + "\n[K] 1\n\"v\"=hex:01,zz\n").what, "the hex data is malformed");
    EXPECT_EQ(parseError(MachineHeader + "\n[K] 1\n\"v\"=hex(3:01\n").what, "the value type is not understood");
    EXPECT_EQ(parseError(MachineHeader + "\n[K] 1\n\"v\"=text\n").what, "the value type is not understood");
    EXPECT_EQ(parseError(MachineHeader + "\n[K] 1\n\"v\"x\"\n").what, "'=' expected after the value name");
    EXPECT_EQ(parseError(MachineHeader + "\n[K] 1\n\"v\"=hex:01,\\\n").what,
              "the hex data goes on past the end of the file");
    EXPECT_EQ(parseError(MachineHeader + "\n[K\\\\L 1\n").what, "the key name has no closing ']'");
    EXPECT_EQ(parseError(MachineHeader + "\n[K] 1\n\"v\"=\"a\\").what, "the text has no closing quote");
    const auto nul = parseError(MachineHeader + "\n[K] 1\n\"v\"=\"a" + std::string(1, '\0') + "\"\n");
    EXPECT_EQ(nul.line, 7u);
    EXPECT_EQ(nul.what, "the file holds a NUL byte");
}

TEST(HiveText, KeysBeyondWindowsLimitsAreRefusedWithoutRecursion)
{
    auto keyOf = [](std::size_t depth, std::size_t nameLength) {
        std::string key = "\n[" + std::string(nameLength, 'k');
        for (std::size_t i = 1; i < depth; ++i)
            key += "\\\\k";
        return key + "] 1\n";
    };
    parseOrFail(MachineHeader + keyOf(512, 255));
    EXPECT_EQ(parseError(MachineHeader + keyOf(513, 1)).what, "the key lies more than 512 levels below the root");
    EXPECT_EQ(parseError(MachineHeader + keyOf(1, 256)).line, 6u);
    EXPECT_EQ(parseError(MachineHeader + keyOf(1, 256)).what, "a key name is longer than 255 characters");
    // A million levels is refused as quickly, and a deep tree built in memory goes without a crash.
    EXPECT_EQ(parseError(MachineHeader + keyOf(1000000, 1)).line, 6u);
    Hive deep = Hive::empty(MachineHeader);
    std::vector<std::u16string> names(200000, u"k");
    bool created = false;
    deep.create(names, 1, created);
}

TEST(HiveText, AFileCutAnywhereParsesOrIsRefusedCleanly)
{
    const std::string text = testing_support::readText(std::string(DOSTROJNIK_TEST_DATA) + "/registry/wine-user.reg");
    for (std::size_t cut = 0; cut < text.size(); cut += 37) {
        Hive hive;
        HiveParseError error;
        if (Hive::parse(text.substr(0, cut), hive, error))
            EXPECT_EQ(hive.serialize(), text.substr(0, cut));
        else
            EXPECT_FALSE(error.what.empty());
    }
}

TEST(HiveText, HugeLinesAreHandledInOnePass)
{
    const std::string huge(100u << 20, 'a');
    EXPECT_EQ(parseError(MachineHeader + "\n[K] 1\n\"v\"=\"" + huge + "\n").what, "the text has no closing quote");
    EXPECT_EQ(parseError(MachineHeader + "\n[K] 1\n\"v\"=hex:" + huge + "\n").what,
              "a byte of hex data is out of range");
    Hive hive = parseOrFail(MachineHeader + "\n[K] 1\n\"v\"=\"" + huge + "\"\n");
    HiveKey* key = hive.find(path({u"K"}));
    ASSERT_TRUE(key);
    hive.load(*key);
    EXPECT_EQ(key->values[0].data.size(), huge.size() * 2 + 2);
}

TEST(HiveText, NewKeysGoWhereWineWouldWriteThem)
{
    Hive hive = Hive::empty(MachineHeader);
    bool created = false;
    for (const auto& p : {path({u"b"}), path({u"D", u"x"}), path({u"a", u"z"}), path({u"C"}), path({u"a", u"Y"}),
                          path({u"a"}), path({u"D"})}) {
        hive.create(p, Now, created);
    }
    EXPECT_EQ(hive.serialize(), MachineHeader + "\n[a\\\\Y]" + Stamp + "\n[a\\\\z]" + Stamp + "\n[b]" + Stamp +
                                    "\n[C]" + Stamp + "\n[D\\\\x]" + Stamp);
    // Wine orders names after lower-casing them, so '_' comes before the letters (checked on Wine 8).
    Hive order = Hive::empty(MachineHeader);
    for (const char16_t* name : {u"Zz", u"_a", u"Ab", u"[x", u"~t", u"a^"})
        order.create(path({u"O", name}), Now, created);
    EXPECT_EQ(order.serialize(), MachineHeader + "\n[O\\\\\\[x]" + Stamp + "\n[O\\\\_a]" + Stamp + "\n[O\\\\a^]" +
                                     Stamp + "\n[O\\\\Ab]" + Stamp + "\n[O\\\\Zz]" + Stamp + "\n[O\\\\~t]" + Stamp);

    // Names keep the case they were created with and are found without regard to it.
    hive.create(path({u"A", u"y"}), Now, created);
    EXPECT_FALSE(created);
    EXPECT_EQ(hive.find(path({u"A", u"y"}))->name, u"Y");
}

TEST(HiveText, AChangeRewritesOnlyTheKeysItTouches)
{
    const std::string original = MachineHeader + "\n[A] 1700000000\n#time=1111\n\"v\"=\"1\"\n"
                                                 "\n[A\\\\Empty] 1700000000\n#time=2222\n"
                                                 "\n[B\\\\Deep\\\\Key] 1700000000\n#time=3333\n\"k\"=dword:00000001\n"
                                                 "\n[C] 1700000000\n#time=4444\n\"Name\"=\"x\"\n";
    Hive hive = parseOrFail(original);

    // A new value re-stamps its key's block and nothing else.
    HiveKey* c = hive.find(path({u"C"}));
    hive.setValue(*c, HiveValue{u"a", 4, {1, 0, 0, 0}}, Now);
    EXPECT_EQ(hive.serialize(),
              original.substr(0, original.find("\n[C]")) + "\n[C]" + Stamp + "\"a\"=dword:00000001\n\"Name\"=\"x\"\n");
    hive.commit(hive.serialize());

    // A new subkey of a key that was written only for having none: the parent's block goes.
    bool created = false;
    hive.create(path({u"A", u"Empty", u"New"}), Now, created);
    EXPECT_TRUE(created);
    std::string text = hive.serialize();
    EXPECT_EQ(text.find("[A\\\\Empty]"), std::string::npos);
    EXPECT_NE(text.find("\n[A\\\\Empty\\\\New]" + Stamp + "\n[B"), std::string::npos);

    // Deleting the only subkey of a key with nothing else: the parent must get a block back.
    hive.deleteKey(*hive.find(path({u"A", u"Empty", u"New"})), Now);
    EXPECT_NE(hive.serialize().find("\n[A\\\\Empty]" + Stamp + "\n[B"), std::string::npos);
    hive.deleteKey(*hive.find(path({u"B", u"Deep", u"Key"})), Now);
    text = hive.serialize();
    EXPECT_NE(text.find("\n[B\\\\Deep]" + Stamp + "\n[C]"), std::string::npos);
    Hive reread = parseOrFail(text);
    EXPECT_TRUE(reread.find(path({u"B", u"Deep"})));

    // Deleting a subkey stamps the parent, as Wine does; a parent with values keeps them.
    hive.deleteKey(*hive.find(path({u"A", u"Empty"})), Now);
    EXPECT_NE(hive.serialize().find("\n[A]" + Stamp + "\"v\"=\"1\"\n\n[B"), std::string::npos);

    // A value deleted from a key with subkeys and nothing else leaves it implied by them.
    hive.create(path({u"C", u"Sub"}), Now, created);
    HiveKey* key = hive.find(path({u"C"}));
    hive.deleteValue(*key, u"NAME", Now);
    hive.deleteValue(*key, u"a", Now);
    text = hive.serialize();
    EXPECT_EQ(text.substr(text.find("\n[C")), "\n[C\\\\Sub]" + Stamp);

    // A key made and deleted before the text is made, another made after it: only that one is written.
    hive.create(path({u"D", u"Gone"}), Now, created);
    hive.deleteKey(*hive.find(path({u"D", u"Gone"})), Now);
    hive.create(path({u"D", u"Kept"}), Now, created);
    text = hive.serialize();
    EXPECT_EQ(text.substr(text.find("\n[D")), "\n[D\\\\Kept]" + Stamp);
}

TEST(HiveText, KeysWrittenTwiceByHandBecomeOne)
{
    Hive hive = parseOrFail(MachineHeader + "\n[K] 1\n\"a\"=\"1\"\n\"b\"=\"old\"\n\n[L] 1\n\n[k] 1\n\"B\"=\"new\"\n");
    HiveKey* key = hive.find(path({u"K"}));
    hive.load(*key);
    ASSERT_EQ(key->values.size(), 2u);
    EXPECT_EQ(key->values[1].data, core::stringData(u"new"));
    hive.setValue(*key, HiveValue{u"c", 1, core::stringData(u"")}, Now);
    EXPECT_EQ(hive.serialize(), MachineHeader + "\n[K]" + Stamp + "\"a\"=\"1\"\n\"B\"=\"new\"\n\"c\"=\"\"\n\n[L] 1\n");

    // Read over a buffer that held more: the values in order, the last of a name kept, the rest left behind.
    Hive other = parseOrFail(MachineHeader + "\n[K] 1\n\"b\"=\"1\"\n\"a\"=hex:02\n\"B\"=\"3\"\n\"c\"=dword:4\n");
    std::vector<HiveValue> values(5, HiveValue{u"junk", 3, {9, 9, 9, 9, 9}});
    ASSERT_EQ(other.readValuesOver(*other.find(path({u"K"})), values), 3u);
    EXPECT_EQ(values[0].name, u"a");
    EXPECT_EQ(values[0].data, (std::vector<std::uint8_t>{2}));
    EXPECT_EQ(values[1].name, u"B");
    EXPECT_EQ(values[1].data, core::stringData(u"3"));
    EXPECT_EQ(values[2].data, (std::vector<std::uint8_t>{4, 0, 0, 0}));
}

TEST(HiveText, TheRootKeyAndAnEmptiedHive)
{
    Hive hive = Hive::empty(MachineHeader);
    bool created = false;
    hive.create(path({u"Only"}), Now, created);
    EXPECT_EQ(hive.serialize(), MachineHeader + "\n[Only]" + Stamp);
    // Wine writes the hive's root as "[]" once it has no subkeys.
    hive.deleteKey(*hive.find(path({u"Only"})), Now);
    EXPECT_EQ(hive.serialize(), MachineHeader + "\n[]" + Stamp);
    Hive reread = parseOrFail(hive.serialize());
    EXPECT_TRUE(reread.root().subkeys.empty());
}

TEST(HiveText, CommitKeepsLaterChangesExact)
{
    const std::string text = testing_support::readText(std::string(DOSTROJNIK_TEST_DATA) + "/registry/wine-user.reg");
    Hive hive = parseOrFail(text);
    bool created = false;
    HiveKey& key = hive.create(path({u"Software", u"Wine", u"Dostrojnik"}), Now, created);
    hive.setValue(key, HiveValue{u"v", 4, {1, 0, 0, 0}}, Now);
    const std::string first = hive.serialize();
    hive.commit(first);
    EXPECT_EQ(hive.serialize(), first);
    hive.setValue(key, HiveValue{u"w", 4, {2, 0, 0, 0}}, Now);
    const std::string second = hive.serialize();
    Hive reread = parseOrFail(second);
    EXPECT_EQ(reread.serialize(), second);
    HiveKey* found = reread.find(path({u"software", u"wine", u"dostrojnik"}));
    ASSERT_TRUE(found);
    reread.load(*found);
    EXPECT_EQ(found->values.size(), 2u);
    // Everything but the new block is the file Wine wrote.
    const std::string block =
        "\n[Software\\\\Wine\\\\Dostrojnik]" + Stamp + "\"v\"=dword:00000001\n\"w\"=dword:00000002\n";
    const auto at = second.find(block);
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(second.substr(0, at) + second.substr(at + block.size()), text);
}

TEST(HiveText, AParseForOneKeyAgreesWithTheWholeParse)
{
    const std::string text =
        MachineHeader + "\n[Software] 1\n\"top\"=\"t\"\n" + "\n[software\\\\Alpha] 2\n#time=1\n\"a\"=dword:00000001\n" +
        "\n[Software\\\\Alpha\\\\Sub\\\\Deep] 3\n" + "\n[SOFTWARE\\\\ALPHA\\\\SUA] 9\n\"s\"=\"\"\n" +
        "\n[Software\\\\alphabet] 4\n\"x\"=\"y\"\n" + "\n[Software\\\\B\\x00e9ta\\\\K\\[1\\]] 5\n\"b\"=hex:01,02\n" +
        "\n[Software\\\\\\\\Alpha] 6\n" + "\"again\"=\"by hand\"\n" +
        "[Software\\\\Only\\\\Below] 7\r\n\"o\"=\"\"\r\n" + "\n[Software\\\\Beta\\\\Kelvin] 8\n";
    const Hive whole = parseOrFail(text);
    const std::vector<std::vector<std::u16string>> foci = {path({u"Software", u"Alpha"}),
                                                           path({u"SOFTWARE", u"ALPHA", u"sub"}),
                                                           path({u"Software", u"Béta", u"k[1]"}),
                                                           path({u"Software", u"Only"}),
                                                           path({u"Software", u"Missing"}),
                                                           path({u"Software", u"béta"}),
                                                           path({u"Software"}),
                                                           path({u"Software", u"Alpha", u"Sub", u"Deep"}),
                                                           path({u"Software", u"Alpha", u"Sub", u"Aaa"}),
                                                           path({u"Software", u"alpha", u"sub", u"deep", u"X"}),
                                                           path({u"Aardvark", u"New"}),
                                                           path({u"Software", u"Bz"}),
                                                           path({u"Zulu"})};
    // Each key alone, and all of them in one pass.
    std::vector<std::vector<std::vector<std::u16string>>> sets;
    for (const auto& focus : foci)
        sets.push_back({focus});
    sets.push_back(foci);
    for (const auto& set : sets) {
        for (const bool checkAll : {false, true}) {
            SCOPED_TRACE(std::to_string(set.size()) + " " + std::string(set[0].back().begin(), set[0].back().end()) +
                         (checkAll ? " checked" : ""));
            Hive all = parseOrFail(text);
            Hive one;
            HiveParseError error;
            ASSERT_TRUE(Hive::parseFocused(text, std::span(set), checkAll, one, error))
                << error.line << ": " << error.what;
            // Every focus and every key above it read the same.
            for (const auto& focus : set)
                for (std::size_t depth = 1; depth <= focus.size(); ++depth) {
                    const std::span<const std::u16string> above(focus.data(), depth);
                    HiveKey* expected = all.find(above);
                    HiveKey* got = one.find(above);
                    ASSERT_EQ(got != nullptr, expected != nullptr) << depth;
                    if (!got)
                        break;
                    EXPECT_EQ(got->name, expected->name);
                    std::vector<HiveValue> gotValues, expectedValues;
                    one.readValues(*got, gotValues);
                    all.readValues(*expected, expectedValues);
                    ASSERT_EQ(gotValues.size(), expectedValues.size());
                    for (std::size_t i = 0; i < gotValues.size(); ++i)
                        EXPECT_TRUE(gotValues[i].name == expectedValues[i].name &&
                                    gotValues[i].data == expectedValues[i].data);
                    if (depth < focus.size())
                        continue;
                    one.load(*got);
                    all.load(*expected);
                    EXPECT_EQ(got->modified, expected->modified);
                    ASSERT_EQ(got->subkeys.size(), expected->subkeys.size());
                    for (std::size_t i = 0; i < got->subkeys.size(); ++i)
                        EXPECT_EQ(got->subkeys[i]->name, expected->subkeys[i]->name);
                    // A change in place writes what the whole parse writes.
                    if (got->blocks > 0 && set.size() == 1) {
                        one.setValue(*got, {u"new", 4, {1, 0, 0, 0}}, Now);
                        all.setValue(*expected, {u"new", 4, {1, 0, 0, 0}}, Now);
                        EXPECT_EQ(one.serialize(), all.serialize());
                        ASSERT_TRUE(one.widen(error));
                        EXPECT_EQ(one.serialize(), all.serialize());
                    }
                }
            // A key that is missing is made where the whole parse makes it.
            if (set.size() == 1 && checkAll && !one.find(set[0])) {
                bool created = false;
                one.create(set[0], Now, created);
                all.create(set[0], Now, created);
                EXPECT_EQ(one.serialize(), all.serialize());
                auto below = set[0];
                below.push_back(u"Child");
                one.create(below, Now, created);
                all.create(below, Now, created);
                EXPECT_EQ(one.serialize(), all.serialize());
            }
        }
    }
    EXPECT_EQ(whole.text(), text);
}

TEST(HiveText, AParseForOneKeyRefusesWhatItReads)
{
    const auto focusedError = [](const std::string& text, bool checkAll) {
        Hive hive;
        HiveParseError error;
        EXPECT_FALSE(Hive::parseFocused(text, path({u"K"}), checkAll, hive, error));
        return error;
    };
    for (const std::string& broken :
         {MachineHeader + "\n[K] 1\n\"v\"=\"x\"\n\"w\"=\"unterminated\n", MachineHeader + "\n[K] 1\n\"v\"=hex:01,zz\n",
          MachineHeader + "\n[K\\\\L 1\n", MachineHeader + "\"v\"=\"x\"\n\n[K] 1\n",
          MachineHeader + "\n[K] 1\n\"v\"=\"a" + std::string(1, '\0') + "\"\n", std::string("REGEDIT4\n\n[K]\n"),
          MachineHeader + "\n[" + std::string(256, 'n') + "] 1\n"}) {
        const HiveParseError expected = parseError(broken);
        const HiveParseError got = focusedError(broken, true);
        EXPECT_EQ(got.line, expected.line) << broken;
        EXPECT_EQ(got.what, expected.what) << broken;
    }
    // Without the whole file checked, only the key's own lines count.
    const std::string otherBroken = MachineHeader + "\n[J] 1\n\"v\"=bogus\n\n[K] 1\n\"v\"=dword:1\n\"w\"=bogus\n";
    const HiveParseError got = focusedError(otherBroken, false);
    EXPECT_EQ(got.line, 11u);
    EXPECT_EQ(got.what, "the value type is not understood");
    Hive hive;
    HiveParseError error;
    EXPECT_TRUE(Hive::parseFocused(MachineHeader + "\n[J] 1\n\"v\"=bogus\n\n[K] 1\n\"v\"=dword:1\n", path({u"K"}),
                                   false, hive, error));
}
