// The section menu and the opening sequence: settings read on every click, transparency,
// comments state, the matching comments timer, the window shown and brought forward.

#include "tests/gui/support/gui_fixture.h"

#include "app/definitions.h"
#include "chrome/controls.h"

#include <QApplication>

using namespace gui_testing;

namespace {

class OpeningSequenceTest : public GuiFixture {
protected:
    chrome::SectionWindow& open(const char* target, const char* className)
    {
        click(mainWindow(), QString::fromLatin1(target));
        runTimers();
        return section(className);
    }

    static bool hintsShown(const chrome::SectionWindow& window)
    {
        for (const chrome::Hint& hint : window.definition().hints) {
            QWidget* control = window.findChild<QWidget*>(QString::fromStdString(hint.control));
            if (!control || !chrome::hintShown(*control) || control->toolTip() != QString::fromStdString(hint.text))
                return false;
        }
        return true;
    }

    static bool arrowShown(const chrome::SectionWindow& window, bool on)
    {
        const chrome::CommentsRoles& roles = *window.definition().comments;
        return !window.label(QString::fromStdString(on ? roles.onArrow : roles.offArrow))->isHidden();
    }
};

TEST_F(OpeningSequenceTest, EveryMenuTargetOpensItsWindowWithTheDefaults)
{
    start();
    for (const app::MenuEntry& entry : app::sectionMenu()) {
        if (entry.windowClass == "TForm8")
            continue;
        SCOPED_TRACE(entry.windowClass);
        chrome::SectionWindow& window = open(entry.target.c_str(), entry.windowClass.c_str());
        EXPECT_TRUE(window.isVisible());
        EXPECT_FALSE(window.isModal());
        EXPECT_FALSE(window.alphaBlend());
        EXPECT_EQ(window.alphaValue(), 255);
        EXPECT_EQ(window.commentsLabel()->text(), QStringLiteral("Tak"));
        EXPECT_TRUE(hintsShown(window));
        EXPECT_TRUE(arrowShown(window, true));
        EXPECT_FALSE(arrowShown(window, false));
        EXPECT_FALSE(window.commentsOnTimer()->isEnabled());
    }
    EXPECT_TRUE(m_errors.messages.empty());
    EXPECT_FALSE(settingsExist());
}

TEST_F(OpeningSequenceTest, StoredAppearanceIsApplied)
{
    writeSettings("[Awaria]\r\nPrzezroczystość (0 lub 1)=1\r\n"
                  "Wartość przezroczystości (0 [niewidoczne] do 255 [widoczne])=300\r\nKomentarze=Nie\r\n"
                  "[Pasek Start]\r\nPrzezroczystość (0 lub 1)=$1\r\n"
                  "Wartość przezroczystości (0 [niewidoczne] do 255 [widoczne])=0x1F\r\n");
    start();
    chrome::SectionWindow& crash = open("Image9", "TForm64");
    EXPECT_TRUE(crash.alphaBlend());
    EXPECT_EQ(crash.alphaValue(), 44);
    EXPECT_NEAR(crash.windowOpacity(), 44 / 255.0, 0.01);
    EXPECT_EQ(crash.commentsLabel()->text(), QStringLiteral("Nie"));
    EXPECT_TRUE(arrowShown(crash, false));
    EXPECT_FALSE(arrowShown(crash, true));
    EXPECT_FALSE(chrome::hintShown(*crash.picture("Image18")));

    // The section name of the Start bar window is "Pasek Start", capital S.
    chrome::SectionWindow& startBar = open("Image7", "TForm26");
    EXPECT_TRUE(startBar.alphaBlend());
    EXPECT_EQ(startBar.alphaValue(), 31);
}

TEST_F(OpeningSequenceTest, GarbageGivesTheDefaults)
{
    writeSettings("[System]\r\nPrzezroczystość (0 lub 1)=garbage\r\n"
                  "Wartość przezroczystości (0 [niewidoczne] do 255 [widoczne])=12abc\r\n");
    start();
    chrome::SectionWindow& system = open("Image3", "TForm2");
    EXPECT_FALSE(system.alphaBlend());
    EXPECT_EQ(system.alphaValue(), 255);
    EXPECT_EQ(system.commentsLabel()->text(), QStringLiteral("Tak"));
}

TEST_F(OpeningSequenceTest, UnknownCommentsTextKeepsTheStateAndIsWrittenBack)
{
    writeSettings("[Wyszukiwanie]\r\nKomentarze=Nie\r\n");
    start();
    chrome::SectionWindow& search = open("Image4", "TForm13");
    ASSERT_EQ(search.commentsLabel()->text(), QStringLiteral("Nie"));

    search.close();
    writeSettings("[Wyszukiwanie]\r\nKomentarze=tak\r\n");
    open("Image4", "TForm13");
    EXPECT_EQ(search.commentsLabel()->text(), QStringLiteral("tak"));
    // Neither timer ran: the hints stay off, the arrow at "Wyłącz komentarze".
    EXPECT_FALSE(chrome::hintShown(*search.picture("Image15")));
    EXPECT_TRUE(arrowShown(search, false));

    search.close();
    EXPECT_NE(settingsText().find("Komentarze=tak"), std::string::npos) << settingsText();
}

TEST_F(OpeningSequenceTest, ASecondClickReReadsTheSettingsAndBringsTheWindowForward)
{
    start();
    chrome::SectionWindow& removal = open("Image11", "TForm6");
    EXPECT_EQ(removal.commentsLabel()->text(), QStringLiteral("Tak"));
    const QPoint place = removal.pos();

    // A hand edit made meanwhile takes effect at the next click.
    writeSettings("[Usuwanie]\r\nPrzezroczystość (0 lub 1)=1\r\n"
                  "Wartość przezroczystości (0 [niewidoczne] do 255 [widoczne])=128\r\nKomentarze=Nie\r\n");
    chrome::SectionWindow& again = open("Image11", "TForm6");
    EXPECT_EQ(&again, &removal);
    EXPECT_TRUE(removal.isVisible());
    EXPECT_EQ(removal.pos(), place);
    EXPECT_TRUE(removal.alphaBlend());
    EXPECT_EQ(removal.alphaValue(), 128);
    EXPECT_EQ(removal.commentsLabel()->text(), QStringLiteral("Nie"));
    EXPECT_TRUE(arrowShown(removal, false));
    EXPECT_FALSE(arrowShown(removal, true));
    int shown = 0;
    for (QWidget* window : QApplication::topLevelWidgets())
        shown += window->objectName() == QStringLiteral("Form6") ? 1 : 0;
    EXPECT_EQ(shown, 1);
}

TEST_F(OpeningSequenceTest, CommentsSwitchesWorkAndPressingTwiceChangesNothing)
{
    start();
    chrome::SectionWindow& performance = open("Image10", "TForm5");
    click(performance, "Label9"); // "Wyłącz komentarze"
    runTimers();
    EXPECT_EQ(performance.commentsLabel()->text(), QStringLiteral("Nie"));
    EXPECT_FALSE(chrome::hintShown(*performance.picture("Image19")));
    // The hint texts stay assigned.
    EXPECT_EQ(performance.picture("Image19")->toolTip(), QStringLiteral("Zamknij"));
    EXPECT_TRUE(arrowShown(performance, false));

    click(performance, "Label8"); // "Włącz komentarze"
    click(performance, "Label8");
    runTimers();
    EXPECT_EQ(performance.commentsLabel()->text(), QStringLiteral("Tak"));
    EXPECT_TRUE(hintsShown(performance));
    EXPECT_TRUE(arrowShown(performance, true));
    EXPECT_FALSE(arrowShown(performance, false));
    EXPECT_FALSE(performance.commentsOnTimer()->isEnabled());
}

TEST_F(OpeningSequenceTest, ProgramShowsTheAboutWindowWithoutReadingSettings)
{
    writeSettings("[O programie...]\r\nPrzezroczystość (0 lub 1)=1\r\n");
    start();
    QWidget* about = windows().byClass("TForm8");
    click(mainWindow(), "Image13");
    EXPECT_TRUE(about->isVisible());
    EXPECT_DOUBLE_EQ(about->windowOpacity(), 1.0);
    about->move(10, 20);
    click(*about, "Image3");
    EXPECT_FALSE(about->isVisible());
    click(mainWindow(), "Image13");
    EXPECT_TRUE(about->isVisible());
    EXPECT_EQ(about->pos(), QPoint(10, 20));
    EXPECT_EQ(settingsText(), "[O programie...]\r\nPrzezroczystość (0 lub 1)=1\r\n");
}

} // namespace
