#pragma once

#include "chrome/definition.h"
#include "chrome/section_behaviour.h"
#include "chrome/window_behaviour.h"
#include "tests/support/fake_front_end.h"
#include "tests/support/fake_platform.h"
#include "tests/support/registry_values.h"
#include "tests/support/temporary_folder.h"

#include "core/machine/machine.h"
#include "core/machine/machine_drive_files.h"
#include "core/registry/wine_registry.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace behaviour_testing {

using testing_support::dword;
using testing_support::RowWrite;
using testing_support::switchRows;
using testing_support::SwitchWrite;
using testing_support::text;
using testing_support::Values;
using Hints = std::vector<std::pair<const char*, const char*>>;
using Places = std::vector<std::pair<const char*, ui::Rect>>;

// Records the errors that escape handlers.
class RecordingReporter : public ui::ErrorReporter {
public:
    void report(const std::string& message) override { messages.push_back(message); }
    std::vector<std::string> messages;
};

// Records the message boxes and answers the questions from a list the test fills; a question
// the test did not expect is answered No and fails the test.
using testing_support::ScriptedMessageBoxes;

// Fills a fake window with a part per component of a definition, as designed: at its place,
// visible or not, labels with their text, timers enabled or not; and a part for each tool the
// class builds.
void addParts(testing_support::FakeWindow& window, const chrome::WindowDefinition& definition);

// A settings file in a temporary folder and an error recorder.
class BehaviourFixture : public ::testing::Test {
protected:
    BehaviourFixture();

    // The settings file's text, both in UTF-8: written and read in the file's code page.
    void writeSettings(const std::string& utf8Text);
    std::string settingsText() const;

    // A section window of this class as the program builds it: the parts of its definition on a
    // fake window, then the shared window behaviour (corners, option rows) and its own over them,
    // on the fixture's machine and fake platform.
    template <class Behaviour>
    Behaviour& build(const chrome::WindowDefinition& definition)
    {
        buildWindow(definition);
        auto behaviour = std::make_unique<Behaviour>(*m_fake, definition, services());
        Behaviour& built = *behaviour;
        m_section = std::move(behaviour);
        return built;
    }
    // The parts and the shared window behaviour alone, as a window without a class of its own.
    void buildWindow(const chrome::WindowDefinition& definition);
    // Built and opened from the main menu, its opening timers run: comments mode is on.
    template <class Behaviour>
    Behaviour& open(const chrome::WindowDefinition& definition)
    {
        Behaviour& built = build<Behaviour>(definition);
        built.openingSequence();
        m_fake->tickAll();
        return built;
    }
    testing_support::FakeWindow& fake() { return *m_fake; }
    // A left click on a picture or a label of the window by its design name.
    void click(const std::string& name);

    std::optional<Values> keyValues(core::RootKey root, const std::string& path)
    {
        return testing_support::keyValues(m_machineRegistry, root, path);
    }
    void seed(core::RootKey root, const std::string& path, const Values& values = {})
    {
        testing_support::seed(m_machineRegistry, root, path, values);
    }
    // The parts lie at these places.
    void expectPlaces(const Places& places)
    {
        for (const auto& [name, place] : places)
            EXPECT_EQ(m_fake->part(name)->place(), place) << name;
    }
    // The window's hints are on, exactly these, in this order.
    void expectHints(const chrome::WindowDefinition& definition, const Hints& hints);
    // Every target writes its row, twice, whatever the value holds, and changes nothing else in
    // the rows' keys; no error, and the targets carry no hint of their own.
    void expectRowsWrite(const std::vector<RowWrite>& rows);
    // On a machine without the rows' keys, each target creates nothing and its write's error
    // reaches the error box.
    void expectRowsNeedTheirKeys(const std::vector<RowWrite>& rows);
    // On a machine without the rows' keys, each target creates its key holding only its value.
    void expectRowsCreateTheirKeys(const std::vector<RowWrite>& rows);
    chrome::SectionServices services();

    testing_support::TemporaryFolder m_folder;
    std::filesystem::path m_settingsPath;
    RecordingReporter m_errors;
    core::WineRegistry m_machineRegistry{m_folder / "machine", 2400};
    // The registry the windows use; a test may put a wrapper of m_machineRegistry here.
    core::RegistryApi* m_registryApi = &m_machineRegistry;
    // The machine whose drive_c the windows' Windows paths name (it starts without drive_c).
    core::Machine m_machine{m_folder / "machine", core::hostUserName()};
    // The file-system calls of the windows; a test may put a faulty one here.
    core::SystemCalls* m_calls = &core::posixSystemCalls();
    // The machine's drive C: through m_calls, made anew for each window the services serve.
    std::optional<core::MachineDriveFiles> m_drive;
    ScriptedMessageBoxes m_messageBoxes;
    testing_support::FakeDesktop m_desktop;
    testing_support::FakeProcesses m_processes;
    // The windows shown through the services, by class name.
    std::vector<std::string> m_shown;
    // The command lines the option rows ran.
    std::vector<std::string> m_commands;
    // Runs inside the fake shell, when a test wants the command lines carried out.
    std::function<void(const std::string&)> m_onCommand;

private:
    std::unique_ptr<testing_support::FakeWindow> m_fake;
    std::unique_ptr<chrome::WindowBehaviour> m_window;
    std::unique_ptr<chrome::SectionBehaviour> m_section;
};

} // namespace behaviour_testing
