// The Performance window: every target's effect on the machine's registry or its command line,
// on a machine without the keys and on one that has them, and its hints.

#include "tests/behaviour/support/behaviour_fixture.h"

#include "sections/definitions.h"
#include "sections/plain_windows.h"

using namespace behaviour_testing;
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

constexpr char kDesktop[] = "Control Panel\\Desktop";
constexpr RootKey kMachine = RootKey::LocalMachine;
constexpr RootKey kUser = RootKey::CurrentUser;

// Rows whose click creates their key, in an order where each key can be deleted before its row.
const std::vector<RowWrite> kCreating = {
    {"Image16", kMachine, kControl, "WaitToKillServiceTimeOut", text(u"100")},
    {"Image17", kMachine, kControl, "WaitToKillServiceTimeOut", text(u"5000")},
    {"Image18", kMachine, kControl, "WaitToKillServiceTimeOut", text(u"15000")},
    {"Image11", kMachine, kUnload, "", text(u"1")},
    {"Image12", kMachine, kUnload, "", text(u"0")},
    {"Image13", kMachine, kPrefetch, "EnablePrefetcher", dword(0)},
    {"Image14", kMachine, kPrefetch, "EnablePrefetcher", dword(2)},
    {"Image15", kMachine, kPrefetch, "EnablePrefetcher", dword(3)},
};

// The two buttons that write into keys that must exist, by their first write.
const std::vector<RowWrite> kButtons = {
    {"Image2", kUser, kDesktop, "MenuShowDelay", text(u"1")},
    {"Image9", kMachine, kMemory, "DisablePagingExecutive", dword(1)},
};

const std::vector<std::pair<const char*, const char*>> kCommands = {
    {"Image3", "start defrag c: -b"},
    {"Image6", "rundll32.exe advapi32.dll ,ProcessIdleTasks"},
};

// In the order comments mode switches them on.
const Hints kHints = {
    {"Image19", "Zamknij"},
    {"Image5", "Minimalizuj"},
    {"Image2", "Zwiększa szybkość otwierania się\nelementów systemu operacyjnego."},
    {"Image3", "Defragmentuje sektory startowe, dzięki\nczemu system ładuje się szybciej."},
    {"Image7", "Przyspiesza otwieranie sieci lokalnej poprzez usunięcie wyszukiwania\ndrukarek podczas zczytywania "
               "nazw komputerów."},
    {"Image6",
     "Kolejkuje akcje systemowe, dzięki czemu system Windows\nzwiększa priorytet zadań na akcje użytkownika."},
    {"Image9", "Usuwa zawartość jądra\nsystemu z pliku wymiany."},
    {"Image10", "Włącza usługę, która ma za zadanie czyszczenie\nnieistniejących wpisów z pamięci Ram."},
    {"Image8", "Ustala czas, w jakim elementy startowe\nmają załadować system operacyjny Windows."},
    {"Image4", "Ustala czas, w jakim system\nWindows ma wyłączyć komputer."},
};

class PerformanceWindowTest : public BehaviourFixture {
protected:
    void SetUp() override { open<TForm5>(sections::performanceDefinition()); }
};

TEST_F(PerformanceWindowTest, EveryTargetWithoutItsKeyAndBesideWhatItsKeyHolds)
{
    // The failed first write skips the rest of the click.
    expectRowsNeedTheirKeys(kButtons);
    expectRowsCreateTheirKeys(kCreating);
    for (const RowWrite& row : kCreating)
        seed(row.root, row.key, {{"Other", dword(7)}});
    expectRowsWrite(kCreating);

    seed(kUser, kDesktop, {{"MenuShowDelay", dword(7)}, {"Other", dword(7)}});
    seed(kMachine, kMemory,
         {{"DisablePagingExecutive", text(u"7")}, {"LargeSystemCache", dword(7)}, {"Other", dword(7)}});
    for (int round = 0; round < 2; ++round) {
        click("Image2");
        click("Image9");
        EXPECT_EQ(keyValues(kUser, kDesktop), (Values{{"MenuShowDelay", text(u"1")}, {"Other", dword(7)}}));
        EXPECT_EQ(keyValues(kMachine, kMemory),
                  (Values{{"DisablePagingExecutive", dword(1)}, {"LargeSystemCache", dword(1)}, {"Other", dword(7)}}));
    }
    EXPECT_TRUE(m_errors.messages.empty());
    EXPECT_TRUE(m_commands.empty());
    for (const auto& [target, command] : kCommands) {
        m_commands.clear();
        click(target);
        EXPECT_EQ(m_commands, std::vector<std::string>{command}) << target;
    }
}

TEST_F(PerformanceWindowTest, TheNetworkButtonDeletesBothNameSpaceKeysEvenWhenTheFirstIsMissing)
{
    const std::string first = std::string(kNameSpace) + "\\" + kPrinters;
    const std::string second = std::string(kNameSpace) + "\\" + kTasks;
    click("Image7"); // no NameSpace key at all
    seed(kMachine, first);
    seed(kMachine, second);
    seed(kMachine, std::string(kNameSpace) + "\\{Kept}");
    click("Image7");
    EXPECT_EQ(keyValues(kMachine, first), std::nullopt);
    EXPECT_EQ(keyValues(kMachine, second), std::nullopt);
    EXPECT_NE(keyValues(kMachine, std::string(kNameSpace) + "\\{Kept}"), std::nullopt);

    seed(kMachine, second);
    click("Image7");
    EXPECT_EQ(keyValues(kMachine, second), std::nullopt);
    EXPECT_TRUE(m_errors.messages.empty());
}

TEST_F(PerformanceWindowTest, HintsOfCommentsMode)
{
    expectHints(sections::performanceDefinition(), kHints);
}

} // namespace
