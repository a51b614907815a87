#pragma once

#include "chrome/definition.h"
#include "chrome/section_behaviour.h"
#include "chrome/window_behaviour.h"
#include "tests/support/fake_front_end.h"
#include "tests/support/fake_platform.h"
#include "tests/support/registry_values.h"
#include "tests/support/temporary_folder.h"

#include "core/registry/wine_registry.h"

#include <gtest/gtest.h>

#include <filesystem>
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

// Records the errors that escape handlers.
class RecordingReporter : public ui::ErrorReporter {
public:
    void report(const std::string& message) override { messages.push_back(message); }
    std::vector<std::string> messages;
};

// Records the message boxes and the questions, which it answers No.
class RecordingMessageBoxes : public ui::MessageBoxes {
public:
    void message(const std::string& text) override { messages.push_back(text); }
    bool askYesNo(const std::string&, const std::string& text) override
    {
        messages.push_back(text);
        return false;
    }
    std::vector<std::string> messages;
};

// Fills a fake window with a part per component of a definition, as designed: visible or not,
// labels with their text, timers enabled or not; and a part for each tool the class builds.
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
        m_section.reset();
        m_window.reset();
        m_fake = std::make_unique<testing_support::FakeWindow>();
        addParts(*m_fake, definition);
        m_window = std::make_unique<chrome::WindowBehaviour>(
            *m_fake, definition,
            chrome::WindowBehaviour::Services{
                m_machineRegistry, [this](const std::string& line) { m_commands.push_back(line); }, m_errors, [] {}});
        auto behaviour = std::make_unique<Behaviour>(*m_fake, definition, services());
        Behaviour& built = *behaviour;
        m_section = std::move(behaviour);
        return built;
    }
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
    RecordingMessageBoxes m_messageBoxes;
    testing_support::FakeDesktop m_desktop;
    testing_support::FakeProcesses m_processes;
    // The windows shown through the services, by class name.
    std::vector<std::string> m_shown;
    // The command lines the option rows ran.
    std::vector<std::string> m_commands;

private:
    std::unique_ptr<testing_support::FakeWindow> m_fake;
    std::unique_ptr<chrome::WindowBehaviour> m_window;
    std::unique_ptr<chrome::SectionBehaviour> m_section;
};

} // namespace behaviour_testing
