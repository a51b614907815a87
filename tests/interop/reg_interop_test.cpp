// Wine as the judge of the machine's registry: one Wine prefix is made for all tests here, and
// Wine's `reg` and dostrojnik-reg work on it in turn. What we write, Wine reads; what Wine wrote,
// we read and keep; both print the same query output; each imports the other's export.

#include "core/text/unicode.h"
#include "tests/support/registry_differences.h"
#include "tests/support/temporary_folder.h"
#include "tests/tools/tool_process.h"

#include <gtest/gtest.h>

#include <iconv.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <sstream>
#include <stdexcept>

namespace {

namespace fs = std::filesystem;
using testing_support::readText;
using testing_support::TemporaryFolder;
using testing_support::writeText;
using tool_testing::ProcessResult;
using tool_testing::utf16File;

using tool_testing::findOnPath;

// In a pipe Wine writes the OEM code page of its locale, 437 under C.UTF-8; we write the
// locale's character set, UTF-8. The comparison is of the text, so Wine's bytes are decoded.
std::string fromCodePage437(const std::string& bytes)
{
    const iconv_t converter = iconv_open("UTF-8", "CP437");
    if (converter == reinterpret_cast<iconv_t>(-1))
        throw std::runtime_error("iconv knows no CP437");
    std::string out(bytes.size() * 3, '\0');
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    char* to = out.data();
    std::size_t toLeft = out.size();
    const std::size_t result = iconv(converter, &in, &inLeft, &to, &toLeft);
    iconv_close(converter);
    if (result == static_cast<std::size_t>(-1))
        throw std::runtime_error("Wine's output is not in code page 437");
    out.resize(out.size() - toLeft);
    return out;
}

// Wine ends its lines with CR LF; the comparison is of the lines.
std::string lines(std::string text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n'))
            out += text[i];
    return out;
}

// The blocks of a hive file by their "[path]" line, and the header before them.
std::map<std::string, std::string> blocks(const std::string& text)
{
    std::map<std::string, std::string> out;
    std::size_t pos = text.find("\n[");
    out[""] = text.substr(0, pos);
    while (pos != std::string::npos) {
        const std::size_t start = pos + 1;
        const std::size_t end = text.find("\n[", start);
        const std::string block = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        out[block.substr(0, block.find("] "))] = block;
        pos = end;
    }
    return out;
}

class WineInterop : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_wine = findOnPath("wine");
        s_wineserver = findOnPath("wineserver");
        const bool wine64 = findOnPath("wine64") || fs::exists("/usr/lib/wine/wine64");
        if (!s_wine || !s_wineserver || !wine64) {
            s_skip = "Wine is not installed (Debian's wine and wine64; scripts/setup installs them)";
            return;
        }
        s_folder = std::make_unique<TemporaryFolder>();
        // A fresh prefix takes Wine some 10 to 15 seconds; all tests share this one.
        const auto boot = wine({"wineboot", "-i"});
        server({"-w"});
        if (boot.status != 0 || !fs::exists(prefix() / "user.reg") || !fs::exists(prefix() / "system.reg"))
            s_skip = "wine wineboot -i could not make a prefix: " + boot.out + boot.err;
    }

    static void TearDownTestSuite()
    {
        if (s_folder) {
            server({"-k"});
            s_folder.reset();
        }
    }

    void SetUp() override
    {
        // scripts/run-tests installs Wine, so there a missing Wine is a fault, not a reason to skip.
        if (!s_skip.empty() && std::getenv("DOSTROJNIK_REQUIRE_WINE"))
            FAIL() << s_skip;
        if (!s_skip.empty())
            GTEST_SKIP() << s_skip;
    }

    static fs::path prefix() { return s_folder->path() / "prefix"; }

    static std::map<std::string, std::optional<std::string>> environment()
    {
        // One locale for both, so that both speak English.
        return {{"WINEPREFIX", prefix().string()},
                {"WINEDEBUG", "-all"},
                {"LC_ALL", "C.UTF-8"},
                {"DISPLAY", std::nullopt},
                {"WINEDLLOVERRIDES", "mscoree,mshtml="}};
    }

    static ProcessResult wine(std::vector<std::string> args)
    {
        args.insert(args.begin(), s_wine->string());
        return tool_testing::runProcess(args, environment(), {}, s_folder->path());
    }

    static void server(std::vector<std::string> args)
    {
        args.insert(args.begin(), s_wineserver->string());
        tool_testing::runProcess(args, environment());
    }

    // Wine's `reg`, with its server ended before the files are touched by anyone else. Now and
    // then, on a busy machine, Wine fails to start its own program at all ("Application could not
    // be started"); that says nothing of the registry, so such a run is tried again.
    static ProcessResult wineReg(std::vector<std::string> args)
    {
        args.insert(args.begin(), "reg");
        ProcessResult result;
        for (int attempt = 1;; ++attempt) {
            result = wine(args);
            // Ended at once rather than after its few seconds of waiting; it saves the hives first.
            server({"-k"});
            server({"-w"});
            const std::string said = result.out + result.err;
            if (said.find("Application could not be started") == std::string::npos || attempt == 3)
                break;
            std::fprintf(stderr, "Wine could not start reg (attempt %d), trying again\n", attempt);
        }
        result.out = lines(fromCodePage437(result.out));
        return result;
    }

    static ProcessResult ourReg(std::vector<std::string> args)
    {
        args.insert(args.begin(), tool_testing::toolPath("dostrojnik-reg").string());
        return tool_testing::runProcess(args, environment(), {}, s_folder->path());
    }

    static void expectSameQuery(const std::vector<std::string>& args)
    {
        std::vector<std::string> query{"query"};
        query.insert(query.end(), args.begin(), args.end());
        const auto theirs = wineReg(query);
        const auto ours = ourReg(query);
        EXPECT_EQ(ours.out, theirs.out) << "reg query " << args[0];
        EXPECT_EQ(ours.status, theirs.status) << "reg query " << args[0];
    }

    static inline std::optional<fs::path> s_wine;
    static inline std::optional<fs::path> s_wineserver;
    static inline std::unique_ptr<TemporaryFolder> s_folder;
    static inline std::string s_skip;
};

// Values of every type that Wine's own tools carry through unchanged.
const char* const CleanValues =
    "Windows Registry Editor Version 5.00\r\n"
    "\r\n"
    "[HKEY_CURRENT_USER\\Software\\DostrojnikInterop\\Clean]\r\n"
    "@=\"default\"\r\n"
    "\"be\"=hex(5):05,00,00,00\r\n"
    "\"bin\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,\\\r\n"
    "  17,18,19,1a,1b,1c,1d,1e,1f,20\r\n"
    "\"dword\"=dword:0000007b\r\n"
    "\"expand\"=hex(2):25,00,57,00,69,00,6e,00,44,00,69,00,72,00,25,00,00,00\r\n"
    "\"multi\"=hex(7):61,00,00,00,62,00,00,00,00,00\r\n"
    "\"none\"=hex(0):30,00,31,00,00,00\r\n"
    "\"qword\"=hex(b):89,67,45,23,01,00,00,00\r\n"
    "\"text\"=\"a \\\"quoted\\\" \\\\ text\"\r\n"
    "\"with space\"=\"1\"\r\n"
    "\r\n"
    "[HKEY_CURRENT_USER\\Software\\DostrojnikInterop\\Clean\\Sub]\r\n"
    "\"x\"=\"y\"\r\n"
    "\r\n";

TEST_F(WineInterop, BothToolsPrintTheSameQueryOutput)
{
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"HKCU\\Control Panel\\Desktop"},
             {"HKCU\\Control Panel\\Desktop", "/s"},
             {"HKCU\\Control Panel\\Colors", "/v", "Background"},
             {"HKCU\\Environment"},
             {"HKCU\\Environment", "/ve"},
             {"HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion", "/v", "ProductName"},
             {"HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon"},
             {"HKLM\\System\\CurrentControlSet\\Control\\Session Manager\\Environment", "/v", "PATH"},
             {"HKLM\\Software\\Classes\\.txt", "/s"},
             {"HKCR\\txtfile", "/s"},
             {"HKCR\\.txt", "/ve"},
             {"HKCU\\Control Panel", "/v", "nope", "/s"},
             {"HKCU\\Control Panel", "/v", "nope"},
             {"HKCU\\NoSuchKey"},
             // Symbolic link keys stand for their targets.
             {"HKCR\\Wow6432Node", "/s"},
             {"HKLM\\Software\\Wow6432Node\\Microsoft\\Windows NT\\CurrentVersion\\Ports"},
         })
        expectSameQuery(args);
}

TEST_F(WineInterop, WineReadsEveryTypeWeWrote)
{
    writeText(s_folder->path() / "clean.reg", utf16File(CleanValues));
    ASSERT_EQ(ourReg({"import", "clean.reg"}).status, 0);
    const std::string ours = "HKCU\\Software\\DostrojnikInterop\\Ours";
    ASSERT_EQ(ourReg({"add", ours, "/ve", "/d", "def", "/f"}).status, 0);
    // Text that code page 437 holds whole, so that both tools' output shows all of it.
    ASSERT_EQ(ourReg({"add", ours, "/v", "text", "/d", "Zoë's café, señor Müller ½", "/f"}).status, 0);
    ASSERT_EQ(ourReg({"add", ours, "/v", "multi", "/t", "REG_MULTI_SZ", "/d", "a\\0\\0b", "/s", "#", "/f"}).status, 0);
    ASSERT_EQ(ourReg({"add", ours, "/v", "qword", "/t", "REG_QWORD", "/d", "18446744073709551615", "/f"}).status, 0);
    ASSERT_EQ(ourReg({"add", ours, "/v", "none", "/t", "REG_NONE", "/f"}).status, 0);
    ASSERT_EQ(ourReg({"add", ours, "/v", "big", "/t", "REG_DWORD_BIG_ENDIAN", "/d", "0x12345678", "/f"}).status, 0);
    // Types Wine has no words for, and data a short form could not hold.
    writeText(s_folder->path() / "odd.reg", utf16File("Windows Registry Editor Version 5.00\r\n\r\n"
                                                      "[HKEY_CURRENT_USER\\Software\\DostrojnikInterop\\Ours\\Odd]\r\n"
                                                      "\"dw5\"=hex(4):01,02,03,04,05\r\n"
                                                      "\"embedded\"=hex(1):41,00,00,00,42,00,00,00\r\n"
                                                      "\"link\"=hex(6):41,00,42,00\r\n"
                                                      "\"list\"=hex(7):61,00,00,00,62,00\r\n"
                                                      "\"other\"=hex(ffff0007):01,02\r\n"
                                                      "\"q2\"=hex(b):01,02\r\n"
                                                      "\"res\"=hex(8):aa\r\n"));
    ASSERT_EQ(ourReg({"import", "odd.reg"}).status, 0);

    expectSameQuery({"HKCU\\Software\\DostrojnikInterop", "/s"});
    expectSameQuery({"HKCU\\Software\\DostrojnikInterop\\Ours"});
    expectSameQuery({"HKCU\\Software\\DostrojnikInterop\\Ours", "/ve"});
    expectSameQuery({"HKCU\\Software\\DostrojnikInterop\\Ours", "/v", "TEXT"});
    expectSameQuery({"HKCU\\Software\\DostrojnikInterop", "/v", "x", "/s"});
    // Wine reads the Polish text as we wrote it: its export holds it in UTF-16, where nothing is lost.
    const std::string polish = "HKCU\\Software\\DostrojnikPolish";
    ASSERT_EQ(ourReg({"add", polish, "/v", "text", "/d", "zażółć gęślą jaźń", "/f"}).status, 0);
    ASSERT_EQ(wineReg({"export", polish, "polish.reg", "/y"}).status, 0);
    const std::string exported = readText(s_folder->path() / "polish.reg");
    std::string expected;
    for (const char16_t unit : core::text::toUtf16("\"text\"=\"zażółć gęślą jaźń\"")) {
        expected += static_cast<char>(unit & 0xFF);
        expected += static_cast<char>(unit >> 8);
    }
    EXPECT_NE(exported.find(expected), std::string::npos);
}

TEST_F(WineInterop, WeReadAndKeepEverythingWineWrote)
{
    const std::string key = "HKCU\\Software\\DostrojnikInterop\\Wine";
    ASSERT_EQ(wineReg({"add", key, "/ve", "/d", "w", "/f"}).status, 0);
    ASSERT_EQ(wineReg({"add", key, "/v", "s", "/d", "Wine's ü", "/f"}).status, 0);
    ASSERT_EQ(wineReg({"add", key, "/v", "e", "/t", "REG_EXPAND_SZ", "/d", "%TMP%\\x", "/f"}).status, 0);
    ASSERT_EQ(wineReg({"add", key, "/v", "m", "/t", "REG_MULTI_SZ", "/d", "a\\0b\\0c", "/f"}).status, 0);
    ASSERT_EQ(wineReg({"add", key, "/v", "d", "/t", "REG_DWORD", "/d", "0xffffffff", "/f"}).status, 0);
    ASSERT_EQ(wineReg({"add", key, "/v", "q", "/t", "REG_QWORD", "/d", "0x1122334455667788", "/f"}).status, 0);
    ASSERT_EQ(wineReg({"add", key, "/v", "b", "/t", "REG_BINARY", "/d", "00ff10", "/f"}).status, 0);
    ASSERT_EQ(wineReg({"add", key, "/v", "n", "/t", "REG_NONE", "/d", "x", "/f"}).status, 0);
    ASSERT_EQ(wineReg({"add", key, "/v", "be", "/t", "REG_DWORD_BIG_ENDIAN", "/d", "1", "/f"}).status, 0);
    ASSERT_EQ(wineReg({"add", key + "\\Sub\\Deeper", "/v", "x", "/d", "y", "/f"}).status, 0);

    expectSameQuery({key, "/s"});
    expectSameQuery({key, "/v", "m"});
    // A letter that Wine's code page lacks, read from the hive Wine wrote.
    const std::string polish = "HKCU\\Software\\DostrojnikPolish\\Wine";
    ASSERT_EQ(wineReg({"add", polish, "/v", "s", "/d", "Wine's ż", "/f"}).status, 0);
    EXPECT_EQ(ourReg({"query", polish}).out,
              "\nHKEY_CURRENT_USER\\Software\\DostrojnikPolish\\Wine\n    s    REG_SZ    Wine's ż\n\n");

    // Our writes change only the lines of the keys they touch; every block Wine wrote stays.
    const std::string userBefore = readText(prefix() / "user.reg");
    const std::string systemBefore = readText(prefix() / "system.reg");
    ASSERT_EQ(ourReg({"add", "HKCU\\Software\\DostrojnikInterop\\Touched", "/v", "x", "/d", "1", "/f"}).status, 0);
    ASSERT_EQ(
        ourReg({"add", "HKLM\\Software\\DostrojnikInterop", "/v", "x", "/t", "REG_DWORD", "/d", "1", "/f"}).status, 0);
    for (const auto& [before, after, touched] :
         {std::tuple{blocks(userBefore), blocks(readText(prefix() / "user.reg")),
                     std::string("[Software\\\\DostrojnikInterop\\\\Touched")},
          std::tuple{blocks(systemBefore), blocks(readText(prefix() / "system.reg")),
                     std::string("[Software\\\\DostrojnikInterop")}}) {
        for (const auto& [path, block] : before) {
            ASSERT_TRUE(after.count(path)) << path;
            EXPECT_EQ(after.at(path), block) << path;
        }
        EXPECT_EQ(after.size(), before.size() + 1);
        EXPECT_TRUE(after.count(touched)) << touched;
    }

    // And Wine reads the files we wrote.
    EXPECT_NE(wineReg({"query", "HKLM\\Software\\DostrojnikInterop"}).out.find("    x    REG_DWORD    0x1"),
              std::string::npos);
    expectSameQuery({key, "/s"});
}

TEST_F(WineInterop, EachImportsTheOthersExport)
{
    const std::string key = "HKCU\\Software\\DostrojnikInterop\\Clean";
    writeText(s_folder->path() / "clean.reg", utf16File(CleanValues));
    ASSERT_EQ(ourReg({"import", "clean.reg"}).status, 0);
    const std::string query = ourReg({"query", key, "/s"}).out;

    // Our export is the file Wine writes for the same key, byte for byte.
    ASSERT_EQ(ourReg({"export", key, "ours.reg", "/y"}).status, 0);
    ASSERT_EQ(wineReg({"export", key, "wines.reg", "/y"}).status, 0);
    EXPECT_EQ(readText(s_folder->path() / "ours.reg"), readText(s_folder->path() / "wines.reg"));
    EXPECT_EQ(readText(s_folder->path() / "ours.reg"), utf16File(CleanValues));

    // Wine imports ours.
    ASSERT_EQ(wineReg({"delete", key, "/f"}).status, 0);
    ASSERT_EQ(ourReg({"query", key}).status, 1);
    ASSERT_EQ(wineReg({"import", "ours.reg"}).status, 0);
    EXPECT_EQ(wineReg({"query", key, "/s"}).out, query);

    // We import Wine's, of keys Wine made itself.
    const std::string wines = "HKCU\\Software\\DostrojnikInterop\\FromWine";
    ASSERT_EQ(wineReg({"add", wines, "/v", "m", "/t", "REG_MULTI_SZ", "/d", "x\\0y", "/f"}).status, 0);
    ASSERT_EQ(wineReg({"add", wines + "\\Sub", "/v", "b", "/t", "REG_BINARY", "/d", "abcdef", "/f"}).status, 0);
    const std::string theirs = wineReg({"query", wines, "/s"}).out;
    ASSERT_EQ(wineReg({"export", wines, "fromwine.reg", "/y"}).status, 0);
    ASSERT_EQ(ourReg({"delete", wines, "/f"}).status, 0);
    ASSERT_EQ(wineReg({"query", wines}).status, 1);
    ASSERT_EQ(ourReg({"import", "fromwine.reg"}).status, 0);
    EXPECT_EQ(ourReg({"query", wines, "/s"}).out, theirs);
    EXPECT_EQ(wineReg({"query", wines, "/s"}).out, theirs);
}

TEST_F(WineInterop, WinesRegeditMakesTheChangesWeExportedOnAnotherMachine)
{
    ASSERT_EQ(ourReg({"add", "HKCU\\Software\\DostrojnikInterop\\Changes\\Old", "/v", "gone", "/d", "x", "/f"}).status,
              0);
    ASSERT_EQ(ourReg({"add", "HKCU\\Software\\DostrojnikInterop\\Changes", "/ve", "/d", "d", "/f"}).status, 0);
    ASSERT_EQ(ourReg({"add", "HKCU\\Software\\DostrojnikInterop\\Changes", "/v", "rm", "/d", "r", "/f"}).status, 0);
    // The first machine is a copy of the prefix, changed after its point by our tools.
    const fs::path first = s_folder->path() / "first";
    fs::create_directory(first);
    for (const char* hive : {"system.reg", "user.reg", "userdef.reg"})
        fs::copy_file(prefix() / hive, first / hive, fs::copy_options::overwrite_existing);
    const auto onFirst = [&](const std::string& program, std::vector<std::string> args) {
        return tool_testing::runTool(program, std::move(args), first, {}, {}, s_folder->path());
    };
    ASSERT_EQ(onFirst("dostrojnik-restore", {"create", "przed"}).status, 0);
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"delete", "HKCU\\Software\\DostrojnikInterop\\Changes\\Old", "/f"},
             {"delete", "HKCU\\Software\\DostrojnikInterop\\Changes", "/ve", "/f"},
             {"delete", "HKCU\\Software\\DostrojnikInterop\\Changes", "/v", "rm", "/f"},
             {"add", "HKCU\\Software\\DostrojnikInterop\\Changes", "/v", "multi", "/t", "REG_MULTI_SZ", "/d", "a\\0b",
              "/f"},
             {"add", "HKCU\\Software\\DostrojnikInterop\\Changes\\New\\Deep", "/v", "bin", "/t", "REG_BINARY", "/d",
              "dead", "/f"},
             {"add", "HKLM\\Software\\DostrojnikInterop", "/v", "dw", "/t", "REG_DWORD", "/d", "5", "/f"},
         })
        ASSERT_EQ(onFirst("dostrojnik-reg", args).status, 0) << args[0] << " " << args[1];
    ASSERT_EQ(onFirst("dostrojnik-restore", {"changes", "1", "/export", "changes.reg"}).status, 0);

    // Wine's display driver rewrites its own keys at every start, so only our keys are compared.
    const auto ours = [&] {
        std::string out;
        std::istringstream keys(testing_support::registryDifferences(first, prefix()));
        for (std::string key; std::getline(keys, key);)
            if (key.find("DostrojnikInterop") != std::string::npos)
                out += key + "\n";
        return out;
    };
    ASSERT_NE(ours(), "");
    const auto imported = wine({"regedit", "/s", (s_folder->path() / "changes.reg").string()});
    server({"-k"});
    server({"-w"});
    ASSERT_EQ(imported.status, 0) << imported.out << imported.err;
    EXPECT_EQ(ours(), "");
}

TEST_F(WineInterop, WritesAreRefusedWhileWinesServerRuns)
{
    const std::string before = readText(prefix() / "user.reg");
    tool_testing::runProcess({"/bin/sh", "-c", "\"$0\" -p10 >/dev/null 2>&1", s_wineserver->string()}, environment());
    const auto result = ourReg({"add", "HKCU\\Software\\DostrojnikInterop\\Refused", "/v", "x", "/d", "1", "/f"});
    server({"-k"});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.out.find("in use by Wine's server"), std::string::npos) << result.out;
    EXPECT_EQ(readText(prefix() / "user.reg"), before);
}

} // namespace
