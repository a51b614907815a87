#pragma once

#include "app/tform1.h"
#include "ui/qt/window_set.h"
#include "chrome/context.h"
#include "ui/qt/picture_store.h"
#include "ui/qt/section_window.h"
#include "tests/gui/support/manual_timer_clock.h"
#include "tests/support/fake_front_end.h"
#include "tests/support/fake_platform.h"
#include "tests/support/registry_values.h"
#include "tests/support/temporary_folder.h"

#include "core/machine/machine_drive_files.h"
#include "core/registry/wine_registry.h"

#include <gtest/gtest.h>

#include <QTest>

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace gui_testing {

// The key of the shell's policies for the current user, which every machine has.
inline constexpr char kPolicyKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";

class RecordingReporter : public chrome::ErrorReporter {
public:
    void report(const std::string& message) override { messages.push_back(message); }
    std::vector<std::string> messages;
};

// Records the tools' message boxes and answers their questions from a list the test fills;
// a question the test did not expect is answered No and fails the test.
using testing_support::ScriptedMessageBoxes;

class FakeCursor : public chrome::CursorSource {
public:
    ui::Point position() const override { return at; }
    ui::Point at;
};

class FakeScreen : public chrome::ScreenSource {
public:
    ui::Size size(const ui::Window&) const override { return at; }
    ui::Size at{1024, 768};
};

using testing_support::dword;
using testing_support::text;
using testing_support::Value;
using testing_support::Values;

// The whole window set on a temporary machine and settings file, with a recording error
// reporter, a shell that only records its command lines, and a cursor the test moves.
class GuiFixture : public ::testing::Test {
protected:
    GuiFixture();
    ~GuiFixture() override;

    // Settings to start with: the file's text, written in the settings file's code page.
    void writeSettings(const std::string& utf8Text);
    // The settings file's text, in UTF-8; empty when there is none.
    std::string settingsText() const;
    bool settingsExist() const { return std::filesystem::exists(m_settingsPath); }

    // Creates the thirteen windows as the program does at start-up and shows the main window.
    void start();

    app::WindowSet& windows() { return *m_windows; }
    chrome::SectionWindow& mainWindow() { return m_windows->main(); }
    chrome::SectionWindow& section(const char* className);
    // Opens a section window as a click on its picture of the main menu does (starting the
    // program first when it has not started), its opening timers run.
    chrome::SectionWindow& openSection(const char* className);

    // Clicks a component of a window by its design name.
    void click(QWidget& window, QAnyStringView name);
    void pressOn(QWidget& window, QAnyStringView name);
    void releaseOn(QWidget& window, QAnyStringView name);
    // Every value of a key of the machine's registry, by name: type and data; none when the key
    // is missing.
    std::optional<Values> keyValues(core::RootKey root, const std::string& path);
    // Creates a key of the machine's registry (and its parents) and writes these values into it.
    void seed(core::RootKey root, const std::string& path, const Values& values = {});
    // Lets the timers run for a while on their clock, which moves only here: the ticks due on
    // the way run at once.
    void runTimers(int milliseconds = 100);
    // Nobody touches the program for this long: the timers run meanwhile, the idle monitor's
    // among them.
    void idleFor(std::chrono::milliseconds quiet);

    testing_support::TemporaryFolder m_folder;
    std::filesystem::path m_settingsPath;
    core::WineRegistry m_registry;
    // The machine whose drive_c the windows' Windows paths name (it starts without drive_c).
    core::Machine m_machine;
    // Its drive C:, through m_calls as they are at start().
    std::unique_ptr<core::MachineDriveFiles> m_driveFiles;
    // The registry the windows use; a test may put a wrapper of m_registry here before start().
    core::RegistryApi* m_registryApi = &m_registry;
    // Whether the windows mark the options' current choices; a test may switch it on before start().
    bool m_showOptionState = false;
    // The file-system calls of the settings file; a test may put a faulty one here before start().
    core::SystemCalls* m_calls = &core::posixSystemCalls();
    RecordingReporter m_errors;
    ScriptedMessageBoxes m_messageBoxes;
    FakeCursor m_cursor;
    testing_support::FakeClock m_clock;
    testing_support::FakeDriveSpace m_driveSpace;
    FakeScreen m_screen;
    chrome::PictureStore m_pictures;
    testing_support::FakeDesktop m_fakeDesktop;
    testing_support::FakeProcesses m_fakeProcesses;
    // The window list's platform; a test may put the real one here before start().
    core::DesktopWindows* m_desktop = &m_fakeDesktop;
    core::ProcessControl* m_processes = &m_fakeProcesses;
    std::vector<std::string> m_commands;
    // Runs inside the fake shell, when a test wants to look at the program at that moment.
    std::function<void(const std::string&)> m_onCommand;
    // The clock of every design timer and of the idle monitor; a test may change the pace
    // before start().
    ManualTimerClock m_timerClock;
    chrome::IdlePace m_idlePace{std::chrono::milliseconds(1000), std::chrono::milliseconds(500), &m_timerClock};
    std::unique_ptr<chrome::Context> m_context;
    std::unique_ptr<app::WindowSet> m_windows;
};

// A component of a window by its design name; a skinned window builds its widgets first.
QWidget* component(QWidget& window, QAnyStringView name);

template <class Widget>
Widget& widget(QWidget& window, QAnyStringView name)
{
    auto* found = qobject_cast<Widget*>(component(window, name));
    if (!found)
        throw std::logic_error("no such widget: " + name.toString().toStdString());
    return *found;
}

} // namespace gui_testing
