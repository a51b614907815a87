// Every skinned window's corner targets and option rows, on the fake front end.

#include "tests/behaviour/support/behaviour_fixture.h"

#include "chrome/window_behaviour.h"
#include "sections/definitions.h"

#include "core/registry/tregistry.h"
#include "core/registry/wine_registry.h"

#include <memory>

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
    std::vector<std::string> m_commands;
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
