#pragma once

#include "chrome/definition.h"
#include "tests/support/fake_front_end.h"
#include "tests/support/temporary_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace behaviour_testing {

// Records the errors that escape handlers.
class RecordingReporter : public ui::ErrorReporter {
public:
    void report(const std::string& message) override { messages.push_back(message); }
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

    testing_support::TemporaryFolder m_folder;
    std::filesystem::path m_settingsPath;
    RecordingReporter m_errors;
};

} // namespace behaviour_testing
