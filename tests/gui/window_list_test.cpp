// The System window's list of top-level windows on Qt, on a fake desktop and fake process
// control: the messages of "Zakończ" for the selected line, and the spin edit's field.

#include "tests/gui/support/gui_fixture.h"

#include "ui/qt/spin_edit.h"

#include <QFocusEvent>
#include <QListWidget>
#include <QPushButton>

using namespace gui_testing;

namespace {

class WindowListTest : public GuiFixture {
protected:
    chrome::SectionWindow& system() { return section("TForm2"); }
    QListWidget& list() { return widget<QListWidget>(system(), QStringLiteral("ListBox1")); }
    ui::qt::SpinBox& spin() { return widget<ui::qt::SpinBox>(system(), QStringLiteral("CSpinEdit1")); }

    void press(const char* button) { widget<QPushButton>(system(), QString::fromLatin1(button)).click(); }

    void select(int row) { list().item(row)->setSelected(true); }

    // Types into the spin edit as a user does, over what it holds.
    void type(const QString& text)
    {
        spin().selectAll();
        QTest::keyClick(&spin(), Qt::Key_Delete);
        QTest::keyClicks(&spin(), text);
    }

    void leaveSpin()
    {
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(&spin(), &out);
    }
};

TEST_F(WindowListTest, EndingTheSelectedProcess)
{
    m_fakeDesktop.windows = {{1024, "a", "c"}, {388, "b", "c"}, {77, "d", "c"}};
    m_fakeProcesses.results[388] = core::EndProcess::NotOpened;
    m_fakeProcesses.results[77] = core::EndProcess::NotEnded;
    start();
    press("Button3");
    select(0);
    press("Button3");
    select(1);
    press("Button3");
    select(2);
    press("Button3");
    press("Button2");
    press("Button3");
    EXPECT_EQ(m_messageBoxes.messages,
              (std::vector<std::string>{"Nie zaznaczono procesu", "Proces zamknięty.", "Nie można otworzyć procesu.",
                                        "Nie można zamknąć procesu.", "Nie zaznaczono procesu"}));
    EXPECT_EQ(m_fakeProcesses.ended, (std::vector<std::int64_t>{1024, 388, 77}));
    EXPECT_TRUE(m_errors.messages.empty());
}

TEST_F(WindowListTest, SpinEditKeepsOneToNine)
{
    start();
    EXPECT_EQ(spin().value(), 5);
    struct Case {
        QString typed;
        int key; // 0: the field loses the focus instead
        QString shown;
    };
    const std::vector<Case> cases = {
        {QStringLiteral("9"), Qt::Key_Up, QStringLiteral("9")},
        {QStringLiteral("1"), Qt::Key_Down, QStringLiteral("1")},
        {QStringLiteral("4"), Qt::Key_Up, QStringLiteral("5")},
        {QStringLiteral("12"), Qt::Key_Up, QStringLiteral("9")},
        {QStringLiteral("12"), 0, QStringLiteral("9")},
        {QStringLiteral("0"), 0, QStringLiteral("1")},
        {QStringLiteral("-"), Qt::Key_Up, QStringLiteral("2")},
        {QStringLiteral("3a"), 0, QStringLiteral("3")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        type(c.typed);
        if (c.key)
            QTest::keyClick(&spin(), Qt::Key(c.key));
        else
            leaveSpin();
        EXPECT_EQ(spin().text(), c.shown);
    }
}

} // namespace
