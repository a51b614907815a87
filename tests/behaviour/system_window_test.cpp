// The System window: every target does what its row says on the machine (a registry value of an
// existing key, or a command line), a key that a new machine lacks is not created, the hints in
// their order; and the list of top-level windows: the line format, the list's order, and the
// automatic refresh with its spin edit.

#include "tests/behaviour/support/behaviour_fixture.h"

#include "sections/definitions.h"
#include "sections/system/tform2.h"
#include "sections/system/window_list.h"

using namespace behaviour_testing;
using core::RootKey;
using testing_support::FakeListBox;

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

const Places kPlaces = {
    {"Image4", {122, 25, 331, 44}},  {"Image6", {122, 108, 164, 25}},  {"Image7", {287, 108, 167, 25}},
    {"Image9", {122, 182, 79, 30}},  {"Image10", {202, 182, 82, 30}},  {"Image12", {291, 182, 79, 30}},
    {"Image13", {370, 182, 83, 30}}, {"Image15", {121, 243, 163, 25}}, {"Image16", {285, 243, 168, 25}},
};

const Hints kHints = {
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

std::string blanks(std::size_t count)
{
    return std::string(count, ' ');
}

std::string repeated(const std::string& text, int times)
{
    std::string all;
    for (int i = 0; i < times; ++i)
        all += text;
    return all;
}

TEST(WindowListLine, FormatAndLimits)
{
    const std::string long39 = "abcdefghijklmnopqrstuvwxyz0123456789ABC";
    const std::string polish39 = repeated("ż", 39);
    const std::string emoji39 = repeated("\xF0\x9F\x98\x80", 39);
    struct Case {
        core::TopLevelWindow window;
        std::string line;
    };
    const std::vector<Case> cases = {
        {{1234, "Kalkulator", "SciCalc"}, "1234" + blanks(8) + "Kalkulator" + blanks(4) + "SciCalc"},
        // No caption: 12 blanks between the id and the class.
        {{388, "", "Shell_TrayWnd"}, "388" + blanks(12) + "Shell_TrayWnd"},
        {{0, "", ""}, "0" + blanks(12)},
        {{4294967295u, "a", "b"}, "4294967295" + blanks(8) + "a" + blanks(4) + "b"},
        // At most 39 characters of each; a letter outside ASCII or the basic plane counts once.
        {{7, long39, long39 + "D"}, "7" + blanks(8) + long39 + blanks(4) + long39},
        {{7, long39 + "DEFGH", "c"}, "7" + blanks(8) + long39 + blanks(4) + "c"},
        {{7, polish39 + "ó", "c"}, "7" + blanks(8) + polish39 + blanks(4) + "c"},
        {{7, emoji39 + "\xF0\x9F\x98\x80", "c"}, "7" + blanks(8) + emoji39 + blanks(4) + "c"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(sections::windowListLine(c.window), c.line) << c.window.caption;
        EXPECT_EQ(sections::processIdOfLine(c.line), c.window.processId) << c.window.caption;
    }
    // More digits than any process id has read as none.
    EXPECT_EQ(sections::processIdOfLine("4294967296        a    b"), 0);
    EXPECT_EQ(sections::processIdOfLine(""), 0);
}

class SystemWindowTest : public BehaviourFixture {
protected:
    TForm2& start() { return build<TForm2>(sections::systemDefinition()); }
    FakeListBox& list() { return fake().fake<FakeListBox>("ListBox1"); }
    void press(const char* button) { fake().fake<testing_support::FakeButton>(button).click(); }
    bool refreshOn() { return fake().fakeLabel("Label7").isVisible(); }
    bool refreshOff() { return fake().fakeLabel("Label9").isVisible(); }
    ui::Timer& timer1() { return fake().fakeTimer("Timer1"); }
    // The watcher's tick, which applies the switch and the spin edit.
    void watch() { fake().fakeTimer("Timer2").tick(); }
};

TEST_F(SystemWindowTest, EveryTargetDoesWhatItsRowSays)
{
    open<TForm2>(sections::systemDefinition());
    expectHints(sections::systemDefinition(), kHints);
    expectPlaces(kPlaces);
    seed(kMachine, kAtapi, {{"Other", dword(7)}});
    seed(kUser, kDesktop, {{"Other", dword(7)}});
    expectRowsWrite(kTable);
    const auto atapi = keyValues(kMachine, kAtapi);
    const auto desktop = keyValues(kUser, kDesktop);
    for (const auto& [target, command] : kCommands) {
        m_commands.clear();
        click(target);
        click(target);
        EXPECT_EQ(m_commands, (std::vector<std::string>{command, command})) << target;
    }
    EXPECT_EQ(keyValues(kMachine, kAtapi), atapi);
    EXPECT_EQ(keyValues(kUser, kDesktop), desktop);
    EXPECT_TRUE(m_errors.messages.empty());
    EXPECT_TRUE(fake().isVisible());
}

// A new machine has no parameters key for the disk driver: the write fails with the registry's
// error and creates nothing, and the window goes on.
TEST_F(SystemWindowTest, AMissingDriverKeyIsNotCreated)
{
    seed(kUser, kDesktop, {{"Other", dword(7)}});
    open<TForm2>(sections::systemDefinition());
    click("Image6");
    EXPECT_EQ(m_errors.messages, std::vector<std::string>{"Failed to set data for 'EnableBigLba'"});
    EXPECT_EQ(keyValues(kMachine, "SYSTEM\\CurrentControlSet\\Services\\atapi"), std::nullopt);
    click("Image15");
    EXPECT_EQ(keyValues(kUser, kDesktop)->at("PaintDesktopVersion"), dword(1));
    EXPECT_EQ(m_errors.messages.size(), 1u);
    EXPECT_TRUE(fake().isVisible());
}

TEST_F(SystemWindowTest, FilledAtStartInCaseInsensitiveOrder)
{
    m_desktop.windows = {{388, "Zeta", "c"}, {1024, "Beta", "c"}, {5, "x", "c"}, {1024, "alfa", "c"}};
    start();
    const std::vector<std::string> expected = {"1024        alfa    c", "1024        Beta    c", "388        Zeta    c",
                                               "5        x    c"};
    EXPECT_EQ(list().lines(), expected);
    EXPECT_TRUE(refreshOff());
    EXPECT_FALSE(refreshOn());

    // "Odśwież" fills anew and keeps no selection; "Czyść listę" empties.
    list().setSelection(2);
    m_desktop.windows.pop_back();
    press("Button1");
    EXPECT_EQ(list().lines().size(), 3u);
    EXPECT_EQ(list().selection(), -1);
    press("Button2");
    EXPECT_TRUE(list().lines().empty());
}

TEST_F(SystemWindowTest, EndedProcessKeepsItsLineUntilTheNextRefill)
{
    m_desktop.windows = {{1024, "a", "c"}};
    start();
    m_desktop.windows.clear();
    list().setSelection(0);
    press("Button3");
    // The refresh is off: the watcher stops the design's Timer1 before it ticks.
    watch();
    fake().fakeTimer("Timer1").tick();
    EXPECT_EQ(list().lines(), std::vector<std::string>{"1024        a    c"});
}

TEST_F(SystemWindowTest, AutomaticRefreshFollowsTheSwitchAndTheSpinEdit)
{
    start();
    watch();
    EXPECT_FALSE(timer1().isEnabled());

    // A value outside 1..9 when switching on leaves the interval it had.
    auto& spin = fake().fake<testing_support::FakeSpinEdit>("CSpinEdit1");
    EXPECT_EQ(spin.value(), 5);
    spin.setValue(0);
    fake().fakeLabel("Label4").click();
    watch();
    EXPECT_TRUE(refreshOn());
    EXPECT_FALSE(refreshOff());
    EXPECT_TRUE(timer1().isEnabled());
    EXPECT_EQ(timer1().interval(), 100);
    // The field reads text that is no number as 1.
    for (const auto& [typed, interval] : {std::pair{9, 9000}, {12, 9000}, {1, 1000}}) {
        spin.setValue(typed);
        watch();
        EXPECT_EQ(timer1().interval(), interval) << typed;
    }

    // Each tick refills.
    const int before = m_desktop.queries;
    fake().fakeTimer("Timer1").tick();
    EXPECT_EQ(m_desktop.queries, before + 1);

    fake().fakeLabel("Label5").click();
    watch();
    EXPECT_FALSE(timer1().isEnabled());
    EXPECT_TRUE(refreshOff());
    EXPECT_FALSE(refreshOn());
}

} // namespace
