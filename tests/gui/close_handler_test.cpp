// Closing a section window writes its three settings; a refused write abandons the close.

#include "tests/gui/support/gui_fixture.h"
#include "tests/support/faulty_system_calls.h"

#include <cerrno>
#include <unistd.h>

using namespace gui_testing;

namespace {

class CloseHandlerTest : public GuiFixture {};

TEST_F(CloseHandlerTest, CloseTargetHidesTheWindowAndWritesItsSectionInOrder)
{
    writeSettings("[Awaria]\r\nPrzezroczystość (0 lub 1)=1\r\n"
                  "Wartość przezroczystości (0 [niewidoczne] do 255 [widoczne])=300\r\n");
    start();
    click(mainWindow(), "Image9");
    runTimers();
    chrome::SectionWindow& crash = section("TForm64");
    click(crash, "Label9"); // comments off
    runTimers();
    click(crash, "Image18");
    EXPECT_FALSE(crash.isVisible());
    EXPECT_TRUE(mainWindow().isVisible());
    EXPECT_EQ(settingsText(), "[Awaria]\r\nPrzezroczystość (0 lub 1)=1\r\n"
                              "Wartość przezroczystości (0 [niewidoczne] do 255 [widoczne])=44\r\n"
                              "Komentarze=Nie\r\n");
    EXPECT_TRUE(m_errors.messages.empty());
}

TEST_F(CloseHandlerTest, AWindowNeverOpenedWritesItsDesignTextWhenClosed)
{
    start();
    chrome::SectionWindow& removal = section("TForm6");
    removal.close();
    EXPECT_EQ(settingsText(), "[Usuwanie]\r\nPrzezroczystość (0 lub 1)=0\r\n"
                              "Wartość przezroczystości (0 [niewidoczne] do 255 [widoczne])=255\r\n"
                              "Komentarze=Tak lub Nie\r\n");
}

TEST_F(CloseHandlerTest, RefusedWriteShowsTheErrorAndTheWindowStaysOpen)
{
    testing_support::FaultySystemCalls faulty;
    m_calls = &faulty;
    start();
    click(mainWindow(), "Image3");
    runTimers();
    chrome::SectionWindow& system = section("TForm2");
    faulty.failOn("rename", EROFS);
    faulty.failOn("open", EROFS);
    click(system, "Image3");
    EXPECT_TRUE(system.isVisible());
    ASSERT_EQ(m_errors.messages.size(), 1u);
    EXPECT_EQ(m_errors.messages[0], "Unable to write to " + m_settingsPath.string());
    EXPECT_FALSE(settingsExist());

    // The window stays usable: once the file can be written, it closes.
    faulty.clearFaults();
    click(system, "Image3");
    EXPECT_FALSE(system.isVisible());
    EXPECT_EQ(m_errors.messages.size(), 1u);
    EXPECT_TRUE(settingsExist());
}

// Runs as an ordinary user (root may write anywhere); ctest starts it so when the build is root's.
TEST_F(CloseHandlerTest, ReadOnlyFolder)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root ignores file permissions";
    start();
    click(mainWindow(), "Image12");
    runTimers();
    chrome::SectionWindow& internet = section("TForm7");
    ASSERT_EQ(chmod(m_folder.path().c_str(), 0555), 0);
    internet.close();
    EXPECT_TRUE(internet.isVisible());
    ASSERT_EQ(m_errors.messages.size(), 1u);
    EXPECT_EQ(m_errors.messages[0], "Unable to write to " + m_settingsPath.string());
    chmod(m_folder.path().c_str(), 0755);
}

} // namespace
