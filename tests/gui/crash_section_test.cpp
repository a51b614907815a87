// The Crash window as Qt shows it: its captions at their places, and its look unchanged by
// the writes of its targets. Its rows and hints are tested on the fake front end.

#include "tests/gui/support/gui_fixture.h"

using namespace gui_testing;

namespace {

class CrashSectionTest : public GuiFixture {};

TEST_F(CrashSectionTest, TheCaptionsInTheirPlacesAndTheLookStaysAfterTheWrites)
{
    chrome::SectionWindow& crash = openSection("TForm64");
    const std::pair<const char*, QPoint> captions[] = {{"Image7", {122, 28}},
                                                       {"Image10", {292, 28}},
                                                       {"Image2", {122, 109}},
                                                       {"Image14", {292, 109}},
                                                       {"Image4", {123, 191}}};
    for (const auto& [caption, place] : captions)
        EXPECT_EQ(crash.picture(caption)->pos(), place) << caption;
    seed(core::RootKey::LocalMachine, "SYSTEM\\CurrentControlSet\\Control\\CrashControl");
    const QImage screen = crash.grab().toImage();
    for (const char* target :
         {"Image8", "Image9", "Image11", "Image12", "Image3", "Image13", "Image15", "Image16", "Image5", "Image17"})
        click(crash, target);
    EXPECT_EQ(crash.grab().toImage(), screen);
    EXPECT_TRUE(m_errors.messages.empty());
}

} // namespace
