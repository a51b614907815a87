// The File compatibility window: comments on from creation, two pages, no settings.

#include "tests/gui/support/gui_fixture.h"

#include "chrome/controls.h"
#include "sections/file_compatibility/tform9.h"

using namespace gui_testing;

namespace {

class FileCompatibilityTest : public GuiFixture {
protected:
    TForm9& window() { return windows().get<TForm9>(); }
    bool shown(const char* name) { return !component(window(), QString::fromLatin1(name))->isHidden(); }
};

TEST_F(FileCompatibilityTest, CommentsAreOnFromCreationWithTheDescriptionPage)
{
    start();
    runTimers();
    EXPECT_EQ(window().commentsLabel()->text(), QStringLiteral("Tak"));
    EXPECT_TRUE(chrome::hintShown(*window().picture("Image10")));
    EXPECT_TRUE(window().descriptionPageShown());
    EXPECT_FALSE(window().commentsPageShown());
    EXPECT_TRUE(shown("Image11"));
    EXPECT_TRUE(shown("Label10"));
    EXPECT_FALSE(shown("Image12"));
    EXPECT_FALSE(shown("Label11"));
    EXPECT_FALSE(shown("Strona24"));
    EXPECT_TRUE(window().timer("Timer3")->isEnabled());
}

TEST_F(FileCompatibilityTest, PagingShowsTheArrowOfTheCommentsState)
{
    start();
    runTimers();
    click(window(), "Image11");
    runTimers();
    EXPECT_TRUE(window().commentsPageShown());
    EXPECT_FALSE(window().descriptionPageShown());
    EXPECT_TRUE(shown("Strona24"));
    EXPECT_FALSE(shown("Strona25"));
    EXPECT_TRUE(shown("Image12"));
    EXPECT_FALSE(shown("Image11"));

    // Comments off while the comments page is visible: the other arrow at once.
    click(window(), "Strona23");
    runTimers();
    EXPECT_EQ(window().commentsLabel()->text(), QStringLiteral("Nie"));
    EXPECT_TRUE(shown("Strona25"));
    EXPECT_FALSE(shown("Strona24"));
    EXPECT_FALSE(chrome::hintShown(*window().picture("Image4")));

    click(window(), "Image12");
    runTimers();
    EXPECT_TRUE(window().descriptionPageShown());
    EXPECT_FALSE(shown("Strona25"));
    click(window(), "Image11");
    runTimers();
    EXPECT_TRUE(shown("Strona25"));
    EXPECT_FALSE(shown("Strona24"));
}

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
    EXPECT_TRUE(window().commentsPageShown());
    EXPECT_TRUE(shown("Strona24"));
    EXPECT_TRUE(shown("Image12"));
    EXPECT_TRUE(shown("Label11"));
    EXPECT_FALSE(shown("Image11"));
    EXPECT_FALSE(shown("Label10"));

    // Another spell, then the way back.
    idleFor(std::chrono::minutes(10));
    click(window(), "Image12");
    runTimers();
    EXPECT_TRUE(window().descriptionPageShown());
    EXPECT_FALSE(shown("Strona24"));
    EXPECT_TRUE(shown("Image11"));
    EXPECT_FALSE(shown("Image12"));
}

TEST_F(FileCompatibilityTest, ClosingWritesNoSettings)
{
    start();
    window().show();
    click(window(), "Image10");
    EXPECT_FALSE(window().isVisible());
    EXPECT_FALSE(settingsExist());
    EXPECT_TRUE(m_errors.messages.empty());
}

} // namespace
