// The System window's list of top-level windows on the fake front end: the line format, the
// list's order, and the automatic refresh with its spin edit.

#include "tests/behaviour/support/behaviour_fixture.h"

#include "sections/definitions.h"
#include "sections/system/tform2.h"
#include "sections/system/window_list.h"

using namespace behaviour_testing;
using testing_support::FakeListBox;

namespace {

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
