// Closing a section window writes its three settings; a refused write abandons the close.

#include "tests/gui/support/gui_fixture.h"

#include <unistd.h>

using namespace gui_testing;

namespace {

class CloseHandlerTest : public GuiFixture {};

TEST_F(CloseHandlerTest, CloseTargetHidesTheWindowAndWritesItsSectionInOrder)
{
    writeSettings("[Awaria]\r\nPrzezroczystość (0 lub 1)=1\r\n"
                  "Wartość przezroczystości (0 [niewidoczne] do 255 [widoczne])=300\r\n");
    chrome::SectionWindow& crash = openSection("TForm64");
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

// Runs as an ordinary user (root may write anywhere); ctest starts it so when the build is root's.
TEST_F(CloseHandlerTest, ReadOnlyFolder)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root ignores file permissions";
    chrome::SectionWindow& internet = openSection("TForm7");
    ASSERT_EQ(chmod(m_folder.path().c_str(), 0555), 0);
    internet.close();
    EXPECT_TRUE(internet.isVisible());
    ASSERT_EQ(m_errors.messages.size(), 1u);
    EXPECT_EQ(m_errors.messages[0], "Unable to write to " + m_settingsPath.string());
    chmod(m_folder.path().c_str(), 0755);
}

} // namespace
