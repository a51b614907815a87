// The main window, the About window and the restart prompt: the creation handler, the refresh,
// the first-run panel, the menu, the name the About window copies, the prompt's ways out.

#include "tests/behaviour/support/behaviour_fixture.h"

#include "app/definitions.h"
#include "app/tform1.h"
#include "app/tform10.h"
#include "app/tform8.h"
#include "tests/support/faulty_system_calls.h"
#include "tests/support/hiding_registry.h"

#include <algorithm>
#include <cerrno>

using namespace behaviour_testing;
using testing_support::FakeWindow;

namespace {

constexpr std::int64_t MB = 1048576;
using Texts = std::vector<std::pair<const char*, std::string>>;

struct FixedScreen : chrome::ScreenSource {
    ui::Size size(const ui::Window&) const override { return at; }
    ui::Size at{1024, 768};
};

class AppWindowsTest : public BehaviourFixture {
protected:
    // The program starts, or starts again on the same machine and settings file: the three
    // windows as the window set makes them, the main one shown.
    void start()
    {
        for (auto* window : {&m_main, &m_about, &m_prompt})
            *window = std::make_unique<FakeWindow>();
        addParts(*m_main, app::mainDefinition());
        addParts(*m_about, app::aboutDefinition());
        for (const char* button : {"Button1", "Button2"})
            m_prompt->addPart<testing_support::FakeButton>(button);
        auto shell = [this](const std::string& line) {
            m_commands.push_back(line);
            m_mainOpenDuringCommand = m_main->isVisible() && !settingsExist();
        };
        m_shared = std::make_unique<chrome::WindowBehaviour>(
            *m_main, app::mainDefinition(), chrome::WindowBehaviour::Services{*m_registry, shell, m_errors, [] {}});
        auto window = [this](std::string_view name) { return name == "TForm1" ? m_main.get() : m_prompt.get(); };
        auto open = [](std::string_view) {};
        const app::Services services{*m_registry, m_settingsPath, *m_calls, shell,  m_errors,
                                     m_clock,     m_drive,        m_screen, window, open};
        m_classes.clear();
        m_classes.push_back(std::make_unique<TForm1>(*m_main, app::mainDefinition(), services));
        m_classes.push_back(std::make_unique<TForm8>(*m_about, services));
        m_classes.push_back(std::make_unique<TForm10>(*m_prompt, services));
        m_main->setVisible(true);
    }

    bool settingsExist() const { return std::filesystem::exists(m_settingsPath); }
    void expectTexts(const Texts& texts)
    {
        for (const auto& [name, text] : texts)
            EXPECT_EQ(m_main->label(name)->text(), text) << name;
    }
    std::string text(const char* name) { return m_main->label(name)->text(); }
    void refresh() { m_main->fakeTimer("Timer37").tick(); }
    // How many of the first-run panel's ten components are shown.
    long panelShown()
    {
        const auto& panel = app::firstRunPanel();
        return std::count_if(panel.begin(), panel.end(),
                             [this](auto& name) { return m_main->part(name)->isVisible(); });
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
    bool m_mainOpenDuringCommand = false;
    std::unique_ptr<FakeWindow> m_main;
    std::unique_ptr<FakeWindow> m_about;
    std::unique_ptr<FakeWindow> m_prompt;
    std::unique_ptr<chrome::WindowBehaviour> m_shared;
    std::vector<std::unique_ptr<chrome::ClassBehaviour>> m_classes;
};

TEST_F(AppWindowsTest, TheStartShowsTheNameAndDateAndWithoutANameTheFirstRunPanelWhoseRestoreButtonWorks)
{
    struct Case {
        const char* settings;
        core::LocalTime at;
        Texts texts;
        long panel;
    };
    // The system's short date and long time formats, the time left out at exactly midnight; the
    // bar keeps its design texts until the first refresh.
    // clang-format off
    const Case cases[] = {
        {"", {2004, 8, 15, 12, 34, 56, 0},
         {{"Label21", ""}, {"Label8", "Zarejestrowano dla: "}, {"Label3", "2004-08-15"}, {"Label4", "12:34:56"},
          {"Label7", "2004-08-15 12:34:56"}, {"Label14", "2400 Mhz"}, {"Label6", "Ładowanie"},
          {"Label5", "Trwa wczytywanie danych o ilości wolnego miejsca"}}, 10},
        {"[Użytkownik]\r\nNazwa=Zażółć Gęś\r\n", {2004, 12, 31, 0, 0, 0, 0},
         {{"Label21", "Zażółć Gęś"}, {"Label8", "Zarejestrowano dla: Zażółć Gęś"}, {"Label3", "2004-12-31"},
          {"Label4", "00:00:00"}, {"Label7", "2004-12-31"}}, 0},
    };
    // clang-format on
    for (const Case& c : cases) {
        if (*c.settings)
            writeSettings(c.settings);
        m_clock.at = c.at;
        start();
        expectTexts(c.texts);
        EXPECT_EQ(panelShown(), c.panel);
        EXPECT_TRUE(m_errors.messages.empty());
        // "start" returns at once; the restore tool runs on its own and the panel stays.
        m_main->fake<testing_support::FakeButton>("Button2").click();
        EXPECT_EQ(m_commands.back(), "start %WinDir%\\System32\\Restore\\rstrui.exe");
        EXPECT_EQ(panelShown(), c.panel);
    }
    EXPECT_EQ(settingsText(), "[Użytkownik]\r\nNazwa=Zażółć Gęś\r\n");
}

TEST_F(AppWindowsTest, EachRefreshShowsDateFreeSpaceAndResolution)
{
    start();
    refresh();
    // 1234 MB of 10000 MB: 12.34 percent, truncated.
    // clang-format off
    expectTexts({{"Label7", "Dziś jest : 2004-08-15 12:34:56"}, {"Label5", "12 procent wolnego miejsca na partycji C: (1234 MB)"},
                 {"Label11", "768"}, {"Label12", "1024"}, {"Label6", "1024 x 768 px"}});
    // clang-format on
    m_clock.at = {2004, 8, 16, 0, 0, 0, 0};
    m_drive.space = {1999 * MB + MB - 1, 2000 * MB};
    m_screen.at = {1280, 1024};
    refresh();
    // The start's date and time stay as they were.
    // clang-format off
    expectTexts({{"Label7", "Dziś jest : 2004-08-16"}, {"Label5", "99 procent wolnego miejsca na partycji C: (1999 MB)"},
                 {"Label11", "1024"}, {"Label12", "1280"}, {"Label6", "1280 x 1024 px"}, {"Label3", "2004-08-15"},
                 {"Label4", "12:34:56"}});
    // clang-format on
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
        hideKey ? hiding.hideKey(core::RootKey::LocalMachine, "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0")
                : hiding.hideValue("~MHz");
        m_registry = &hiding;
        m_errors.messages.clear();
        start();
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

TEST_F(AppWindowsTest, AConfirmedNameIsStoredAndShownAndAnEmptyOneBringsThePanelBack)
{
    struct Case {
        const char* typed; // stored as typed
        const char* shown; // the settings file does not keep blanks around a value
        long panelAtNextStart;
    };
    for (const Case& c : {Case{"Jan Kowalski", "Jan Kowalski", 0}, Case{"  Ala  ", "Ala", 0}, Case{"", "", 10}}) {
        std::filesystem::remove(m_settingsPath);
        start();
        confirm(c.typed);
        EXPECT_TRUE(m_errors.messages.empty());
        EXPECT_EQ(settingsText(), std::string("[Użytkownik]\r\nNazwa=") + c.typed + "\r\n");
        expectTexts({{"Label21", c.shown}, {"Label8", std::string("Zarejestrowano dla: ") + c.shown}});
        EXPECT_EQ(panelShown(), 0);
        start();
        EXPECT_EQ(text("Label8"), std::string("Zarejestrowano dla: ") + c.shown);
        EXPECT_EQ(panelShown(), c.panelAtNextStart);
    }
}

TEST_F(AppWindowsTest, ARefusedWriteKeepsThePanelAndTheNameAndThenTheProgramAndThePrompt)
{
    testing_support::FaultySystemCalls faulty;
    m_calls = &faulty;
    start();
    const auto refuse = [&] {
        m_errors.messages.clear();
        faulty.failOn("open", EACCES);
        faulty.failOn("rename", EACCES);
    };
    refuse();
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

    clickMain("Image5");
    refuse();
    press("Button1");
    EXPECT_TRUE(m_main->isVisible() && m_prompt->isVisible());
    EXPECT_EQ(m_errors.messages, std::vector<std::string>{"Unable to write to " + m_settingsPath.string()});
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

TEST_F(AppWindowsTest, NieClosesTheMainWindowWhichWritesItsRecords)
{
    writeSettings("[Okno]\r\nPrzezroczystość (0 lub 1)=1\r\n"
                  "Wartość przezroczystości (0 [niewidoczne] do 255 [widoczne])=200\r\nAutorozmiar=1\r\n");
    start();
    EXPECT_EQ(m_main->opacity, 200);
    clickMain("Image5");
    EXPECT_TRUE(m_prompt->isVisible() && m_prompt->modal && m_main->isVisible());
    EXPECT_EQ(settingsText().find("[Menu"), std::string::npos);
    press("Button1");
    EXPECT_FALSE(m_main->isVisible() || m_prompt->isVisible());
    EXPECT_TRUE(m_commands.empty());
    EXPECT_EQ(settingsText(),
              "[Okno]\r\nPrzezroczystość (0 lub 1)=1\r\n"
              "Wartość przezroczystości (0 [niewidoczne] do 255 [widoczne])=200\r\nAutorozmiar=1\r\n"
              "[Menu główne]\r\nPrzezroczystość (0 lub 1)=1\r\n"
              "Wartość przezroczystości (0 [niewidoczne] do 255 [widoczne])=200\r\nAutorozmiar (0 lub 1)=1\r\n"
              "[Wersja]\r\nKwintor Dostrojnik 2004=2.0\r\n"
              "[Panel glowny]\r\nDzień=2004-08-15\r\nGodzina=12:34:56\r\nPartycja=C\r\n");
}

TEST_F(AppWindowsTest, TakRunsTheRestartCommandFirstThenClosesAndAnyOtherCloseEndsWithoutThePrompt)
{
    for (const bool tak : {true, false}) {
        std::filesystem::remove(m_settingsPath);
        m_mainOpenDuringCommand = false;
        start();
        tak ? (clickMain("Image5"), press("Button2")) : m_main->close();
        EXPECT_EQ(m_commands, std::vector<std::string>(tak ? 1 : 0, "shutdown -r -t 0"));
        EXPECT_EQ(m_mainOpenDuringCommand, tak);
        EXPECT_FALSE(m_main->isVisible() || m_prompt->isVisible());
        EXPECT_NE(settingsText().find("[Menu główne]"), std::string::npos);
        m_commands.clear();
    }
}

} // namespace
