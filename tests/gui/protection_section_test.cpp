// The Protection window as Qt shows it: its way to the File compatibility window, a hand over
// it, shows that window as it is. Its list, rows and hints are tested on the fake front end.

#include "tests/gui/support/gui_fixture.h"

using namespace gui_testing;

namespace {

class ProtectionSectionTest : public GuiFixture {};

TEST_F(ProtectionSectionTest, TheFileCompatibilityWindowIsShownAsItIs)
{
    chrome::SectionWindow& protection = openSection("TForm4");
    chrome::SectionWindow& fileCompatibility = section("TForm9");
    click(fileCompatibility, QStringLiteral("Strona23")); // comments off
    runTimers();
    ASSERT_EQ(fileCompatibility.commentsLabel()->text(), QStringLiteral("Nie"));
    click(protection, QStringLiteral("Image12"));
    EXPECT_TRUE(fileCompatibility.isVisible());
    EXPECT_FALSE(fileCompatibility.commentsOnTimer()->isEnabled());
    runTimers();
    EXPECT_EQ(fileCompatibility.commentsLabel()->text(), QStringLiteral("Nie"));
    EXPECT_EQ(protection.picture(QStringLiteral("Image12"))->cursor().shape(), Qt::PointingHandCursor);
}

} // namespace
