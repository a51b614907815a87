// A section window's opening sequence, comments mode and close handler, on the fake front end.

#include "tests/behaviour/support/behaviour_fixture.h"
#include "tests/support/faulty_system_calls.h"

#include "chrome/section_behaviour.h"
#include "sections/definitions.h"

#include "core/platform/system_calls.h"

#include <cerrno>
#include <memory>

using namespace behaviour_testing;
using testing_support::FakeWindow;

namespace {

class SectionBehaviourTest : public BehaviourFixture {
protected:
    // A new window of this definition, as the program creates it.
    chrome::SectionBehaviour& make(const chrome::WindowDefinition& definition)
    {
        m_behaviour.reset();
        m_definition = &definition;
        m_window = std::make_unique<FakeWindow>();
        addParts(*m_window, definition);
        m_behaviour =
            std::make_unique<chrome::SectionBehaviour>(*m_window, definition, m_settingsPath, *m_calls, m_errors);
        return *m_behaviour;
    }
    FakeWindow& window() { return *m_window; }
    const chrome::CommentsRoles& roles() const { return *m_definition->comments; }
    std::string comments() { return m_window->fakeLabel(roles().label).text(); }
    // Comments mode as it shows: the arrow beside the chosen switch, every hint on or off.
    void expectComments(bool on)
    {
        EXPECT_EQ(m_window->fakeLabel(roles().onArrow).isVisible(), on);
        EXPECT_EQ(m_window->fakeLabel(roles().offArrow).isVisible(), !on);
        for (const chrome::Hint& hint : m_definition->hints)
            EXPECT_EQ(m_window->part(hint.control)->hintShown(), on) << hint.control;
    }

    core::SystemCalls* m_calls = &core::posixSystemCalls();
    const chrome::WindowDefinition* m_definition = nullptr;
    std::unique_ptr<FakeWindow> m_window;
    std::unique_ptr<chrome::SectionBehaviour> m_behaviour;
};

TEST_F(SectionBehaviourTest, TheOpeningSequenceAppliesTheStoredAppearanceAndGarbageGivesTheDefaults)
{
    struct Case {
        const chrome::WindowDefinition& definition;
        const char* settings;
        bool blend;
        int alpha;
        const char* comments;
    } cases[] = {
        {sections::crashDefinition(),
         "[Awaria]\r\nPrzezroczystość (0 lub 1)=1\r\n"
         "Wartość przezroczystości (0 [niewidoczne] do 255 [widoczne])=300\r\nKomentarze=Nie\r\n",
         true, 44, "Nie"},
        // The section name of the Start bar window is "Pasek Start", capital S.
        {sections::startBarDefinition(),
         "[Pasek Start]\r\nPrzezroczystość (0 lub 1)=$1\r\n"
         "Wartość przezroczystości (0 [niewidoczne] do 255 [widoczne])=0x1F\r\n",
         true, 31, "Tak"},
        {sections::systemDefinition(),
         "[System]\r\nPrzezroczystość (0 lub 1)=garbage\r\n"
         "Wartość przezroczystości (0 [niewidoczne] do 255 [widoczne])=12abc\r\n",
         false, 255, "Tak"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.definition.className);
        writeSettings(c.settings);
        chrome::SectionBehaviour& section = make(c.definition);
        section.openingSequence();
        window().tickAll();
        EXPECT_EQ(section.alphaBlend(), c.blend);
        EXPECT_EQ(section.alphaValue(), c.alpha);
        EXPECT_EQ(window().opacity, c.blend ? c.alpha : 255);
        EXPECT_EQ(comments(), c.comments);
        expectComments(std::string(c.comments) == "Tak");
        EXPECT_TRUE(window().isVisible());
        EXPECT_EQ(window().broughtForward, 1);
    }
    EXPECT_TRUE(m_errors.messages.empty());
}

TEST_F(SectionBehaviourTest, AnUnknownCommentsTextKeepsTheStateAndIsWrittenBack)
{
    writeSettings("[Wyszukiwanie]\r\nKomentarze=Nie\r\n");
    chrome::SectionBehaviour& search = make(sections::searchDefinition());
    search.openingSequence();
    window().tickAll();
    window().close();
    writeSettings("[Wyszukiwanie]\r\nKomentarze=tak\r\n");
    search.openingSequence();
    EXPECT_FALSE(search.commentsOnTimer().isEnabled());
    EXPECT_FALSE(search.commentsOffTimer().isEnabled());
    EXPECT_EQ(comments(), "tak");
    expectComments(false);
    window().close();
    EXPECT_FALSE(window().isVisible());
    EXPECT_NE(settingsText().find("Komentarze=tak"), std::string::npos) << settingsText();
}

TEST_F(SectionBehaviourTest, TheSwitchesWorkThroughTheirTimersAndPressingTwiceChangesNothing)
{
    chrome::SectionBehaviour& performance = make(sections::performanceDefinition());
    performance.openingSequence();
    window().fakeLabel(roles().offSwitch).click();
    window().tickAll();
    EXPECT_EQ(comments(), "Nie");
    expectComments(false);
    // The hint texts stay assigned.
    EXPECT_EQ(window().part("Image19")->hint(), "Zamknij");

    window().fakeLabel(roles().onSwitch).click();
    window().fakeLabel(roles().onSwitch).click();
    window().tickAll();
    EXPECT_EQ(comments(), "Tak");
    expectComments(true);
    EXPECT_FALSE(performance.commentsOnTimer().isEnabled());
    window().tickAll();
    EXPECT_EQ(comments(), "Tak");
}

TEST_F(SectionBehaviourTest, ClosingWritesTheSectionInOrderAndANeverOpenedWindowItsDesignText)
{
    make(sections::removalDefinition());
    window().close();
    EXPECT_EQ(settingsText(), "[Usuwanie]\r\nPrzezroczystość (0 lub 1)=0\r\n"
                              "Wartość przezroczystości (0 [niewidoczne] do 255 [widoczne])=255\r\n"
                              "Komentarze=Tak lub Nie\r\n");

    writeSettings("[Awaria]\r\nPrzezroczystość (0 lub 1)=1\r\n"
                  "Wartość przezroczystości (0 [niewidoczne] do 255 [widoczne])=300\r\n");
    make(sections::crashDefinition()).openingSequence();
    window().fakeLabel(roles().offSwitch).click();
    window().tickAll();
    window().close();
    EXPECT_FALSE(window().isVisible());
    EXPECT_EQ(settingsText(), "[Awaria]\r\nPrzezroczystość (0 lub 1)=1\r\n"
                              "Wartość przezroczystości (0 [niewidoczne] do 255 [widoczne])=44\r\n"
                              "Komentarze=Nie\r\n");
    EXPECT_TRUE(m_errors.messages.empty());
}

TEST_F(SectionBehaviourTest, ARefusedWriteShowsTheErrorAndTheWindowStaysOpenAndUsable)
{
    testing_support::FaultySystemCalls faulty;
    m_calls = &faulty;
    make(sections::systemDefinition()).openingSequence();
    faulty.failOn("rename", EROFS);
    faulty.failOn("open", EROFS);
    window().close();
    EXPECT_TRUE(window().isVisible());
    ASSERT_EQ(m_errors.messages.size(), 1u);
    EXPECT_EQ(m_errors.messages[0], "Unable to write to " + m_settingsPath.string());
    EXPECT_FALSE(std::filesystem::exists(m_settingsPath));

    faulty.clearFaults();
    window().close();
    EXPECT_FALSE(window().isVisible());
    EXPECT_EQ(m_errors.messages.size(), 1u);
    EXPECT_TRUE(std::filesystem::exists(m_settingsPath));
}

} // namespace
