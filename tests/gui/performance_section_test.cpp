// The Performance window: every target's effect on the machine's registry or its command line,
// on a machine without the keys and on one that has them, and its hints.

#include "tests/gui/support/gui_fixture.h"

#include "core/registry/tregistry.h"
#include "core/registry/value_data.h"

using namespace gui_testing;
using core::RootKey;

namespace {

constexpr char kMemory[] = "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management";
constexpr char kUnload[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\AlwaysUnloadDLL";
constexpr char kPrefetch[] =
    "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management\\PrefetchParameters";
constexpr char kControl[] = "SYSTEM\\CurrentControlSet\\Control";
constexpr char kNameSpace[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RemoteComputer\\NameSpace";
constexpr char kPrinters[] = "{2227A280-3AEA-1069-A2DE-08002B30309D}";
constexpr char kTasks[] = "{D6277990-4C6A-11CF-8D87-00AA0060F5BF}";

// The targets that write: the key, whether the click creates it, and what it writes there. On a
// machine without the key, a target that does not create it fails on its first value.
struct Row {
    const char* target;
    RootKey root;
    const char* key;
    bool creates;
    Values written;
    const char* firstValue;
};
const std::vector<Row> kWrites = {
    {"Image2", RootKey::CurrentUser, "Control Panel\\Desktop", false, {{"MenuShowDelay", text(u"1")}},
     "MenuShowDelay"},
    {"Image9", RootKey::LocalMachine, kMemory, false,
     {{"DisablePagingExecutive", dword(1)}, {"LargeSystemCache", dword(1)}}, "DisablePagingExecutive"},
    {"Image11", RootKey::LocalMachine, kUnload, true, {{"", text(u"1")}}, ""},
    {"Image12", RootKey::LocalMachine, kUnload, true, {{"", text(u"0")}}, ""},
    {"Image13", RootKey::LocalMachine, kPrefetch, true, {{"EnablePrefetcher", dword(0)}}, ""},
    {"Image14", RootKey::LocalMachine, kPrefetch, true, {{"EnablePrefetcher", dword(2)}}, ""},
    {"Image15", RootKey::LocalMachine, kPrefetch, true, {{"EnablePrefetcher", dword(3)}}, ""},
    {"Image16", RootKey::LocalMachine, kControl, true, {{"WaitToKillServiceTimeOut", text(u"100")}}, ""},
    {"Image17", RootKey::LocalMachine, kControl, true, {{"WaitToKillServiceTimeOut", text(u"5000")}}, ""},
    {"Image18", RootKey::LocalMachine, kControl, true, {{"WaitToKillServiceTimeOut", text(u"15000")}}, ""},
};

const std::vector<std::pair<const char*, const char*>> kCommands = {
    {"Image3", "start defrag c: -b"},
    {"Image6", "rundll32.exe advapi32.dll ,ProcessIdleTasks"},
};

// In the order comments mode switches them on.
const std::vector<std::pair<const char*, const char*>> kHints = {
    {"Image19", "Zamknij"},
    {"Image5", "Minimalizuj"},
    {"Image2", "Zwiększa szybkość otwierania się\nelementów systemu operacyjnego."},
    {"Image3", "Defragmentuje sektory startowe, dzięki\nczemu system ładuje się szybciej."},
    {"Image7", "Przyspiesza otwieranie sieci lokalnej poprzez usunięcie wyszukiwania\ndrukarek podczas zczytywania "
               "nazw komputerów."},
    {"Image6", "Kolejkuje akcje systemowe, dzięki czemu system Windows\nzwiększa priorytet zadań na akcje użytkownika."},
    {"Image9", "Usuwa zawartość jądra\nsystemu z pliku wymiany."},
    {"Image10", "Włącza usługę, która ma za zadanie czyszczenie\nnieistniejących wpisów z pamięci Ram."},
    {"Image8", "Ustala czas, w jakim elementy startowe\nmają załadować system operacyjny Windows."},
    {"Image4", "Ustala czas, w jakim system\nWindows ma wyłączyć komputer."},
};

class PerformanceSectionTest : public GuiFixture {
protected:
    chrome::SectionWindow& openPerformance()
    {
        click(mainWindow(), QStringLiteral("Image10"));
        runTimers();
        return section("TForm5");
    }

    // Makes the key, with the DWORD `name` = 7 when a name is given ("" is the default value).
    void makeKey(RootKey root, const std::string& path, const std::optional<std::string>& name = {})
    {
        core::TRegistry registry(m_registry);
        registry.SetRootKey(root);
        ASSERT_TRUE(registry.OpenKey(path, true));
        if (name)
            registry.WriteInteger(*name, 7);
    }

    bool exists(RootKey root, const std::string& path) { return keyValues(root, path).has_value(); }
};

TEST_F(PerformanceSectionTest, EveryTargetWithoutItsKeyAndBesideWhatItsKeyHolds)
{
    start();
    chrome::SectionWindow& performance = openPerformance();
    for (const Row& row : kWrites) {
        SCOPED_TRACE(row.target);
        m_errors.messages.clear();
        // Keys with subkeys (another row's) stay; their values go.
        if (exists(row.root, row.key) && m_registry.deleteKey(core::rootHandle(row.root), row.key)
                                             != core::RegStatus::Success) {
            core::TRegistry registry(m_registry);
            registry.SetRootKey(row.root);
            ASSERT_TRUE(registry.OpenKey(row.key, false));
            const Values held = *keyValues(row.root, row.key);
            for (const auto& [name, value] : held)
                registry.DeleteValue(name);
        }
        click(performance, QString::fromLatin1(row.target));
        if (row.creates) {
            EXPECT_EQ(keyValues(row.root, row.key), row.written);
            EXPECT_TRUE(m_errors.messages.empty());
        } else {
            // The failed first write skips the rest of the click.
            EXPECT_FALSE(exists(row.root, row.key));
            EXPECT_EQ(m_errors.messages,
                      std::vector<std::string>{std::string("Failed to set data for '") + row.firstValue + "'"});
        }

        // Each click writes again; other values stay, and a value of another type takes the table's.
        m_errors.messages.clear();
        makeKey(row.root, row.key, "Other");
        for (int round = 0; round < 2; ++round) {
            Values expected = *keyValues(row.root, row.key);
            for (const auto& [name, value] : row.written) {
                makeKey(row.root, row.key, name);
                expected[name] = value;
            }
            click(performance, QString::fromLatin1(row.target));
            EXPECT_EQ(keyValues(row.root, row.key), expected);
        }
        EXPECT_TRUE(m_errors.messages.empty());
    }
    EXPECT_TRUE(m_commands.empty());
    for (const auto& [target, command] : kCommands) {
        m_commands.clear();
        click(performance, QString::fromLatin1(target));
        EXPECT_EQ(m_commands, std::vector<std::string>{command}) << target;
    }
}

TEST_F(PerformanceSectionTest, TheNetworkButtonDeletesBothNameSpaceKeysEvenWhenTheFirstIsMissing)
{
    const std::string first = std::string(kNameSpace) + "\\" + kPrinters;
    const std::string second = std::string(kNameSpace) + "\\" + kTasks;
    start();
    chrome::SectionWindow& performance = openPerformance();
    click(performance, QStringLiteral("Image7")); // no NameSpace key at all
    makeKey(RootKey::LocalMachine, first);
    makeKey(RootKey::LocalMachine, second);
    makeKey(RootKey::LocalMachine, std::string(kNameSpace) + "\\{Kept}");
    click(performance, QStringLiteral("Image7"));
    EXPECT_FALSE(exists(RootKey::LocalMachine, first));
    EXPECT_FALSE(exists(RootKey::LocalMachine, second));
    EXPECT_TRUE(exists(RootKey::LocalMachine, std::string(kNameSpace) + "\\{Kept}"));

    makeKey(RootKey::LocalMachine, second);
    click(performance, QStringLiteral("Image7"));
    EXPECT_FALSE(exists(RootKey::LocalMachine, second));
    EXPECT_TRUE(m_errors.messages.empty());
}

TEST_F(PerformanceSectionTest, HintsOfCommentsMode)
{
    start();
    chrome::SectionWindow& performance = openPerformance();
    expectHints(performance, kHints);
    // The choices under the captions never get a hint.
    for (const char* choice : {"Image11", "Image12", "Image13", "Image14", "Image15", "Image16", "Image17", "Image18"})
        EXPECT_TRUE(performance.picture(QString::fromLatin1(choice))->toolTip().isEmpty()) << choice;
}

} // namespace
