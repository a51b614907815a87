// dostrojnik-restore as a real process on temporary machines: its commands and messages, the
// changes of a known set of writes, points made by processes killed at any moment, and restores
// refused while Wine's server runs.

#include "core/registry/wine_registry.h"
#include "tests/support/registry_differences.h"
#include "tests/support/temporary_folder.h"
#include "tests/tools/tool_process.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <random>
#include <thread>

namespace {

namespace fs = std::filesystem;
using namespace core;
using testing_support::readText;
using testing_support::TemporaryFolder;
using tool_testing::ProcessResult;

std::vector<std::uint8_t> bytes(std::initializer_list<int> list)
{
    std::vector<std::uint8_t> out;
    for (const int b : list)
        out.push_back(static_cast<std::uint8_t>(b));
    return out;
}

class RestoreTool : public ::testing::Test {
protected:
    fs::path machine() const { return m_folder / "machine"; }

    // The messages in Polish by default, from the catalogue in the build tree.
    ProcessResult restore(std::vector<std::string> args, const char* locale = "pl_PL.UTF-8") const
    {
        return tool_testing::runTool("dostrojnik-restore", std::move(args), machine(), {{"LC_ALL", locale}}, {},
                                     m_folder.path());
    }

    void set(RootKey root, const std::string& key, const std::string& name, std::uint32_t type,
             const std::vector<std::uint8_t>& data) const
    {
        WineRegistry registry(machine(), 0);
        KeyHandle handle;
        ASSERT_EQ(registry.createKey(rootHandle(root), key, Access::AllAccess, handle), RegStatus::Success);
        ASSERT_EQ(registry.setValue(handle, name, type, data), RegStatus::Success) << registry.lastFailure();
    }

    void removeKey(RootKey root, const std::string& key) const
    {
        WineRegistry registry(machine(), 0);
        ASSERT_EQ(registry.deleteKey(rootHandle(root), key), RegStatus::Success) << registry.lastFailure();
    }

    void removeValue(RootKey root, const std::string& key, const std::string& name) const
    {
        WineRegistry registry(machine(), 0);
        KeyHandle handle;
        ASSERT_EQ(registry.openKey(rootHandle(root), key, Access::AllAccess, handle), RegStatus::Success);
        ASSERT_EQ(registry.deleteValue(handle, name), RegStatus::Success);
    }

    TemporaryFolder m_folder;
};

} // namespace

TEST_F(RestoreTool, CommandsAnswerWithTheirMessagesAndExitStatus)
{
    struct Row {
        std::vector<std::string> args;
        int status;
        std::string out; // the whole standard output; for a failure, a part of the error output
    };
    const Row rows[] = {
        {{"list"}, 0, "Brak punktów przywracania.\n"},
        {{"create", "Przed zmianą opcji"}, 0, "Utworzono punkt przywracania 1.\n"},
        {{"LIST"}, 0, "1\t2"},
        {{"changes", "1"}, 0, "Brak zmian od punktu 1.\n"},
        {{"restore", "1"}, 0, "Przywrócono punkt 1. Stan sprzed przywrócenia to punkt 2.\n"},
        {{"delete", "2"}, 0, "Usunięto punkt przywracania 2.\n"},
        {{"delete", "2"}, 1, "Błąd: Nie ma punktu przywracania 2.\n"},
        {{"changes", "7"}, 1, "Nie ma punktu przywracania 7."},
        {{"restore", "x1"}, 1, "\"x1\" nie jest numerem punktu przywracania."},
        {{"restore", "0"}, 1, "\"0\" nie jest numerem punktu przywracania."},
        {{"create"}, 1, "Nieprawidłowa liczba argumentów."},
        {{"list", "więcej"}, 1, "Nieprawidłowa liczba argumentów."},
        {{"undo"}, 1, "Nieznane polecenie \"undo\"."},
        {{"/?"}, 0, "Przywracanie systemu: punkty przywracania rejestru maszyny.\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.args.front() + (row.args.size() > 1 ? " " + row.args[1] : ""));
        const auto result = restore(row.args);
        EXPECT_EQ(result.status, row.status) << result.err;
        if (row.status != 0)
            EXPECT_NE(result.err.find(row.out), std::string::npos) << result.err;
        else if (row.args.front() == "LIST" || row.args.front() == "/?")
            EXPECT_TRUE(result.out.starts_with(row.out)) << result.out;
        else
            EXPECT_EQ(result.out, row.out);
    }
    const auto listed = restore({"list"});
    EXPECT_NE(listed.out.find("\tręczny\tPrzed zmianą opcji\n"), std::string::npos) << listed.out;
    // English under any other locale, the restore points' own failures too.
    EXPECT_NE(restore({"list"}, "C").out.find("\tmanual\tPrzed zmianą opcji\n"), std::string::npos);
    EXPECT_EQ(restore({"delete", "2"}, "C").err, "Error: There is no restore point 2.\n");
    EXPECT_EQ(restore({"changes", "7"}, "C.UTF-8").err, "Error: There is no restore point 7.\n");
}

TEST_F(RestoreTool, TakesADescriptionInTheLocalesCharacterSetAndAFileNameAsItsBytes)
{
    const auto locale = tool_testing::latin2Locale(m_folder / "locales");
    const auto latin2 = [&](std::vector<std::string> args) {
        return tool_testing::runTool("dostrojnik-restore", std::move(args), machine(), locale, {}, m_folder.path());
    };
    // "Żółw" and "Żółw.reg" as Latin-2 writes them.
    ASSERT_EQ(latin2({"create", "\xAF\xF3\xB3w"}).status, 0);
    EXPECT_TRUE(restore({"list"}).out.ends_with("\tŻółw\n"));
    ASSERT_EQ(latin2({"changes", "1", "/export", "\xAF\xF3\xB3w.reg"}).status, 0);
    EXPECT_TRUE(fs::is_regular_file(m_folder / "\xAF\xF3\xB3w.reg"));
}

TEST_F(RestoreTool, ChangesListExactlyTheWritesSinceThePointGroupedByKey)
{
    ASSERT_EQ(restore({"list"}).status, 0); // makes the machine
    set(RootKey::CurrentUser, "Software\\Próba", "Zmieniona", RegDword, bytes({1, 0, 0, 0}));
    set(RootKey::CurrentUser, "Software\\Próba", "Usunięta", RegSz, bytes({'a', 0, 0, 0}));
    set(RootKey::CurrentUser, "Software\\Próba\\Stary", "", RegSz, bytes({'x', 0, 0, 0}));
    set(RootKey::LocalMachine, "Software\\Próba", "Bez zmian", RegDword, bytes({1, 0, 0, 0}));
    ASSERT_EQ(restore({"create", "przed"}).status, 0);

    set(RootKey::CurrentUser, "Software\\Próba", "Zmieniona", RegSz, bytes({0x7c, 0x01, 'a', 0, 0, 0}));
    {
        WineRegistry registry(machine(), 0);
        KeyHandle key;
        ASSERT_EQ(registry.openKey(rootHandle(RootKey::CurrentUser), "Software\\Próba", Access::AllAccess, key),
                  RegStatus::Success);
        ASSERT_EQ(registry.deleteValue(key, "Usunięta"), RegStatus::Success);
    }
    removeKey(RootKey::CurrentUser, "Software\\Próba\\Stary");
    const std::string key = "Software\\Próba\\Nowy klucz\\Głęboki";
    set(RootKey::CurrentUser, key, "sz", RegSz, bytes({'t', 0, 0, 0}));
    set(RootKey::CurrentUser, key, "expand", RegExpandSz, bytes({'%', 0, 'x', 0, '%', 0, 0, 0}));
    set(RootKey::CurrentUser, key, "binary", RegBinary, bytes({0xde, 0xad}));
    set(RootKey::CurrentUser, key, "dword", RegDword, bytes({0x10, 0, 0, 0}));
    set(RootKey::CurrentUser, key, "multi", RegMultiSz, bytes({'a', 0, 0, 0, 'b', 0, 0, 0, 0, 0}));
    set(RootKey::CurrentUser, key, "qword", RegQword, bytes({1, 0, 0, 0, 0, 0, 0, 0}));
    set(RootKey::CurrentUser, key, "none", RegNone, bytes({5}));
    set(RootKey::CurrentUser, key, "big", RegDwordBigEndian, bytes({0, 0, 0, 2}));
    set(RootKey::CurrentUser, key, "własny", 0x1234, bytes({1}));
    set(RootKey::LocalMachine, "Software\\Próba", "Nowa", RegDword, bytes({0xff, 0xff, 0xff, 0xff}));

    const auto result = restore({"changes", "1"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "Klucz zmieniony: HKEY_LOCAL_MACHINE\\SOFTWARE\\Próba\n"
                          "+    Nowa    REG_DWORD    0xffffffff\n"
                          "\n"
                          "Klucz zmieniony: HKEY_CURRENT_USER\\Software\\Próba\n"
                          "-    Usunięta    REG_SZ    a\n"
                          "-    Zmieniona    REG_DWORD    0x1\n"
                          "+    Zmieniona    REG_SZ    ża\n"
                          "\n"
                          "Klucz dodany: HKEY_CURRENT_USER\\Software\\Próba\\Nowy klucz\n"
                          "\n"
                          "Klucz dodany: HKEY_CURRENT_USER\\Software\\Próba\\Nowy klucz\\Głęboki\n"
                          "+    big    REG_DWORD_BIG_ENDIAN    0x2000000\n"
                          "+    binary    REG_BINARY    DEAD\n"
                          "+    dword    REG_DWORD    0x10\n"
                          "+    expand    REG_EXPAND_SZ    %x%\n"
                          "+    multi    REG_MULTI_SZ    a\\0b\n"
                          "+    none    REG_NONE    05\n"
                          "+    qword    REG_QWORD    (null)\n"
                          "+    sz    REG_SZ    t\n"
                          "+    własny    (null)    (null)\n"
                          "\n"
                          "Klucz usunięty: HKEY_CURRENT_USER\\Software\\Próba\\Stary\n"
                          "-    (Default)    REG_SZ    x\n"
                          "\n");
}

TEST_F(RestoreTool, APointMadeByAProcessKilledAtAnyMomentIsWholeOrAbsent)
{
    ASSERT_EQ(restore({"list"}).status, 0); // makes the machine
    const std::string system = readText(machine() / "system.reg");
    const std::string user = readText(machine() / "user.reg");
    const std::string program = tool_testing::toolPath("dostrojnik-restore").string();
    std::mt19937 random(std::random_device{}());
    std::uniform_int_distribution<int> delay(0, 40000);
    for (int round = 0; round < 40; ++round) {
        const pid_t child = ::fork();
        if (child == 0) {
            ::setenv("WINEPREFIX", machine().c_str(), 1);
            ::execl(program.c_str(), program.c_str(), "create", "zabity", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
    }
    const auto listed = restore({"list"});
    ASSERT_EQ(listed.status, 0);
    const fs::path points = machine() / "drive_c/System Volume Information/_restore";
    std::size_t count = 0;
    for (const auto& entry : fs::directory_iterator(points)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with("."))
            continue; // a point being built when its maker was killed: never listed
        SCOPED_TRACE(name);
        ++count;
        EXPECT_NE(listed.out.find(name.substr(2) + "\t"), std::string::npos) << listed.out;
        EXPECT_EQ(readText(entry.path() / "system.reg"), system);
        EXPECT_EQ(readText(entry.path() / "user.reg"), user);
        EXPECT_NE(readText(entry.path() / "point.ini").find("description=zabity\n"), std::string::npos);
    }
    if (count == 0)
        EXPECT_EQ(listed.out, "Brak punktów przywracania.\n");
    else
        EXPECT_EQ(std::count(listed.out.begin(), listed.out.end(), '\n'), static_cast<std::ptrdiff_t>(count))
            << listed.out;
    // The next point clears what killed makers left behind.
    ASSERT_EQ(restore({"create", "ostatni"}).status, 0);
    for (const auto& entry : fs::directory_iterator(points))
        EXPECT_FALSE(entry.path().filename().string().starts_with(".")) << entry.path();
}

TEST_F(RestoreTool, ARestoreIsRefusedWhileWinesServerRuns)
{
    const bool haveWine = std::system("command -v wineserver >/dev/null 2>&1") == 0;
    if (!haveWine && std::getenv("DOSTROJNIK_REQUIRE_WINE"))
        FAIL() << "Wine is not installed (Debian's wine and wine64; scripts/setup installs them)";
    if (!haveWine)
        GTEST_SKIP() << "Wine is not installed";
    ASSERT_EQ(restore({"create", "punkt"}).status, 0); // makes the machine and the point
    set(RootKey::CurrentUser, "Software\\Po punkcie", "x", RegDword, bytes({1, 0, 0, 0}));
    const std::string server = "WINEPREFIX='" + machine().string() + "' WINEDEBUG=-all wineserver >/dev/null 2>&1";
    ASSERT_EQ(std::system((server + " -p").c_str()), 0);
    // The server takes its lock as it starts; a write of the registry tells when it holds it.
    for (int i = 0; i < 200; ++i) {
        WineRegistry registry(machine(), 0);
        KeyHandle key;
        if (registry.createKey(rootHandle(RootKey::CurrentUser), "Software\\Sonda", Access::AllAccess, key) !=
            RegStatus::Success)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    const std::string user = readText(machine() / "user.reg");
    const auto result = restore({"restore", "1"});
    const std::string after = readText(machine() / "user.reg");
    const std::string points = restore({"list"}).out;
    // Wine's server writes its registry back into the files as it ends.
    EXPECT_EQ(std::system((server + " -k").c_str()), 0);
    EXPECT_EQ(std::system((server + " -w").c_str()), 0);
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("serwera Wine"), std::string::npos) << result.err;
    EXPECT_EQ(after, user);
    EXPECT_EQ(points.find("przed przywróceniem"), std::string::npos) << points;
}

TEST_F(RestoreTool, ControlCharactersNeverReachTheTerminalAndRefusalsGiveTheirReason)
{
    ASSERT_EQ(restore({"create", "punkt"}).status, 0);
    const fs::path info = machine() / "drive_c" / "System Volume Information" / "_restore" / "RP1" / "point.ini";
    testing_support::writeText(info, "kind=user\ntime=\x1b[2J\ntime2=x\ndescription=\x1b]0;tytu\xc5\x82\x07\xc2\x9b"
                                     "1m\n");
    const auto listed = restore({"list"});
    EXPECT_EQ(listed.out, "1\t?[2J\tręczny\t?]0;tytuł??1m\n");

    // Root ignores permissions, so another user runs it.
    if (::geteuid() != 0 || !fs::exists("/usr/bin/setpriv"))
        GTEST_SKIP() << "needs root and setpriv to run a process as another user";
    fs::permissions(m_folder.path(), fs::perms::others_read | fs::perms::others_exec, fs::perm_options::add);
    const auto result = tool_testing::runProcess(
        tool_testing::asNobody({tool_testing::toolPath("dostrojnik-restore").string(), "create", "x"}),
        {{"WINEPREFIX", machine().string()}, {"HOME", "/nonexistent"}});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("Permission denied"), std::string::npos) << result.err;
}

TEST_F(RestoreTool, ChangesAreNamedByTheirOptionAndTheirRegFileMakesThemOnAnotherMachine)
{
    ASSERT_EQ(restore({"list"}).status, 0); // makes the machine
    const std::string ie = "Software\\Microsoft\\Internet Explorer";
    set(RootKey::CurrentUser, ie + "\\TypedURLs", "url1", RegSz, bytes({'a', 0, 0, 0}));
    set(RootKey::CurrentUser, ie + "\\TypedURLs\\Pod", "x", RegDword, bytes({1, 0, 0, 0}));
    set(RootKey::CurrentUser, "Software\\Próba", "", RegSz, bytes({'d', 0, 0, 0}));
    set(RootKey::CurrentUser, "Software\\Próba", "Usunięta", RegSz, bytes({'u', 0, 0, 0}));
    // The second machine starts where the first is at its point.
    const fs::path second = m_folder / "second";
    fs::copy(machine(), second, fs::copy_options::recursive);
    ASSERT_EQ(restore({"create", "przed"}).status, 0);

    const std::string crash = "SYSTEM\\CurrentControlSet\\Control\\CrashControl";
    set(RootKey::LocalMachine, crash, "AutoReboot", RegDword, bytes({0, 0, 0, 0}));
    set(RootKey::LocalMachine, crash, "SendAlert", RegDword, bytes({7, 0, 0, 0}));
    set(RootKey::CurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer", "DisallowRun",
        RegDword, bytes({1, 0, 0, 0}));
    removeKey(RootKey::CurrentUser, ie + "\\TypedURLs\\Pod");
    removeKey(RootKey::CurrentUser, ie + "\\TypedURLs");
    removeValue(RootKey::CurrentUser, "Software\\Próba", "");
    removeValue(RootKey::CurrentUser, "Software\\Próba", "Usunięta");
    set(RootKey::CurrentUser, "Software\\Próba\\Nowy\\Głęboki", "bin", RegBinary, bytes({0xde, 0xad}));
    set(RootKey::CurrentUser, "Software\\Próba\\Nowy\\Głęboki", "zł", RegMultiSz, bytes({'a', 0, 0, 0, 0, 0}));

    const auto listed = restore({"changes", "1"});
    ASSERT_EQ(listed.status, 0) << listed.err;
    for (const char* named : {
             "+    AutoReboot    REG_DWORD    0x0\n    Awaria / Automatyczne restartowanie: Wyłącz\n",
             "+    SendAlert    REG_DWORD    0x7\n\n", // no option writes 7
             "+    DisallowRun    REG_DWORD    0x1\n    Ochrona, przy każdym uruchomieniu programu\n",
             "Klucz usunięty: HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\TypedURLs\n"
             "    Internet / Czyść historię używanych adresów\n",
             "Klucz usunięty: HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\TypedURLs\\Pod\n"
             "    Internet / Czyść historię używanych adresów\n",
             "-    (Default)    REG_SZ    d\n-    Usunięta    REG_SZ    u\n\n",
         })
        EXPECT_NE(listed.out.find(named), std::string::npos) << named << "\nin:\n" << listed.out;

    const auto exported = restore({"changes", "1", "/EXPORT", "zmiany.reg"});
    ASSERT_EQ(exported.status, 0) << exported.err;
    EXPECT_EQ(exported.out, "Zapisano zmiany od punktu 1 w pliku zmiany.reg.\n");
    const std::string file = readText(m_folder / "zmiany.reg");
    ASSERT_TRUE(file.starts_with("\xFF\xFE")); // UTF-16LE as the registry editor writes it
    const auto imported =
        tool_testing::runTool("dostrojnik-reg", {"import", (m_folder / "zmiany.reg").string()}, second);
    ASSERT_EQ(imported.status, 0) << imported.err;
    EXPECT_EQ(testing_support::registryDifferences(machine(), second), "");
    // The removed key is written once, with what lay below it.
    EXPECT_EQ(file.find(std::string("P\0o\0d\0]\0", 8)), std::string::npos);
}

TEST_F(RestoreTool, CommandsLoadNoToolkit)
{
    // The loader lists what the program would load, without running it.
    const auto loaded = tool_testing::runProcess({tool_testing::toolPath("dostrojnik-restore").string(), "list"},
                                                 {{"LD_TRACE_LOADED_OBJECTS", "1"}});
    ASSERT_EQ(loaded.status, 0);
    EXPECT_NE(loaded.out.find("libc.so"), std::string::npos) << loaded.out;
    EXPECT_EQ(loaded.out.find("Qt"), std::string::npos) << loaded.out;
}
