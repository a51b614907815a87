// The About window and the restart prompt with its three ways out.

#include "tests/gui/support/gui_fixture.h"

#include "app/tform10.h"
#include "app/tform8.h"
#include "tests/support/faulty_system_calls.h"

#include <QPushButton>

#include <cerrno>

using namespace gui_testing;

namespace {

class AboutRestartTest : public GuiFixture {
protected:
    TForm10& prompt() { return windows().get<TForm10>(); }
    QPushButton* button(const char* name) { return prompt().findChild<QPushButton*>(QString::fromLatin1(name)); }
};

TEST_F(AboutRestartTest, AboutBuildsItsLabelsWhenNeededWithTheTextsCopiedMeanwhile)
{
    writeSettings("[Użytkownik]\r\nNazwa=Jan Kowalski\r\n");
    start();
    runTimers(1000);
    auto& about = windows().get<TForm8>();
    EXPECT_TRUE(about.findChildren<chrome::SkinLabel*>().isEmpty());
    chrome::SkinLabel* name = about.label("Label19");
    EXPECT_EQ(name->text(), QStringLiteral("Jan Kowalski"));
    // Grown with its text.
    EXPECT_EQ(name->size(), name->sizeHint());
    EXPECT_EQ(about.label("Label12")->text(), QStringLiteral("2.0"));
}

TEST_F(AboutRestartTest, AboutShowsTheVersionAndCopiesTheUserName)
{
    writeSettings("[Użytkownik]\r\nNazwa=Jan\r\n");
    start();
    auto& about = windows().get<TForm8>();
    EXPECT_EQ(about.label("Label12")->text(), QStringLiteral("2.0"));
    EXPECT_EQ(about.label("Label14")->text(), QStringLiteral("15.08.2004"));
    EXPECT_EQ(about.label("Label19")->text(), QStringLiteral(" "));
    EXPECT_EQ(about.timer("Timer1")->interval(), 1000);
    EXPECT_EQ(mainWindow().label("Label8")->text(), QStringLiteral("Zarejestrowano dla: Jan"));

    // A second after start.
    runTimers(1000);
    EXPECT_EQ(about.label(QStringLiteral("Label19"))->text(), QStringLiteral("Jan"));
    EXPECT_EQ(about.timer("Timer1")->interval(), 20000);
    EXPECT_TRUE(about.timer("Timer1")->isEnabled());
}

TEST_F(AboutRestartTest, CloseTargetShowsThePromptModallyWithTheFocusOnNie)
{
    start();
    bool ended = false;
    QObject::connect(&mainWindow(), &TForm1::closed, [&] { ended = true; });
    click(mainWindow(), "Image5");
    EXPECT_TRUE(prompt().isVisible());
    EXPECT_EQ(prompt().windowModality(), Qt::ApplicationModal);
    // 329 x 81 as designed, and taller where the font needs more lines for the question.
    EXPECT_EQ(prompt().width(), 329);
    EXPECT_GE(prompt().height(), 81);
    EXPECT_EQ(button("Button1")->text(), QStringLiteral("Nie"));
    EXPECT_EQ(button("Button2")->text(), QStringLiteral("Tak"));
    EXPECT_EQ(prompt().focusWidget(), button("Button1"));
    EXPECT_EQ(button("Button1")->nextInFocusChain(), button("Button2"));
    EXPECT_TRUE(mainWindow().isVisible());
    EXPECT_FALSE(ended);
}

TEST_F(AboutRestartTest, NieClosesTheMainWindowWhichWritesItsRecords)
{
    writeSettings("[Okno]\r\nPrzezroczystość (0 lub 1)=1\r\n"
                  "Wartość przezroczystości (0 [niewidoczne] do 255 [widoczne])=200\r\nAutorozmiar=1\r\n");
    start();
    bool ended = false;
    QObject::connect(&mainWindow(), &TForm1::closed, [&] { ended = true; });
    click(mainWindow(), "Image5");
    button("Button1")->click();
    EXPECT_TRUE(ended);
    EXPECT_FALSE(mainWindow().isVisible());
    EXPECT_FALSE(prompt().isVisible());
    EXPECT_TRUE(m_commands.empty());
    const std::string date = mainWindow().label("Label3")->text().toStdString();
    const std::string time = mainWindow().label("Label4")->text().toStdString();
    EXPECT_FALSE(date.empty());
    EXPECT_EQ(settingsText(),
              "[Okno]\r\nPrzezroczystość (0 lub 1)=1\r\n"
              "Wartość przezroczystości (0 [niewidoczne] do 255 [widoczne])=200\r\nAutorozmiar=1\r\n"
              "[Menu główne]\r\nPrzezroczystość (0 lub 1)=1\r\n"
              "Wartość przezroczystości (0 [niewidoczne] do 255 [widoczne])=200\r\nAutorozmiar (0 lub 1)=1\r\n"
              "[Wersja]\r\nKwintor Dostrojnik 2004=2.0\r\n"
              "[Panel glowny]\r\nDzień=" +
                  date + "\r\nGodzina=" + time + "\r\nPartycja=C\r\n");
}

TEST_F(AboutRestartTest, TakRunsTheRestartCommandFirstThenCloses)
{
    start();
    bool mainOpenDuringCommand = false;
    m_onCommand = [&](const std::string&) { mainOpenDuringCommand = mainWindow().isVisible() && !settingsExist(); };
    bool ended = false;
    QObject::connect(&mainWindow(), &TForm1::closed, [&] { ended = true; });
    click(mainWindow(), "Image5");
    button("Button2")->click();
    EXPECT_EQ(m_commands, std::vector<std::string>{"shutdown -r -t 0"});
    EXPECT_TRUE(mainOpenDuringCommand);
    EXPECT_TRUE(ended);
    EXPECT_NE(settingsText().find("[Menu główne]"), std::string::npos);
}

TEST_F(AboutRestartTest, ThePromptsOwnCloseReturnsToTheProgram)
{
    start();
    bool ended = false;
    QObject::connect(&mainWindow(), &TForm1::closed, [&] { ended = true; });
    click(mainWindow(), "Image5");
    prompt().close();
    EXPECT_FALSE(prompt().isVisible());
    EXPECT_TRUE(mainWindow().isVisible());
    EXPECT_FALSE(ended);
    EXPECT_FALSE(settingsExist());
}

TEST_F(AboutRestartTest, ARefusedWriteKeepsTheProgramAndThePrompt)
{
    testing_support::FaultySystemCalls faulty;
    m_calls = &faulty;
    start();
    bool ended = false;
    QObject::connect(&mainWindow(), &TForm1::closed, [&] { ended = true; });
    click(mainWindow(), "Image5");
    faulty.failOn("open", EACCES);
    faulty.failOn("rename", EACCES);
    button("Button1")->click();
    EXPECT_FALSE(ended);
    EXPECT_TRUE(mainWindow().isVisible());
    EXPECT_TRUE(prompt().isVisible());
    ASSERT_EQ(m_errors.messages.size(), 1u);
    EXPECT_EQ(m_errors.messages[0], "Unable to write to " + m_settingsPath.string());
}

TEST_F(AboutRestartTest, ClosingTheMainWindowOtherwiseEndsWithoutThePrompt)
{
    start();
    bool ended = false;
    QObject::connect(&mainWindow(), &TForm1::closed, [&] { ended = true; });
    mainWindow().close();
    EXPECT_TRUE(ended);
    EXPECT_FALSE(prompt().isVisible());
    EXPECT_TRUE(settingsExist());
}

} // namespace
