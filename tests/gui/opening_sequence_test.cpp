// The section menu and the opening sequence: settings read on every click, transparency,
// comments state, the matching comments timer, the window shown and brought forward.

#include "tests/gui/support/gui_fixture.h"

#include "app/definitions.h"
#include "ui/qt/controls.h"

#include <QApplication>

using namespace gui_testing;

namespace {

class OpeningSequenceTest : public GuiFixture {
protected:
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
        chrome::SectionWindow& window = openSection(entry.windowClass.c_str());
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

TEST_F(OpeningSequenceTest, StoredAppearanceReachesTheWidgets)
{
    writeSettings("[Awaria]\r\nPrzezroczystość (0 lub 1)=1\r\n"
                  "Wartość przezroczystości (0 [niewidoczne] do 255 [widoczne])=300\r\nKomentarze=Nie\r\n");
    start();
    chrome::SectionWindow& crash = openSection("TForm64");
    EXPECT_NEAR(crash.windowOpacity(), 44 / 255.0, 0.01);
    EXPECT_EQ(crash.commentsLabel()->text(), QStringLiteral("Nie"));
    EXPECT_TRUE(arrowShown(crash, false));
    EXPECT_FALSE(arrowShown(crash, true));
    EXPECT_FALSE(chrome::hintShown(*crash.picture("Image18")));
    click(crash, "Label8"); // "Włącz komentarze"
    runTimers();
    EXPECT_TRUE(hintsShown(crash));
    EXPECT_TRUE(arrowShown(crash, true));
}

TEST_F(OpeningSequenceTest, ASecondClickReReadsTheSettingsAndBringsTheWindowForward)
{
    start();
    chrome::SectionWindow& removal = openSection("TForm6");
    EXPECT_EQ(removal.commentsLabel()->text(), QStringLiteral("Tak"));
    const QPoint place = removal.pos();

    // A hand edit made meanwhile takes effect at the next click.
    writeSettings("[Usuwanie]\r\nPrzezroczystość (0 lub 1)=1\r\n"
                  "Wartość przezroczystości (0 [niewidoczne] do 255 [widoczne])=128\r\nKomentarze=Nie\r\n");
    chrome::SectionWindow& again = openSection("TForm6");
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
