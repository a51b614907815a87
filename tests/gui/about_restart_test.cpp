// The restart prompt on Qt: a modal dialog of its design, "Nie" with the focus, its own close,
// and its buttons reaching the behaviour, which ends the program.

#include "tests/gui/support/gui_fixture.h"
#include "ui/qt/controls.h"
#include "ui/qt/skinned_window.h"

#include <QDialog>
#include <QPushButton>

using namespace gui_testing;

namespace {

class AboutRestartTest : public GuiFixture {
protected:
    QWidget& prompt() { return *windows().byClass("TForm10"); }
    QPushButton* button(const char* name) { return prompt().findChild<QPushButton*>(QString::fromLatin1(name)); }
    // Starts the program and clicks the main window's close target; `ended` tells when it closes.
    void askToClose()
    {
        start();
        QObject::connect(&mainWindow(), &chrome::SectionWindow::closed, [this] { m_ended = true; });
        click(mainWindow(), "Image5");
    }
    bool m_ended = false;
};

TEST_F(AboutRestartTest, AboutBuildsItsLabelsWhenNeededWithTheTextsCopiedMeanwhile)
{
    writeSettings("[Użytkownik]\r\nNazwa=Jan Kowalski\r\n");
    start();
    runTimers(1000);
    auto& about = dynamic_cast<chrome::SkinnedWindow&>(*windows().byClass("TForm8"));
    EXPECT_TRUE(about.findChildren<chrome::SkinLabel*>().isEmpty());
    chrome::SkinLabel* name = about.label("Label19");
    EXPECT_EQ(name->text(), QStringLiteral("Jan Kowalski"));
    // Grown with its text.
    EXPECT_EQ(name->size(), name->sizeHint());
    EXPECT_EQ(about.label("Label12")->text(), QStringLiteral("2.0"));
}

TEST_F(AboutRestartTest, CloseTargetShowsThePromptModallyWithTheFocusOnNie)
{
    askToClose();
    EXPECT_TRUE(prompt().isVisible());
    EXPECT_EQ(prompt().windowModality(), Qt::ApplicationModal);
    // 329 x 81 as designed, and taller where the font needs more lines for the question.
    EXPECT_EQ(prompt().width(), 329);
    EXPECT_GE(prompt().height(), 81);
    EXPECT_EQ(button("Button1")->text(), QStringLiteral("Nie"));
    EXPECT_EQ(button("Button2")->text(), QStringLiteral("Tak"));
    EXPECT_EQ(prompt().focusWidget(), button("Button1"));
    EXPECT_EQ(button("Button1")->nextInFocusChain(), button("Button2"));
    EXPECT_TRUE(mainWindow().isVisible() && !m_ended);
}

TEST_F(AboutRestartTest, NieEndsTheProgram)
{
    askToClose();
    button("Button1")->click();
    EXPECT_TRUE(m_ended);
    EXPECT_FALSE(mainWindow().isVisible() || prompt().isVisible());
    EXPECT_NE(settingsText().find("[Menu główne]"), std::string::npos);
}

TEST_F(AboutRestartTest, ThePromptsOwnCloseReturnsToTheProgram)
{
    askToClose();
    prompt().close();
    EXPECT_FALSE(prompt().isVisible());
    EXPECT_TRUE(mainWindow().isVisible() && !m_ended && !settingsExist());
}

} // namespace
