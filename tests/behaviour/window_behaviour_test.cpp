// Every skinned window's corner targets, option rows and marks of the current choices, on the
// fake front end.

#include "tests/behaviour/support/behaviour_fixture.h"

#include "app/definitions.h"
#include "chrome/window_behaviour.h"
#include "sections/definitions.h"
#include "tests/support/faulty_system_calls.h"

#include "core/registry/tregistry.h"
#include "core/registry/wine_registry.h"

#include <map>
#include <memory>
#include <optional>

using namespace behaviour_testing;
using testing_support::FakeWindow;

namespace {

class WindowBehaviourTest : public BehaviourFixture {
protected:
    WindowBehaviourTest()
    {
        std::filesystem::create_directories(m_folder / "machine");
        addParts(m_window, m_definition);
        m_behaviour = std::make_unique<chrome::WindowBehaviour>(
            m_window, m_definition,
            chrome::WindowBehaviour::Services{m_registry,
                                              [this](const std::string& line) { m_commands.push_back(line); }, m_errors,
                                              [this] { ++m_minimised; }});
    }

    const chrome::WindowDefinition& m_definition = sections::performanceDefinition();
    core::WineRegistry m_registry{m_folder / "machine", 2400};
    int m_minimised = 0;
    FakeWindow m_window;
    std::unique_ptr<chrome::WindowBehaviour> m_behaviour;
};

TEST_F(WindowBehaviourTest, CornerTargetsMinimiseTheProgramAndCloseTheWindowOrWhatTheClassSays)
{
    m_window.bringForward();
    m_window.fakePicture(m_definition.minimiseTarget).click();
    EXPECT_EQ(m_minimised, 1);
    EXPECT_TRUE(m_window.isVisible());
    m_window.fakePicture(m_definition.closeTarget).click();
    EXPECT_FALSE(m_window.isVisible());

    m_window.bringForward();
    int asked = 0;
    m_behaviour->closeClicked = [&] { ++asked; };
    m_window.fakePicture(m_definition.closeTarget).click();
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(m_window.isVisible());
    EXPECT_TRUE(m_errors.messages.empty());
}

// The main and About windows have no comments mode: their hints are on from the start.
TEST_F(BehaviourFixture, WindowsWithoutCommentsShowTheirHintsAlways)
{
    buildWindow(app::mainDefinition());
    expectHints(app::mainDefinition(), {{"Image2", "Minimalizuj"},
                                        {"Image5", "Zamknij program"},
                                        {"Label6", "Rozdzielczość ekranu (w pikselach)."},
                                        {"Label5", "Ilość wolnego miejsca na partycji C:"},
                                        {"Label7", "Aktualna data i godzina"},
                                        {"Label14", "Częstotliwość taktowania procesora"},
                                        {"Label8", "Nazwa użytkownika korzystającego z\nprogramu Kwintor Dostrojnik"}});
    buildWindow(app::aboutDefinition());
    expectHints(app::aboutDefinition(), {{"Image1", "Minimalizuj"}, {"Image3", "Zamknij"}});
}

TEST_F(WindowBehaviourTest, OptionRowsRunTheirCommandsAndRegistryWritesAndReportTheirErrors)
{
    m_window.fakePicture("Image3").click();
    EXPECT_EQ(m_commands, std::vector<std::string>{"start defrag c: -b"});
    m_window.fakePicture("Image11").click(); // creates its key
    core::TRegistry registry(m_registry);
    registry.SetRootKey(core::RootKey::LocalMachine);
    ASSERT_TRUE(registry.OpenKey("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\AlwaysUnloadDLL", false));
    EXPECT_EQ(registry.ReadString(""), "1");
    EXPECT_TRUE(m_errors.messages.empty());
    m_window.fakePicture("Image2").click(); // a key that a new machine lacks, not created
    EXPECT_EQ(m_errors.messages, std::vector<std::string>{"Failed to set data for 'MenuShowDelay'"});
}

} // namespace

namespace {

// Every option of every window with the option state shown, on a machine whose keys exist.
class OptionMarksTest : public BehaviourFixture {
protected:
    OptionMarksTest() { std::filesystem::create_directories(m_folder / "machine"); }

    // The machine lacks many keys that options open without creating.
    void makeKey(const chrome::RegistryKey& key)
    {
        core::TRegistry registry(m_registry);
        registry.SetRootKey(key.root);
        ASSERT_TRUE(registry.OpenKey(key.path, true)) << key.path;
    }

    testing_support::FaultySystemCalls m_calls;
    core::WineRegistry m_registry{m_folder / "machine", 2400, m_calls};
};

bool runsCommands(const chrome::OptionRow& row)
{
    return !row.action.commands.empty();
}

TEST_F(OptionMarksTest, TheMachineSetToEachTargetsDataMarksThatTargetAloneInOneReadOfEachHive)
{
    int options = 0;
    for (const chrome::WindowDefinition* definition : app::skinnedDefinitions()) {
        SCOPED_TRACE(definition->className);
        FakeWindow window;
        addParts(window, *definition);
        chrome::WindowBehaviour behaviour(window, *definition,
                                          {m_registry, [](const std::string&) {}, m_errors, [] {}, true});
        // The targets under one caption are one option; a caption that is a target is one alone.
        std::map<std::string, std::vector<const chrome::OptionRow*>> byCaption;
        for (const chrome::OptionRow& row : definition->options) {
            const std::string& caption = definition->find(row.target)->describedBy;
            byCaption[caption.empty() ? row.target : caption].push_back(&row);
            if (!runsCommands(row))
                makeKey(row.action.key);
        }
        const int opens = m_calls.count("open");
        window.bringForward();
        EXPECT_LE(m_calls.count("open") - opens, 2);
        // Files nobody changed since are not read again.
        window.bringForward();
        EXPECT_LE(m_calls.count("open") - opens, 2);

        for (const auto& [caption, rows] : byCaption) {
            auto expectMarked = [&](const chrome::OptionRow* set) {
                for (const chrome::OptionRow* row : rows) {
                    const std::optional<bool> marked = window.fakePicture(row->target).marked;
                    if (runsCommands(*row))
                        EXPECT_FALSE(marked.has_value()) << row->target;
                    else
                        EXPECT_EQ(marked, row == set) << row->target;
                }
            };
            for (const chrome::OptionRow* clicked : rows) {
                if (runsCommands(*clicked))
                    continue;
                ++options;
                SCOPED_TRACE(clicked->target);
                window.fakePicture(clicked->target).click();
                expectMarked(clicked);
            }
            // Another program sets the machine while the window is hidden.
            for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
                if (runsCommands(**row))
                    continue;
                SCOPED_TRACE((*row)->target + " by another program");
                window.setVisible(false);
                core::WineRegistry other(m_folder / "machine", 2400);
                chrome::runOption((*row)->action, other, [](const std::string&) {});
                window.setVisible(true);
                expectMarked(*row);
            }
            // A number that no target writes marks none.
            const chrome::OptionRow& first = *rows.front();
            if (first.action.steps.empty() || first.action.steps.front().kind != chrome::OptionStepKind::WriteInteger)
                continue;
            {
                core::TRegistry registry(m_registry);
                registry.SetRootKey(first.action.key.root);
                registry.OpenKey(first.action.key.path, true);
                registry.WriteInteger(first.action.steps.front().name, 77);
            }
            window.setVisible(false);
            window.setVisible(true);
            for (const chrome::OptionRow* row : rows)
                EXPECT_NE(window.fakePicture(row->target).marked, true) << row->target;
        }
    }
    EXPECT_GT(options, 60);
    EXPECT_TRUE(m_errors.messages.empty());
}

TEST_F(OptionMarksTest, SwitchedOffTheWindowNeitherReadsNorMarks)
{
    const chrome::WindowDefinition& definition = sections::crashDefinition();
    FakeWindow window;
    addParts(window, definition);
    chrome::WindowBehaviour behaviour(window, definition, {m_registry, [](const std::string&) {}, m_errors, [] {}});
    window.bringForward();
    EXPECT_EQ(m_calls.count("open"), 0);
    EXPECT_FALSE(window.onShow);
    window.fakePicture(definition.options.front().target).click();
    for (const chrome::OptionRow& row : definition.options)
        EXPECT_FALSE(window.fakePicture(row.target).marked.has_value());
}

} // namespace
