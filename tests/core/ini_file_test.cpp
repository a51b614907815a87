#include "core/settings/ini_file.h"

#include "core/error.h"
#include "tests/support/faulty_system_calls.h"
#include "tests/support/temporary_folder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <functional>
#include <random>

using namespace testing_support;
using core::TIniFile;

namespace {

// Key names of the program, spelt in Windows-1250 as they must be on disk.
const std::string AlphaKey = "Wartość przezroczystości (0 [niewidoczne] do 255 [widoczne])";
const std::string AlphaKeyCp1250 = "Warto\x9C\xE6 przezroczysto\x9C"
                                   "ci (0 [niewidoczne] do 255 [widoczne])";
const std::string FlagKey = "Przezroczystość (0 lub 1)";

std::string handEdited()
{
    return readText(std::filesystem::path(DOSTROJNIK_TEST_DATA) / "settings" / "hand_edited.ini");
}

std::string expectRefused(const std::function<void()>& write)
{
    try {
        write();
    } catch (const core::Error& error) {
        return error.what();
    }
    return "<no error>";
}

} // namespace

TEST(IniFile, MissingFileSectionOrKeyGivesTheDefault)
{
    TemporaryFolder folder;
    TIniFile none(folder / "none.ini");
    EXPECT_EQ(none.ReadString("Okno", FlagKey, "Tak"), "Tak");
    EXPECT_EQ(none.ReadInteger("Okno", AlphaKey, 255), 255);
    EXPECT_FALSE(std::filesystem::exists(folder / "none.ini")); // reading creates nothing

    writeText(folder / "a.ini", "[Okno]\r\nAutorozmiar=1\r\n");
    TIniFile ini(folder / "a.ini");
    EXPECT_EQ(ini.ReadInteger("Okno", FlagKey, 7), 7);
    EXPECT_EQ(ini.ReadInteger("System", "Autorozmiar", 7), 7);
    EXPECT_EQ(ini.ReadString("Okno", "Autorozmiar", "x"), "1");

    TIniFile folderAsFile(folder.path());
    EXPECT_EQ(folderAsFile.ReadString("Okno", "Autorozmiar", "d"), "d");
}

TEST(IniFile, ReadsAHandEditedFileTheWayWindowsDoes)
{
    TemporaryFolder folder;
    writeText(folder / "d.ini", handEdited());
    TIniFile ini(folder / "d.ini");
    // Names without regard to case, Polish capitals too; blanks around names and values ignored.
    EXPECT_EQ(ini.ReadInteger("OKNO", "PRZEZROCZYSTOŚĆ (0 LUB 1)", 0), 1);
    EXPECT_EQ(ini.ReadInteger("okno", AlphaKey, 255), 200);
    EXPECT_EQ(ini.ReadString("UŻYTKOWNIK", "Nazwa", ""), "Józef Żółć"); // quotes taken off
    EXPECT_EQ(ini.ReadString("System", "Komentarze", "Tak"), "tak");
    // The first of two sections of one name counts; the key of the second is not seen.
    EXPECT_EQ(ini.ReadString("Okno", "Autorozmiar", "none"), "none");
    // Comments and junk are no keys; a last line without a line end is read.
    EXPECT_EQ(ini.ReadString("Okno", "; rozmiar zostaje", "none"), "none");
    EXPECT_EQ(ini.ReadString("Użytkownik", "to nie jest klucz", "none"), "none");
    EXPECT_EQ(ini.ReadString("Awaria", "Komentarze", "Tak"), "Nie");
}

TEST(IniFile, ValuesComeBackUnquotedAndCut)
{
    TemporaryFolder folder;
    const std::string longPolish(3000, '\xB3'); // "ł" in the code page
    writeText(folder / "q.ini",
              "[S]\nd=\"a b \"\ns='x'\nhalf=\"open\nmixed=\"x'\nempty=\nlong=" + std::string(5000, 'x') +
                  "\npl=" + longPolish + "\nquotedlong=\"" + std::string(2046, 'y') + "zz\"\nfirst=1\nFIRST=2\n");
    TIniFile ini(folder / "q.ini");
    EXPECT_EQ(ini.ReadString("S", "d", ""), "a b ");
    EXPECT_EQ(ini.ReadString("S", "s", ""), "x");
    EXPECT_EQ(ini.ReadString("S", "half", ""), "\"open");
    EXPECT_EQ(ini.ReadString("S", "mixed", ""), "\"x'");
    EXPECT_EQ(ini.ReadString("S", "empty", "default"), ""); // present but empty is not missing
    EXPECT_EQ(ini.ReadString("S", "long", ""), std::string(2047, 'x'));
    std::string expected;
    for (int i = 0; i < 2047; ++i)
        expected += "ł";
    EXPECT_EQ(ini.ReadString("S", "pl", ""), expected); // 2047 characters, not 2047 bytes of UTF-8
    EXPECT_EQ(ini.ReadString("S", "quotedlong", ""), std::string(2046, 'y') + "z");
    EXPECT_EQ(ini.ReadInteger("S", "first", 0), 1);
}

TEST(IniFile, ReadsIntegersAsTheProgramExpects)
{
    TemporaryFolder folder;
    // clang-format off
    const std::pair<const char*, std::int32_t> cases[] = {
        {"0", 0}, {"200", 200}, {"  42  ", 42}, {"-7", -7}, {"+7", 7}, {"007", 7}, {"\"5\"", 5},
        {"0x1F", 31}, {"0X1f", 31}, {"$ff", 255}, {"$FFFFFFFF", -1}, {"0x80000000", INT_MIN},
        {"$00000000010", 16}, {"-$10", -16}, {"2147483647", INT_MAX}, {"-2147483648", INT_MIN},
        // Not a 32-bit integer: the default.
        {"2147483648", 99}, {"-2147483649", 99}, {"$100000000", 99}, {"99999999999999999999", 99},
        {"12abc", 99}, {"1 2", 99}, {"abc", 99}, {"", 99}, {"-", 99}, {"$", 99}, {"0x", 99},
        {"0x-1", 99}, {"0xg", 99}, {"1.5", 99}, {"$-1", 99}, {"--1", 99}, {"x10", 99}};
    // clang-format on
    std::string contents = "[N]\r\n";
    for (size_t i = 0; i < std::size(cases); ++i)
        contents += "k" + std::to_string(i) + "=" + cases[i].first + "\r\n";
    writeText(folder / "n.ini", contents);
    TIniFile ini(folder / "n.ini");
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(ini.ReadInteger("N", "k" + std::to_string(i), 99), cases[i].second) << '"' << cases[i].first << '"';
}

TEST(IniFile, TheFirstWriteCreatesTheFileWithPolishNamesInTheCodePage)
{
    TemporaryFolder folder;
    const auto path = folder / "dostrojnik.ini";
    TIniFile ini(path);
    ini.WriteInteger("Menu główne", FlagKey, 1);
    ini.WriteInteger("Menu główne", AlphaKey, 200);
    ini.WriteString("Wersja", "Kwintor Dostrojnik 2004", "2.0");
    ini.WriteString("Panel glowny", "Dzień", "2004-05-01");
    ini.WriteString("Użytkownik", "Nazwa", "Żaneta");
    ini.WriteString("Wydajność", "Komentarze", "Tak");
    EXPECT_EQ(readText(path), "[Menu g\xB3\xF3wne]\r\n"
                              "Przezroczysto\x9C\xE6 (0 lub 1)=1\r\n" +
                                  AlphaKeyCp1250 +
                                  "=200\r\n"
                                  "[Wersja]\r\n"
                                  "Kwintor Dostrojnik 2004=2.0\r\n"
                                  "[Panel glowny]\r\n"
                                  "Dzie\xF1=2004-05-01\r\n"
                                  "[U\xBFytkownik]\r\n"
                                  "Nazwa=\xAF"
                                  "aneta\r\n"
                                  "[Wydajno\x9C\xE6]\r\n"
                                  "Komentarze=Tak\r\n");
    EXPECT_EQ(ini.ReadString("użytkownik", "NAZWA", ""), "Żaneta");
    EXPECT_EQ(ini.ReadInteger("MENU GŁÓWNE", AlphaKey, 255), 200);
}

TEST(IniFile, WritesChangeOnlyTheirLineAndKeepEverythingElse)
{
    TemporaryFolder folder;
    const auto path = folder / "d.ini";
    const std::string original = handEdited();
    writeText(path, original);
    TIniFile ini(path);

    // Replaced in place, keeping the spelling of the file's key.
    ini.WriteString("Użytkownik", "Nazwa", "Ala");
    std::string expected = original;
    const std::string oldLine = "  NAZWA  =  \"J\xF3zef \xAF\xF3\xB3\xE6\"  \n";
    expected.replace(expected.find(oldLine), oldLine.size(), "NAZWA=Ala\r\n");
    EXPECT_EQ(readText(path), expected);

    // A new key goes after the last key of the first section of its name, before the comment.
    ini.WriteInteger("okno", "Autorozmiar", 0);
    const std::string afterAlpha = AlphaKeyCp1250 + "=200   \r\n";
    expected.insert(expected.find(afterAlpha) + afterAlpha.size(), "Autorozmiar=0\r\n");
    EXPECT_EQ(readText(path), expected);

    // A new section goes at the end; the last line first gets its line end.
    ini.WriteString("Foldery", "Komentarze", "Nie");
    expected += "\r\n[Foldery]\r\nKomentarze=Nie\r\n";
    EXPECT_EQ(readText(path), expected);
    EXPECT_EQ(ini.ReadInteger("Okno", "Autorozmiar", 5), 0);
}

TEST(IniFile, ALastLineWithoutLineEndGetsOneBeforeAnythingFollowsIt)
{
    TemporaryFolder folder;
    const auto path = folder / "t.ini";
    writeText(path, "[A]\nx=1");
    TIniFile ini(path);
    ini.WriteString("A", "y", "2");
    EXPECT_EQ(readText(path), "[A]\nx=1\r\ny=2\r\n");

    writeText(path, "[A]");
    ini.WriteString("A", "y", "2");
    EXPECT_EQ(readText(path), "[A]\r\ny=2\r\n");

    writeText(path, "[A]\r\nx=1");
    ini.WriteString("A", "x", "3"); // the replaced line is ours now, with its line end
    EXPECT_EQ(readText(path), "[A]\r\nx=3\r\n");

    writeText(path, "; only a comment");
    ini.WriteString("B", "z", "3");
    EXPECT_EQ(readText(path), "; only a comment\r\n[B]\r\nz=3\r\n");
}

TEST(IniFile, WrittenTextStaysOnItsLine)
{
    TemporaryFolder folder;
    const auto path = folder / "w.ini";
    TIniFile ini(path);
    ini.WriteString("Użytkownik", "Nazwa", "Jan\r\nKowalski\n[Okno]\rX");
    ini.WriteString("S", "zero", std::string("ab\0cd", 5));
    ini.WriteString("S", "Ā", "中");
    EXPECT_EQ(readText(path), "[U\xBFytkownik]\r\nNazwa=Jan Kowalski [Okno] X\r\n[S]\r\nzero=ab\r\n?=?\r\n");
    EXPECT_EQ(ini.ReadString("Okno", "X", "none"), "none");
    EXPECT_EQ(ini.ReadString("S", "Ā", ""), "?"); // found again by the name it was written with
    ini.WriteString("Dwie\nlinie", "klucz\r\n", "1");
    EXPECT_EQ(ini.ReadString("Dwie\nlinie", "klucz\r\n", ""), "1");
    EXPECT_EQ(ini.ReadString("Dwie linie", "klucz", ""), "1");
}

TEST(IniFile, AFileSavedAsUtf8WithAByteOrderMarkStaysUtf8)
{
    TemporaryFolder folder;
    const auto path = folder / "u.ini";
    writeText(path, "\xEF\xBB\xBF[Użytkownik]\r\nNazwa=Zoë\r\n");
    TIniFile ini(path);
    EXPECT_EQ(ini.ReadString("UŻYTKOWNIK", "nazwa", ""), "Zoë");
    ini.WriteString("Wydajność", "Komentarze", "Nie");
    EXPECT_EQ(readText(path), "\xEF\xBB\xBF[Użytkownik]\r\nNazwa=Zoë\r\n[Wydajność]\r\nKomentarze=Nie\r\n");
}

TEST(IniFile, EveryReadOpensTheFileAgain)
{
    TemporaryFolder folder;
    const auto path = folder / "r.ini";
    writeText(path, "[S]\r\nk=1\r\n");
    FaultySystemCalls calls;
    TIniFile ini(path, calls);
    EXPECT_EQ(ini.ReadInteger("S", "k", 0), 1);
    writeText(path, "[S]\r\nk=2\r\n"); // a hand edit between two reads
    EXPECT_EQ(ini.ReadInteger("S", "k", 0), 2);
    EXPECT_EQ(calls.count("open"), 2);
    EXPECT_EQ(calls.count("close"), 2);
}

TEST(IniFile, AFailedWriteLeavesTheFileAsItWas)
{
    TemporaryFolder folder;
    const auto path = folder / "f.ini";
    const std::string original = "[S]\r\nk=1\r\n";
    // Opens of one write: the folder lock, the file, the temporary file.
    const std::pair<const char*, int> faults[] = {{"flock", 1}, {"open", 1},  {"open", 2},  {"read", 1},
                                                  {"open", 3},  {"write", 1}, {"fsync", 1}, {"rename", 1}};
    for (const auto& [call, occurrence] : faults) {
        SCOPED_TRACE(std::string(call) + " #" + std::to_string(occurrence));
        writeText(path, original);
        FaultySystemCalls calls;
        calls.failOn(call, EIO, occurrence);
        TIniFile ini(path, calls);
        EXPECT_EQ(expectRefused([&] { ini.WriteString("S", "k", "2"); }), "Unable to write to " + path.string());
        EXPECT_EQ(readText(path), original);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);
    }
}

TEST(IniFile, AWriteThatChangesNothingDoesNotRewriteTheFile)
{
    TemporaryFolder folder;
    const auto path = folder / "same.ini";
    FaultySystemCalls calls;
    TIniFile ini(path, calls);
    ini.WriteString("S", "k", "v");
    ini.WriteString("s", "K", "v");
    EXPECT_EQ(calls.count("rename"), 1); // a rewrite renames a new file over the old one
    EXPECT_EQ(readText(path), "[S]\r\nk=v\r\n");
}

TEST(IniFile, BadInputNeitherCrashesNorDestroys)
{
    TemporaryFolder folder;
    const auto path = folder / "bad.ini";

    // Garbage: random bytes, line ends and brackets included.
    std::mt19937 random(2004);
    std::string garbage;
    for (int i = 0; i < 200000; ++i)
        garbage += static_cast<char>(random() % 256);
    writeText(path, garbage);
    TIniFile ini(path);
    (void)ini.ReadString("Okno", "Autorozmiar", "");
    ini.WriteString("Kwintor", "Klucz", "1");
    const std::string afterGarbage = readText(path);
    EXPECT_EQ(afterGarbage.substr(0, garbage.size()), garbage);
    EXPECT_EQ(ini.ReadString("Kwintor", "Klucz", ""), "1");

    // One line of 100 MB, with a key before and after it.
    std::string huge = "[S]\r\na=1\r\nhuge=";
    huge.append(100u << 20, 'x');
    huge += "\r\nb=2\r\n[T]\r\n";
    writeText(path, huge);
    EXPECT_EQ(ini.ReadString("S", "huge", "").size(), 2047u);
    EXPECT_EQ(ini.ReadInteger("S", "b", 0), 2);
    EXPECT_EQ(ini.ReadInteger("T", std::string(100u << 20, 'x'), 5), 5);
    ini.WriteInteger("T", "c", 3);
    EXPECT_EQ(std::filesystem::file_size(path), huge.size() + 5);
    EXPECT_EQ(ini.ReadInteger("T", "c", 0), 3);

    // A file cut in the middle of a line.
    writeText(path, "[S]\r\nk=12\r\n[T");
    EXPECT_EQ(ini.ReadInteger("S", "k", 0), 12);
    ini.WriteString("S", "k", "13");
    EXPECT_EQ(readText(path), "[S]\r\nk=13\r\n[T");
}

TEST(IniFile, SettingsPathIsTheExecutablesWithIni)
{
    EXPECT_EQ(core::settingsPathFor("/x/bin/dostrojnik"), "/x/bin/dostrojnik.ini");
    EXPECT_EQ(core::settingsPathFor("/x/bin/dostrojnik.exe"), "/x/bin/dostrojnik.ini");
    EXPECT_EQ(core::settingsPathFor("/x/v1.2/prog"), "/x/v1.2/prog.ini");
    EXPECT_EQ(core::settingsPathFor("/x/a.b.c"), "/x/a.b.ini");
}
