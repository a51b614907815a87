// The Internet window as Qt shows it: every key let go in its edit boxes reaches the window, as a
// letter typed or a key that changes nothing. Its rows, loaders, remover and hints are tested on
// the fake front end.

#include "tests/gui/support/gui_fixture.h"

#include <QLineEdit>

using namespace gui_testing;

namespace {

constexpr char kMain[] = "Software\\Microsoft\\Internet Explorer\\Main";

class InternetSectionTest : public GuiFixture {};

TEST_F(InternetSectionTest, EveryKeyReleasedInAnEditBoxStoresItsText)
{
    chrome::SectionWindow& internet = openSection("TForm7");
    runTimers(1000); // the loaders have filled the boxes (empty on a new machine)
    auto& edit = *internet.findChild<QLineEdit*>(QStringLiteral("Edit1"));
    for (const Qt::Key key : {Qt::Key_W, Qt::Key_Left, Qt::Key_Shift}) {
        seed(core::RootKey::CurrentUser, kMain, {{"Start Page", text(u"x")}});
        QTest::keyClick(&edit, key);
        EXPECT_EQ(edit.text(), QStringLiteral("w")) << int(key);
        EXPECT_EQ(keyValues(core::RootKey::CurrentUser, kMain), (Values{{"Start Page", text(u"w")}})) << int(key);
    }
    EXPECT_TRUE(m_errors.messages.empty());
}

} // namespace
