// The System window: every target does what its row says on the machine (a registry value of an
// existing key, or a command line), a key that a new machine lacks is not created, and the
// window's hints in their order.

#include "tests/gui/support/gui_fixture.h"

#include "core/registry/tregistry.h"

#include <map>
#include <optional>

using namespace gui_testing;
using core::RootKey;

namespace {

constexpr char kAtapi[] = "SYSTEM\\CurrentControlSet\\Services\\atapi\\Parameters";
constexpr char kDesktop[] = "Control Panel\\Desktop";

// What the test looks at after a click: the two values the rows write, a neighbour of each that
// no row touches, and the command lines handed to the shell.
struct Machine {
    std::map<std::string, std::optional<std::int32_t>> values;
    std::vector<std::string> commands;
    friend bool operator==(const Machine&, const Machine&) = default;
};

struct Row {
    const char* target;
    QRect place;
    const char* command; // nullptr: a registry row
    const char* value;
    std::int32_t data;
};
const std::vector<Row> kRows = {
    {"Image4", {122, 25, 331, 44}, "copy sysoc.inf C:\\Windows\\inf\\", nullptr, 0},
    {"Image6", {122, 108, 164, 25}, nullptr, "EnableBigLba", 1},
    {"Image7", {287, 108, 167, 25}, nullptr, "EnableBigLba", 0},
    {"Image9", {122, 182, 79, 30}, "start net user Administrator /active:yes", nullptr, 0},
    {"Image10", {202, 182, 82, 30}, "start net user Administrator /active:no", nullptr, 0},
    {"Image12", {291, 182, 79, 30}, "start regsvr32 zipfldr.dll", nullptr, 0},
    {"Image13", {370, 182, 83, 30}, "start regsvr32 /u zipfldr.dll", nullptr, 0},
    {"Image15", {121, 243, 163, 25}, nullptr, "PaintDesktopVersion", 1},
    {"Image16", {285, 243, 168, 25}, nullptr, "PaintDesktopVersion", 0},
};

const std::vector<std::pair<const char*, const char*>> kHints = {
    {"Image4", "Pokazuje wszystkie niewidoczne do tąd elementy\nw \"DodajUsuń skłaniki Windows\"."},
    {"Image5", "Włącza lub wyłącza obsługę maksymalnej objętości\ndysku twardego przez ekspolatora Windows."},
    {"Image8", "Konfiguruje, czy konto Administratora ma być\nuaktywnione, czy może wyłączone (dla bezpieczeństwa)"},
    {"Image11", "Konfiguruje, czy system operacyjny ma\nobsługiwać kompresowane pliki."},
    {"Image14", "Włącza lub wyłącza ukazywanie etykiety wersja Windows,\nktóra znajduje się w prawym-dolnym rogu ekranu."},
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

    std::optional<std::int32_t> read(RootKey root, const char* key, const char* name)
    {
        core::TRegistry registry(m_registry);
        registry.SetRootKey(root);
        if (!registry.OpenKey(key, false) || !registry.ValueExists(name))
            return std::nullopt;
        return registry.ReadInteger(name);
    }

    void put(RootKey root, const char* key, const char* name, std::int32_t value)
    {
        core::TRegistry registry(m_registry);
        registry.SetRootKey(root);
        ASSERT_TRUE(registry.OpenKey(key, true));
        registry.WriteInteger(name, value);
    }

    Machine machine()
    {
        return {{{"EnableBigLba", read(RootKey::LocalMachine, kAtapi, "EnableBigLba")},
                 {"atapi Other", read(RootKey::LocalMachine, kAtapi, "Other")},
                 {"PaintDesktopVersion", read(RootKey::CurrentUser, kDesktop, "PaintDesktopVersion")},
                 {"Desktop Other", read(RootKey::CurrentUser, kDesktop, "Other")}},
                m_commands};
    }
};

TEST_F(SystemSectionTest, EveryTargetDoesWhatItsRowSays)
{
    start();
    chrome::SectionWindow& system = openSystem();
    EXPECT_EQ(system.size(), QSize(460, 449));
    expectHints(system, kHints);
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.target);
        EXPECT_EQ(component(system, QString::fromLatin1(row.target))->geometry(), row.place);
        // Twice: a click writes whatever the value holds.
        for (int round = 0; round < 2; ++round) {
            for (const char* name : {"EnableBigLba", "Other"})
                put(RootKey::LocalMachine, kAtapi, name, 7);
            for (const char* name : {"PaintDesktopVersion", "Other"})
                put(RootKey::CurrentUser, kDesktop, name, 7);
            m_commands.clear();
            Machine expected = machine();
            if (row.command)
                expected.commands = {row.command};
            else
                expected.values[row.value] = row.data;
            click(system, QString::fromLatin1(row.target));
            EXPECT_EQ(machine(), expected);
        }
    }
    EXPECT_TRUE(m_errors.messages.empty());
    EXPECT_TRUE(system.isVisible());
}

// A new machine has no parameters key for the disk driver: the write fails with the registry's
// error and creates nothing, and the window goes on.
TEST_F(SystemSectionTest, AMissingDriverKeyIsNotCreated)
{
    put(RootKey::CurrentUser, kDesktop, "Other", 7);
    start();
    chrome::SectionWindow& system = openSystem();
    click(system, QStringLiteral("Image6"));
    EXPECT_EQ(m_errors.messages, std::vector<std::string>{"Failed to set data for 'EnableBigLba'"});
    core::TRegistry registry(m_registry);
    registry.SetRootKey(RootKey::LocalMachine);
    EXPECT_FALSE(registry.OpenKey("SYSTEM\\CurrentControlSet\\Services\\atapi", false));
    click(system, QStringLiteral("Image15"));
    EXPECT_EQ(read(RootKey::CurrentUser, kDesktop, "PaintDesktopVersion"), 1);
    EXPECT_EQ(m_errors.messages.size(), 1u);
    EXPECT_TRUE(system.isVisible());
}

} // namespace
