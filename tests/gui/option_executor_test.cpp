// Option rows: a window defined with them runs them on a click, through one short-lived
// registry object or the shell command, and a refused write shows in the error box.

#include "tests/gui/support/gui_fixture.h"

#include "chrome/option_executor.h"
#include "chrome/skinned_window.h"

#include "core/registry/tregistry.h"

using namespace gui_testing;
using chrome::PictureLook;
using core::RootKey;

namespace {

constexpr char kCrashControl[] = "SYSTEM\\CurrentControlSet\\Control\\CrashControl";

chrome::WindowDefinition testWindow()
{
    chrome::WindowDefinition w;
    w.className = "TTestForm";
    w.componentName = "TestForm";
    w.caption = "Test";
    w.width = 200;
    w.height = 100;
    w.components = {chrome::picture("Image1", {0, 0, 200, 100}, PictureLook::Background),
                    chrome::picture("Image7", {0, 0, 160, 30}, PictureLook::OptionCaption, "Automatyczne restartowanie"),
                    chrome::target("Image8", {0, 30, 80, 30}, PictureLook::TargetOn, "Włącz"),
                    chrome::target("Image9", {80, 30, 80, 30}, PictureLook::TargetOff, "Wyłącz"),
                    chrome::target("Image10", {0, 60, 80, 30}, PictureLook::TargetChoice, "Czyść"),
                    chrome::target("Image11", {80, 60, 80, 30}, PictureLook::TargetChoice, "Usuń"),
                    chrome::timer("Timer1", 1, false)};
    w.dragTimer = "Timer1";
    w.dragSurfaces = {"Image1"};
    w.options = {chrome::writeInteger("Image8", RootKey::LocalMachine, kCrashControl, true, "AutoReboot", 1),
                 chrome::writeInteger("Image9", RootKey::CurrentUser, "Software\\No\\Such\\Key", false, "Overwrite", 0),
                 chrome::commandLines("Image10", {"rd /s /q %TMP%", "md %TMP%"})};
    chrome::OptionRow removal;
    removal.target = "Image11";
    removal.root = RootKey::LocalMachine;
    removal.key = kCrashControl;
    removal.steps = {{chrome::OptionStepKind::DeleteValue, "AutoReboot", 0, {}},
                     {chrome::OptionStepKind::DeleteValue, "AutoReboot", 0, {}},
                     {chrome::OptionStepKind::WriteString, "Dump", 0, "tak"}};
    w.options.push_back(removal);
    return w;
}

class OptionExecutorTest : public GuiFixture {
protected:
    void SetUp() override
    {
        start();
        m_window = std::make_unique<chrome::SkinnedWindow>(*m_context, m_definition);
    }
    void TearDown() override { m_window.reset(); }

    std::optional<std::int32_t> autoReboot()
    {
        core::TRegistry registry(m_registry);
        registry.SetRootKey(RootKey::LocalMachine);
        if (!registry.OpenKey(kCrashControl, false) || !registry.ValueExists("AutoReboot"))
            return std::nullopt;
        return registry.ReadInteger("AutoReboot");
    }

    const chrome::WindowDefinition m_definition = testWindow();
    std::unique_ptr<chrome::SkinnedWindow> m_window;
};

TEST_F(OptionExecutorTest, AClickWritesTheRowsValueCreatingTheKey)
{
    click(*m_window, "Image8");
    EXPECT_EQ(autoReboot(), 1);
    click(*m_window, "Image8");
    EXPECT_EQ(autoReboot(), 1);
    EXPECT_TRUE(m_errors.messages.empty());
    // The caption picture does nothing.
    click(*m_window, "Image7");
    EXPECT_TRUE(m_errors.messages.empty());
}

TEST_F(OptionExecutorTest, AKeyThatDoesNotOpenMakesTheWriteFailAndTheWindowStaysUsable)
{
    click(*m_window, "Image9");
    ASSERT_EQ(m_errors.messages.size(), 1u);
    EXPECT_EQ(m_errors.messages[0], "Failed to set data for 'Overwrite'");
    click(*m_window, "Image8");
    EXPECT_EQ(autoReboot(), 1);
    EXPECT_EQ(m_errors.messages.size(), 1u);
}

TEST_F(OptionExecutorTest, CommandLinesRunInOrder)
{
    click(*m_window, "Image10");
    EXPECT_EQ(m_commands, (std::vector<std::string>{"rd /s /q %TMP%", "md %TMP%"}));
}

TEST_F(OptionExecutorTest, StepsRunInOrderAndDeletingWhatIsAbsentIsSilent)
{
    click(*m_window, "Image8");
    click(*m_window, "Image11");
    EXPECT_EQ(autoReboot(), std::nullopt);
    EXPECT_TRUE(m_errors.messages.empty());
    core::TRegistry registry(m_registry);
    registry.SetRootKey(RootKey::LocalMachine);
    ASSERT_TRUE(registry.OpenKey(kCrashControl, false));
    EXPECT_EQ(registry.ReadString("Dump"), "tak");
}

} // namespace
