// The File compatibility window as Qt runs it: its paging watcher ticks slowly while nobody uses
// the program. Its pages, rows and hints are tested on the fake front end.

#include "tests/gui/support/gui_fixture.h"

#include "sections/file_compatibility/tform9.h"

using namespace gui_testing;

namespace {

class FileCompatibilityTest : public GuiFixture {
protected:
    chrome::SectionWindow& window() { return section("TForm9"); }
    TForm9& pages() { return windows().get<TForm9>(); }
    bool shown(const char* name) { return !component(window(), QString::fromLatin1(name))->isHidden(); }
};

// The paging timer ticks slowly while nobody uses the program (here: once an hour); the click
// that ends the spell brings it back, so the page it shows is in step at once.
TEST_F(FileCompatibilityTest, PagingIsInStepAfterAClickThatEndsALongIdleSpell)
{
    m_idlePace.slowPeriod = std::chrono::hours(1);
    start();
    runTimers();
    idleFor(std::chrono::minutes(10));
    chrome::DesignTimer* paging = window().timer("Timer3");
    ASSERT_EQ(paging->period(), 3600000);
    EXPECT_TRUE(paging->isEnabled());
    EXPECT_EQ(paging->interval(), 1);

    click(window(), "Image11");
    runTimers();
    EXPECT_TRUE(pages().commentsPageShown());
    EXPECT_TRUE(shown("Strona24"));
    EXPECT_TRUE(shown("Image12"));
    EXPECT_TRUE(shown("Label11"));
    EXPECT_FALSE(shown("Image11"));
    EXPECT_FALSE(shown("Label10"));

    // Another spell, then the way back.
    idleFor(std::chrono::minutes(10));
    click(window(), "Image12");
    runTimers();
    EXPECT_TRUE(pages().descriptionPageShown());
    EXPECT_FALSE(shown("Strona24"));
    EXPECT_TRUE(shown("Image11"));
    EXPECT_FALSE(shown("Image12"));
}

} // namespace
