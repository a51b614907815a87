// The System window's list of top-level windows, on a fake desktop and fake process control:
// the line format, the list's order, the messages of "Zakończ", and the automatic refresh with
// its spin edit.

#include "tests/gui/support/gui_fixture.h"

#include "sections/system/spin_edit.h"
#include "sections/system/window_list.h"

#include <QFocusEvent>
#include <QListWidget>
#include <QPushButton>

using namespace gui_testing;

namespace {

QString blanks(int count)
{
    return QString(count, QLatin1Char(' '));
}

TEST(WindowListLine, FormatAndLimits)
{
    const QString long39 = QStringLiteral("abcdefghijklmnopqrstuvwxyz0123456789ABC");
    const QString polish39 = QString(39, QChar(u'ż'));
    const QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80");
    QString emoji39;
    for (int i = 0; i < 39; ++i)
        emoji39 += emoji;
    struct Case {
        core::TopLevelWindow window;
        QString line;
    };
    const std::vector<Case> cases = {
        {{1234, "Kalkulator", "SciCalc"}, QStringLiteral("1234") + blanks(8) + QStringLiteral("Kalkulator") + blanks(4) + QStringLiteral("SciCalc")},
        // No caption: 12 blanks between the id and the class.
        {{388, "", "Shell_TrayWnd"}, QStringLiteral("388") + blanks(12) + QStringLiteral("Shell_TrayWnd")},
        {{0, "", ""}, QStringLiteral("0") + blanks(12)},
        {{4294967295u, "a", "b"}, QStringLiteral("4294967295") + blanks(8) + QStringLiteral("a") + blanks(4) + QStringLiteral("b")},
        // At most 39 characters of each; a letter outside ASCII or the basic plane counts once.
        {{7, long39.toStdString(), (long39 + QStringLiteral("D")).toStdString()},
         QStringLiteral("7") + blanks(8) + long39 + blanks(4) + long39},
        {{7, (long39 + QStringLiteral("DEFGH")).toStdString(), "c"}, QStringLiteral("7") + blanks(8) + long39 + blanks(4) + QStringLiteral("c")},
        {{7, (polish39 + QStringLiteral("ó")).toStdString(), "c"}, QStringLiteral("7") + blanks(8) + polish39 + blanks(4) + QStringLiteral("c")},
        {{7, (emoji39 + emoji).toStdString(), "c"}, QStringLiteral("7") + blanks(8) + emoji39 + blanks(4) + QStringLiteral("c")},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(sections::windowListLine(c.window), c.line) << c.window.caption;
        EXPECT_EQ(sections::processIdOfLine(c.line), c.window.processId) << c.window.caption;
    }
    // More digits than any process id has read as none.
    EXPECT_EQ(sections::processIdOfLine(QStringLiteral("4294967296        a    b")), 0);
    EXPECT_EQ(sections::processIdOfLine(QStringLiteral("")), 0);
}

class WindowListTest : public GuiFixture {
protected:
    chrome::SectionWindow& system() { return section("TForm2"); }
    QListWidget& list() { return *system().findChild<QListWidget*>(QStringLiteral("ListBox1")); }
    SpinEdit& spin() { return *system().findChild<SpinEdit*>(QStringLiteral("CSpinEdit1")); }
    chrome::DesignTimer& timer1() { return *system().timer(QStringLiteral("Timer1")); }

    QStringList lines()
    {
        QStringList texts;
        for (int i = 0; i < list().count(); ++i)
            texts.push_back(list().item(i)->text());
        return texts;
    }

    void press(const char* button) { system().findChild<QPushButton*>(QString::fromLatin1(button))->click(); }

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

    bool refreshOn() { return !system().label(QStringLiteral("Label7"))->isHidden(); }
    bool refreshOff() { return !system().label(QStringLiteral("Label9"))->isHidden(); }
};

TEST_F(WindowListTest, FilledAtStartInCaseInsensitiveOrder)
{
    m_fakeDesktop.windows = {{388, "Zeta", "c"}, {1024, "Beta", "c"}, {5, "x", "c"}, {1024, "alfa", "c"}};
    start();
    const QStringList expected = {QStringLiteral("1024        alfa    c"), QStringLiteral("1024        Beta    c"),
                                  QStringLiteral("388        Zeta    c"), QStringLiteral("5        x    c")};
    EXPECT_EQ(lines(), expected);
    EXPECT_TRUE(refreshOff());
    EXPECT_FALSE(refreshOn());

    // "Odśwież" fills anew and keeps no selection; "Czyść listę" empties.
    select(2);
    m_fakeDesktop.windows.pop_back();
    press("Button1");
    EXPECT_EQ(lines().size(), 3);
    EXPECT_TRUE(list().selectedItems().isEmpty());
    press("Button2");
    EXPECT_TRUE(lines().isEmpty());
}

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
    EXPECT_EQ(m_messageBoxes.messages, (std::vector<std::string>{"Nie zaznaczono procesu", "Proces zamknięty.",
                                                          "Nie można otworzyć procesu.", "Nie można zamknąć procesu.",
                                                          "Nie zaznaczono procesu"}));
    EXPECT_EQ(m_fakeProcesses.ended, (std::vector<std::int64_t>{1024, 388, 77}));
    EXPECT_TRUE(m_errors.messages.empty());
}

TEST_F(WindowListTest, EndedProcessKeepsItsLineUntilTheNextRefill)
{
    m_fakeDesktop.windows = {{1024, "a", "c"}};
    start();
    m_fakeDesktop.windows.clear();
    select(0);
    press("Button3");
    runTimers(50);
    EXPECT_EQ(lines(), QStringList{QStringLiteral("1024        a    c")});
}

TEST_F(WindowListTest, AutomaticRefreshFollowsTheSwitchAndTheSpinEdit)
{
    start();
    runTimers(50);
    EXPECT_FALSE(timer1().isEnabled());
    EXPECT_TRUE(system().timer(QStringLiteral("Timer2"))->isWatcher());

    // A value outside 1..9 when switching on leaves the interval it had.
    type(QStringLiteral("0"));
    click(system(), QStringLiteral("Label4"));
    runTimers(50);
    EXPECT_TRUE(refreshOn());
    EXPECT_FALSE(refreshOff());
    EXPECT_TRUE(timer1().isEnabled());
    EXPECT_EQ(timer1().interval(), 100);

    type(QStringLiteral("9"));
    runTimers(50);
    EXPECT_EQ(timer1().interval(), 9000);
    type(QStringLiteral("12"));
    runTimers(50);
    EXPECT_EQ(timer1().interval(), 9000);
    // Text that is no number reads as 1.
    type(QStringLiteral("-"));
    runTimers(50);
    EXPECT_EQ(timer1().interval(), 1000);

    // It refills every second.
    const int before = m_fakeDesktop.queries;
    runTimers(1300);
    EXPECT_GE(m_fakeDesktop.queries, before + 1);

    click(system(), QStringLiteral("Label5"));
    runTimers(50);
    EXPECT_FALSE(timer1().isEnabled());
    EXPECT_TRUE(refreshOff());
    EXPECT_FALSE(refreshOn());
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
