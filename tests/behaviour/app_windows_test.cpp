// The main window, the About window and the restart prompt: the creation handler, the
// information refresh, the first-run panel, the name the About window copies and the prompt's
// three ways out.

#include "tests/behaviour/support/behaviour_fixture.h"

#include "app/definitions.h"
#include "app/tform1.h"
#include "app/tform10.h"
#include "app/tform8.h"
#include "tests/support/faulty_system_calls.h"
#include "tests/support/hiding_registry.h"

#include <cerrno>

using namespace behaviour_testing;
using testing_support::FakeWindow;

namespace {

constexpr std::int64_t MB = 1048576;
using Texts = std::vector<std::pair<const char*, std::string>>;

class FixedScreen : public chrome::ScreenSource {
public:
    ui::Size size(const ui::Window&) const override { return at; }
    ui::Size at{1024, 768};
};

class AppWindowsTest : public BehaviourFixture {
protected:
    // The program starts: the three windows as the window set makes them, the main one shown.
    void start()
    {
        m_main = std::make_unique<FakeWindow>();
        addParts(*m_main, app::mainDefinition());
        m_about = std::make_unique<FakeWindow>();
        addParts(*m_about, app::aboutDefinition());
        m_prompt = std::make_unique<FakeWindow>();
        for (const char* button : {"Button1", "Button2"})
            m_prompt->addPart<testing_support::FakeButton>(button);
        auto shell = [this](const std::string& line) {
            m_commands.push_back(line);
            if (m_onCommand)
                m_onCommand();
        };
        m_shared = std::make_unique<chrome::WindowBehaviour>(
            *m_main, app::mainDefinition(), chrome::WindowBehaviour::Services{*m_registry, shell, m_errors, [] {}});
        const app::Services services{*m_registry,
                                     m_settingsPath,
                                     *m_calls,
                                     shell,
                                     m_errors,
                                     m_clock,
                                     m_drive,
                                     m_screen,
                                     [this](std::string_view name) -> ui::Window* {
                                         if (name == "TForm1")
                                             return m_main.get();
                                         return name == "TForm10" ? m_prompt.get() : nullptr;
                                     },
                                     [this](std::string_view name) { m_opened.emplace_back(name); }};
        m_tform1 = std::make_unique<TForm1>(*m_main, app::mainDefinition(), services);
        m_tform8 = std::make_unique<TForm8>(*m_about, services);
        m_tform10 = std::make_unique<TForm10>(*m_prompt, services);
        m_main->setVisible(true);
    }
    void restart()
    {
        m_tform10.reset();
        m_tform8.reset();
        m_tform1.reset();
        m_shared.reset();
        start();
    }

    void expectTexts(const Texts& texts)
    {
        for (const auto& [name, text] : texts)
            EXPECT_EQ(m_main->label(name)->text(), text) << name;
    }
    std::string text(const char* name) { return m_main->label(name)->text(); }
    void refresh() { m_main->fakeTimer("Timer37").tick(); }
    // How many of the first-run panel's ten components are shown.
    int panelShown()
    {
        int shown = 0;
        for (const std::string& name : app::firstRunPanel())
            shown += m_main->part(name)->isVisible() ? 1 : 0;
        return shown;
    }
    void confirm(const std::string& name)
    {
        m_main->find<ui::EditBox>("Memo1")->setText(name);
        m_main->fake<testing_support::FakeButton>("Button3").click();
    }
    void clickMain(const std::string& name) { m_main->fakePicture(name).click(); }
    void press(const char* button) { m_prompt->fake<testing_support::FakeButton>(button).click(); }

    testing_support::FakeClock m_clock;
    testing_support::FakeDriveSpace m_drive;
    FixedScreen m_screen;
    core::RegistryApi* m_registry = &m_machineRegistry;
    core::SystemCalls* m_calls = &core::posixSystemCalls();
    std::function<void()> m_onCommand;
    std::vector<std::string> m_opened;
    std::unique_ptr<FakeWindow> m_main;
    std::unique_ptr<FakeWindow> m_about;
    std::unique_ptr<FakeWindow> m_prompt;
    std::unique_ptr<chrome::WindowBehaviour> m_shared;
    std::unique_ptr<TForm1> m_tform1;
    std::unique_ptr<TForm8> m_tform8;
    std::unique_ptr<TForm10> m_tform10;
};

TEST_F(AppWindowsTest, AFirstStartShowsTheNameAndDateAndTheFirstRunPanel)
{
    start();
    EXPECT_TRUE(m_errors.messages.empty());
    // The system's short date and long time formats; the bar keeps its design texts until the
    // first refresh.
    expectTexts({{"Label21", ""},
                 {"Label8", "Zarejestrowano dla: "},
                 {"Label3", "2004-08-15"},
                 {"Label4", "12:34:56"},
                 {"Label7", "2004-08-15 12:34:56"},
                 {"Label14", "2400 Mhz"},
                 {"Label6", "Ładowanie"},
                 {"Label5", "Trwa wczytywanie danych o ilości wolnego miejsca"}});
    EXPECT_EQ(panelShown(), 10);
    EXPECT_FALSE(std::filesystem::exists(m_settingsPath));
}

TEST_F(AppWindowsTest, AStoredNameIsShownAndHidesThePanel)
{
    writeSettings("[Użytkownik]\r\nNazwa=Zażółć Gęś\r\n");
    start();
    expectTexts({{"Label21", "Zażółć Gęś"}, {"Label8", "Zarejestrowano dla: Zażółć Gęś"}});
    EXPECT_EQ(panelShown(), 0);
    EXPECT_TRUE(m_errors.messages.empty());
}

TEST_F(AppWindowsTest, TheTimeIsLeftOutAtExactlyMidnight)
{
    m_clock.at = {2004, 12, 31, 0, 0, 0, 0};
    start();
    expectTexts({{"Label3", "2004-12-31"}, {"Label4", "00:00:00"}, {"Label7", "2004-12-31"}});
}

TEST_F(AppWindowsTest, TheCornersAndTheInformationBarCarryTheirHintsAlways)
{
    start();
    const Hints hints = {{"Image2", "Minimalizuj"},
                         {"Image5", "Zamknij program"},
                         {"Label6", "Rozdzielczość ekranu (w pikselach)."},
                         {"Label5", "Ilość wolnego miejsca na partycji C:"},
                         {"Label7", "Aktualna data i godzina"},
                         {"Label14", "Częstotliwość taktowania procesora"},
                         {"Label8", "Nazwa użytkownika korzystającego z\nprogramu Kwintor Dostrojnik"}};
    ASSERT_EQ(app::mainDefinition().hints.size(), hints.size());
    for (std::size_t i = 0; i < hints.size(); ++i) {
        EXPECT_EQ(app::mainDefinition().hints[i].control, hints[i].first);
        EXPECT_TRUE(m_main->part(hints[i].first)->hintShown()) << hints[i].first;
        EXPECT_EQ(m_main->part(hints[i].first)->hint(), hints[i].second);
    }
}

TEST_F(AppWindowsTest, EachRefreshShowsDateFreeSpaceAndResolution)
{
    start();
    refresh();
    // 1234 MB of 10000 MB: 12.34 percent, truncated.
    expectTexts({{"Label7", "Dziś jest : 2004-08-15 12:34:56"},
                 {"Label5", "12 procent wolnego miejsca na partycji C: (1234 MB)"},
                 {"Label11", "768"},
                 {"Label12", "1024"},
                 {"Label6", "1024 x 768 px"}});
    m_clock.at = {2004, 8, 16, 0, 0, 0, 0};
    m_drive.space = {1999 * MB + MB - 1, 2000 * MB};
    m_screen.at = {1280, 1024};
    refresh();
    // The start's date and time stay as they were.
    expectTexts({{"Label7", "Dziś jest : 2004-08-16"},
                 {"Label5", "99 procent wolnego miejsca na partycji C: (1999 MB)"},
                 {"Label11", "1024"},
                 {"Label12", "1280"},
                 {"Label6", "1280 x 1024 px"},
                 {"Label3", "2004-08-15"},
                 {"Label4", "12:34:56"}});
    // A drive that cannot be asked, or has no size.
    for (const core::DriveSpace space : {core::DriveSpace{-1, -1}, core::DriveSpace{0, 0}}) {
        m_drive.space = space;
        refresh();
        EXPECT_EQ(text("Label5"), "Nie można odczytać ilości wolnego miejsca na partycji C:");
    }
    EXPECT_TRUE(m_errors.messages.empty());
}

TEST_F(AppWindowsTest, AMissingProcessorShowsTheErrorAndSkipsTheRestOfTheCreation)
{
    for (const bool hideKey : {true, false}) {
        SCOPED_TRACE(hideKey ? "key" : "value");
        testing_support::HidingRegistry hiding(m_machineRegistry);
        if (hideKey)
            hiding.hideKey(core::RootKey::LocalMachine, "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0");
        else
            hiding.hideValue("~MHz");
        m_registry = &hiding;
        m_errors.messages.clear();
        restart();
        ASSERT_EQ(m_errors.messages, std::vector<std::string>{"Failed to get data for '~MHz'"});
        // What came before the processor's clock is done; the first-run decision is not.
        expectTexts({{"Label14", "XXXX Mhz"}, {"Label8", "Zarejestrowano dla: "}, {"Label3", "2004-08-15"}});
        EXPECT_EQ(panelShown(), 0);
        // The program goes on.
        EXPECT_TRUE(m_main->isVisible());
        refresh();
        EXPECT_EQ(text("Label6"), "1024 x 768 px");
    }
}

TEST_F(AppWindowsTest, ConfirmingStoresTheNameAndHidesThePanelForGood)
{
    start();
    confirm("Jan Kowalski");
    EXPECT_TRUE(m_errors.messages.empty());
    EXPECT_EQ(settingsText(), "[Użytkownik]\r\nNazwa=Jan Kowalski\r\n");
    expectTexts({{"Label21", "Jan Kowalski"}, {"Label8", "Zarejestrowano dla: Jan Kowalski"}});
    EXPECT_EQ(panelShown(), 0);
    restart();
    EXPECT_EQ(text("Label8"), "Zarejestrowano dla: Jan Kowalski");
    EXPECT_EQ(panelShown(), 0);
}

TEST_F(AppWindowsTest, TheNameIsReadBackAsTheFileKeepsIt)
{
    start();
    // The settings file does not keep blanks around a value.
    confirm("  Ala  ");
    expectTexts({{"Label21", "Ala"}, {"Label8", "Zarejestrowano dla: Ala"}});
}

TEST_F(AppWindowsTest, AnEmptyConfirmedNameBringsThePanelBackAtTheNextStart)
{
    start();
    confirm("");
    EXPECT_EQ(settingsText(), "[Użytkownik]\r\nNazwa=\r\n");
    EXPECT_EQ(text("Label8"), "Zarejestrowano dla: ");
    EXPECT_EQ(panelShown(), 0);
    restart();
    EXPECT_EQ(panelShown(), 10);
}

TEST_F(AppWindowsTest, ARefusedWriteKeepsThePanelAndTheName)
{
    testing_support::FaultySystemCalls faulty;
    m_calls = &faulty;
    start();
    faulty.failOn("open", EACCES);
    faulty.failOn("rename", EACCES);
    confirm("Jan");
    ASSERT_EQ(m_errors.messages, std::vector<std::string>{"Unable to write to " + m_settingsPath.string()});
    EXPECT_EQ(panelShown(), 10);
    expectTexts({{"Label21", ""}, {"Label8", "Zarejestrowano dla: "}});
    EXPECT_EQ(m_main->find<ui::EditBox>("Memo1")->text(), "Jan");
    // Once the file can be written, the same click goes through.
    faulty.clearFaults();
    m_main->fake<testing_support::FakeButton>("Button3").click();
    EXPECT_EQ(text("Label21"), "Jan");
    EXPECT_EQ(panelShown(), 0);
}

TEST_F(AppWindowsTest, TheRestoreButtonStartsTheRestoreToolAndThePanelStays)
{
    start();
    m_main->fake<testing_support::FakeButton>("Button2").click();
    EXPECT_EQ(m_commands, std::vector<std::string>{"start %WinDir%\\System32\\Restore\\rstrui.exe"});
    EXPECT_EQ(panelShown(), 10);
    EXPECT_FALSE(std::filesystem::exists(m_settingsPath));
}

TEST_F(AppWindowsTest, EachMenuTargetOpensItsWindow)
{
    start();
    std::vector<std::string> expected;
    for (const app::MenuEntry& entry : app::sectionMenu()) {
        clickMain(entry.target);
        expected.push_back(entry.windowClass);
    }
    EXPECT_EQ(m_opened, expected);
    EXPECT_EQ(expected.size(), 10u);
}

TEST_F(AppWindowsTest, AboutShowsTheVersionAndCopiesTheUserNameWithinTwentySeconds)
{
    writeSettings("[Użytkownik]\r\nNazwa=Jan\r\n");
    start();
    const auto about = [this](const char* name) { return m_about->label(name)->text(); };
    EXPECT_EQ(about("Label12"), "2.0");
    EXPECT_EQ(about("Label14"), "15.08.2004");
    EXPECT_EQ(about("Label19"), " ");
    testing_support::FakeTimer& timer = m_about->fakeTimer("Timer1");
    EXPECT_EQ(timer.interval(), 1000);
    // A second after start, then every twenty seconds.
    timer.tick();
    EXPECT_EQ(about("Label19"), "Jan");
    EXPECT_EQ(timer.interval(), 20000);
    EXPECT_TRUE(timer.isEnabled());
    confirm("Ala");
    EXPECT_EQ(about("Label19"), "Jan");
    timer.tick();
    EXPECT_EQ(about("Label19"), "Ala");
}

TEST_F(AppWindowsTest, TheCloseTargetShowsThePromptModally)
{
    start();
    clickMain("Image5");
    EXPECT_TRUE(m_prompt->isVisible());
    EXPECT_TRUE(m_prompt->modal);
    EXPECT_TRUE(m_main->isVisible());
    EXPECT_FALSE(std::filesystem::exists(m_settingsPath));
}

TEST_F(AppWindowsTest, NieClosesTheMainWindowWhichWritesItsRecords)
{
    writeSettings("[Okno]\r\nPrzezroczystość (0 lub 1)=1\r\n"
                  "Wartość przezroczystości (0 [niewidoczne] do 255 [widoczne])=200\r\nAutorozmiar=1\r\n");
    start();
    EXPECT_EQ(m_main->opacity, 200);
    clickMain("Image5");
    press("Button1");
    EXPECT_FALSE(m_main->isVisible());
    EXPECT_FALSE(m_prompt->isVisible());
    EXPECT_TRUE(m_commands.empty());
    EXPECT_EQ(settingsText(),
              "[Okno]\r\nPrzezroczystość (0 lub 1)=1\r\n"
              "Wartość przezroczystości (0 [niewidoczne] do 255 [widoczne])=200\r\nAutorozmiar=1\r\n"
              "[Menu główne]\r\nPrzezroczystość (0 lub 1)=1\r\n"
              "Wartość przezroczystości (0 [niewidoczne] do 255 [widoczne])=200\r\nAutorozmiar (0 lub 1)=1\r\n"
              "[Wersja]\r\nKwintor Dostrojnik 2004=2.0\r\n"
              "[Panel glowny]\r\nDzień=2004-08-15\r\nGodzina=12:34:56\r\nPartycja=C\r\n");
}

TEST_F(AppWindowsTest, TakRunsTheRestartCommandFirstThenCloses)
{
    start();
    bool mainOpenDuringCommand = false;
    m_onCommand = [&] { mainOpenDuringCommand = m_main->isVisible() && !std::filesystem::exists(m_settingsPath); };
    clickMain("Image5");
    press("Button2");
    EXPECT_EQ(m_commands, std::vector<std::string>{"shutdown -r -t 0"});
    EXPECT_TRUE(mainOpenDuringCommand);
    EXPECT_FALSE(m_main->isVisible());
    EXPECT_NE(settingsText().find("[Menu główne]"), std::string::npos);
}

TEST_F(AppWindowsTest, ARefusedWriteKeepsTheProgramAndThePrompt)
{
    testing_support::FaultySystemCalls faulty;
    m_calls = &faulty;
    start();
    clickMain("Image5");
    faulty.failOn("open", EACCES);
    faulty.failOn("rename", EACCES);
    press("Button1");
    EXPECT_TRUE(m_main->isVisible());
    EXPECT_TRUE(m_prompt->isVisible());
    EXPECT_EQ(m_errors.messages, std::vector<std::string>{"Unable to write to " + m_settingsPath.string()});
}

TEST_F(AppWindowsTest, ClosingTheMainWindowOtherwiseEndsWithoutThePrompt)
{
    start();
    m_main->close();
    EXPECT_FALSE(m_main->isVisible());
    EXPECT_FALSE(m_prompt->isVisible());
    EXPECT_TRUE(std::filesystem::exists(m_settingsPath));
}

} // namespace
