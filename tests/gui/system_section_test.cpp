// The System window: every target does what its row says on the machine (a registry value of an
// existing key, or a command line), a key that a new machine lacks is not created, and the
// window's hints in their order.

#include "tests/gui/support/gui_fixture.h"

using namespace gui_testing;
using core::RootKey;

namespace {

constexpr char kAtapi[] = "SYSTEM\\CurrentControlSet\\Services\\atapi\\Parameters";
constexpr char kDesktop[] = "Control Panel\\Desktop";
constexpr RootKey kMachine = RootKey::LocalMachine;
constexpr RootKey kUser = RootKey::CurrentUser;

const std::vector<RowWrite> kTable = {
    {"Image6", kMachine, kAtapi, "EnableBigLba", dword(1)},
    {"Image7", kMachine, kAtapi, "EnableBigLba", dword(0)},
    {"Image15", kUser, kDesktop, "PaintDesktopVersion", dword(1)},
    {"Image16", kUser, kDesktop, "PaintDesktopVersion", dword(0)},
};

const std::vector<std::pair<const char*, const char*>> kCommands = {
    {"Image4", "copy sysoc.inf C:\\Windows\\inf\\"},        {"Image9", "start net user Administrator /active:yes"},
    {"Image10", "start net user Administrator /active:no"}, {"Image12", "start regsvr32 zipfldr.dll"},
    {"Image13", "start regsvr32 /u zipfldr.dll"},
};

const std::vector<std::pair<const char*, QRect>> kPlaces = {
    {"Image4", {122, 25, 331, 44}},  {"Image6", {122, 108, 164, 25}},  {"Image7", {287, 108, 167, 25}},
    {"Image9", {122, 182, 79, 30}},  {"Image10", {202, 182, 82, 30}},  {"Image12", {291, 182, 79, 30}},
    {"Image13", {370, 182, 83, 30}}, {"Image15", {121, 243, 163, 25}}, {"Image16", {285, 243, 168, 25}},
};

const std::vector<std::pair<const char*, const char*>> kHints = {
    {"Image4", "Pokazuje wszystkie niewidoczne do tąd elementy\nw \"DodajUsuń skłaniki Windows\"."},
    {"Image5", "Włącza lub wyłącza obsługę maksymalnej objętości\ndysku twardego przez ekspolatora Windows."},
    {"Image8", "Konfiguruje, czy konto Administratora ma być\nuaktywnione, czy może wyłączone (dla bezpieczeństwa)"},
    {"Image11", "Konfiguruje, czy system operacyjny ma\nobsługiwać kompresowane pliki."},
    {"Image14",
     "Włącza lub wyłącza ukazywanie etykiety wersja Windows,\nktóra znajduje się w prawym-dolnym rogu ekranu."},
    {"Image17", "Wyświetla aktualne procesy włączone na tym komputerze."},
    {"Image2", "Minimalizuj"},
    {"Image3", "Zamknij"},
};

class SystemSectionTest : public GuiFixture {
protected:
    chrome::SectionWindow& openSystem()
    {
        chrome::SectionWindow& system = section("TForm2");
        system.openingSequence();
        runTimers();
        return system;
    }
};

TEST_F(SystemSectionTest, EveryTargetDoesWhatItsRowSays)
{
    start();
    chrome::SectionWindow& system = openSystem();
    EXPECT_EQ(system.size(), QSize(460, 449));
    expectHints(system, kHints);
    for (const auto& [target, place] : kPlaces)
        EXPECT_EQ(component(system, QString::fromLatin1(target))->geometry(), place) << target;
    seed(kMachine, kAtapi, {{"Other", dword(7)}});
    seed(kUser, kDesktop, {{"Other", dword(7)}});
    expectRowsWrite(system, kTable);
    const auto atapi = keyValues(kMachine, kAtapi);
    const auto desktop = keyValues(kUser, kDesktop);
    for (const auto& [target, command] : kCommands) {
        m_commands.clear();
        click(system, QString::fromLatin1(target));
        click(system, QString::fromLatin1(target));
        EXPECT_EQ(m_commands, (std::vector<std::string>{command, command})) << target;
    }
    EXPECT_EQ(keyValues(kMachine, kAtapi), atapi);
    EXPECT_EQ(keyValues(kUser, kDesktop), desktop);
    EXPECT_TRUE(m_errors.messages.empty());
    EXPECT_TRUE(system.isVisible());
}

// A new machine has no parameters key for the disk driver: the write fails with the registry's
// error and creates nothing, and the window goes on.
TEST_F(SystemSectionTest, AMissingDriverKeyIsNotCreated)
{
    seed(kUser, kDesktop, {{"Other", dword(7)}});
    start();
    chrome::SectionWindow& system = openSystem();
    click(system, QStringLiteral("Image6"));
    EXPECT_EQ(m_errors.messages, std::vector<std::string>{"Failed to set data for 'EnableBigLba'"});
    EXPECT_EQ(keyValues(kMachine, "SYSTEM\\CurrentControlSet\\Services\\atapi"), std::nullopt);
    click(system, QStringLiteral("Image15"));
    EXPECT_EQ(keyValues(kUser, kDesktop)->at("PaintDesktopVersion"), dword(1));
    EXPECT_EQ(m_errors.messages.size(), 1u);
    EXPECT_TRUE(system.isVisible());
}

} // namespace
