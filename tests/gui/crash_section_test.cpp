// The Crash window: its ten targets write the five values of its table under
// HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Control\CrashControl and touch nothing else, a
// refused write shows in the error box while the window stays usable, and comments mode.

#include "tests/gui/support/gui_fixture.h"

#include "app/application.h"

#include "core/registry/tregistry.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <map>
#include <sys/stat.h>
#include <unistd.h>

using namespace gui_testing;
using core::RootKey;

namespace {

constexpr char kKey[] = "SYSTEM\\CurrentControlSet\\Control\\CrashControl";

// The option table of the Crash window: target, value name, DWORD written.
struct Row {
    const char* target;
    const char* value;
    std::uint32_t data;
};
const std::vector<Row> kTable = {
    {"Image8", "AutoReboot", 1},        {"Image9", "AutoReboot", 0},  {"Image11", "SendAlert", 1},
    {"Image12", "SendAlert", 0},        {"Image3", "CrashDumpEnabled", 1}, {"Image13", "CrashDumpEnabled", 0},
    {"Image15", "LogEvent", 1},         {"Image16", "LogEvent", 0},   {"Image5", "Overwrite", 1},
    {"Image17", "Overwrite", 0},
};

// The caption pictures with their places, enable and disable targets.
struct Box {
    const char* caption;
    QPoint place;
    const char* enable;
    const char* disable;
};
const std::vector<Box> kBoxes = {
    {"Image7", {122, 28}, "Image8", "Image9"},   {"Image10", {292, 28}, "Image11", "Image12"},
    {"Image2", {122, 109}, "Image3", "Image13"}, {"Image14", {292, 109}, "Image15", "Image16"},
    {"Image4", {123, 191}, "Image5", "Image17"},
};

// The hints of comments mode, in the order it switches them.
const std::vector<std::pair<const char*, const char*>> kHints = {
    {"Image7", "Konfiguruje, czy system Windows ma\nrestartować komputer podczas awarii krytycznej."},
    {"Image10", "Konfiguruje, czy system Windows ma\nwysyłać alerty administracyjne."},
    {"Image2", "Konfiguruje, czy system Windows ma\nzapisywać informację o debugowaniu."},
    {"Image14", "Konfiguruje, czy system Windows ma\nzapisywać zdarzenia do dziennika alertów."},
    {"Image4", "Konfiguruje, czy system Windows ma\nnadpisywać pliki z informacją o debugowaniu."},
    {"Image6", "Minimalizuj"},
    {"Image18", "Zamknij"},
};

class CrashSectionTest : public GuiFixture {
protected:
    chrome::SectionWindow& openCrash()
    {
        click(mainWindow(), "Image9");
        runTimers();
        return section("TForm64");
    }

    std::optional<Values> values() { return keyValues(RootKey::LocalMachine, kKey); }

    void put(const std::string& name, std::int32_t value)
    {
        core::TRegistry registry(m_registry);
        registry.SetRootKey(RootKey::LocalMachine);
        ASSERT_TRUE(registry.OpenKey(kKey, true));
        registry.WriteInteger(name, value);
    }

    // The key as a new machine has it, so that untouched values can be seen to stay.
    void seedKey()
    {
        core::TRegistry registry(m_registry);
        registry.SetRootKey(RootKey::LocalMachine);
        ASSERT_TRUE(registry.OpenKey(kKey, true));
        for (const char* name : {"AutoReboot", "LogEvent", "Overwrite", "SendAlert"})
            registry.WriteInteger(name, 1);
        registry.WriteInteger("CrashDumpEnabled", 3);
        registry.WriteString("DumpFile", "%SystemRoot%\\MEMORY.DMP");
        registry.WriteString("MinidumpDir", "%SystemRoot%\\Minidump");
    }
};

TEST_F(CrashSectionTest, EveryTargetWritesItsValueAgainAndTouchesNothingElse)
{
    start();
    seedKey();
    chrome::SectionWindow& crash = openCrash();
    const QImage screen = crash.grab().toImage();
    for (const Row& row : kTable) {
        SCOPED_TRACE(row.target);
        // Each click writes, whatever the value holds: a value set elsewhere is overwritten.
        for (int round = 0; round < 2; ++round) {
            put(row.value, 7);
            Values expected = *values();
            expected[row.value] = dword(row.data);
            click(crash, row.target);
            EXPECT_EQ(values(), expected);
        }
        // Nothing on screen changes.
        EXPECT_EQ(crash.grab().toImage(), screen);
    }
    EXPECT_TRUE(crash.isVisible());
    EXPECT_TRUE(m_errors.messages.empty());
    EXPECT_TRUE(m_commands.empty());
}

TEST_F(CrashSectionTest, TheFirstClickCreatesAMissingKey)
{
    start();
    ASSERT_EQ(values(), std::nullopt);
    chrome::SectionWindow& crash = openCrash();
    click(crash, "Image13");
    EXPECT_EQ(values(), (Values{{"CrashDumpEnabled", dword(0)}}));
    EXPECT_TRUE(m_errors.messages.empty());
}

TEST_F(CrashSectionTest, CaptionsWithTheirTargetsSideBySideDirectlyBelow)
{
    start();
    chrome::SectionWindow& crash = openCrash();
    EXPECT_STREQ(crash.metaObject()->className(), "TForm64");
    EXPECT_EQ(crash.windowTitle(), QStringLiteral("Awaria"));
    EXPECT_EQ(crash.size(), QSize(460, 253));
    for (const Box& box : kBoxes) {
        SCOPED_TRACE(box.caption);
        const QRect caption = crash.picture(QString::fromLatin1(box.caption))->geometry();
        const QRect enable = crash.picture(QString::fromLatin1(box.enable))->geometry();
        const QRect disable = crash.picture(QString::fromLatin1(box.disable))->geometry();
        EXPECT_EQ(caption.topLeft(), box.place);
        EXPECT_EQ(enable.top(), caption.bottom() + 1);
        EXPECT_EQ(disable.top(), caption.bottom() + 1);
        EXPECT_EQ(enable.left(), caption.left());
        EXPECT_EQ(disable.left(), enable.right() + 1);
        EXPECT_EQ(disable.right(), caption.right());
        EXPECT_EQ(crash.picture(QString::fromLatin1(box.enable))->cursor().shape(), Qt::PointingHandCursor);
        EXPECT_EQ(crash.picture(QString::fromLatin1(box.disable))->cursor().shape(), Qt::PointingHandCursor);
        EXPECT_NE(crash.picture(QString::fromLatin1(box.caption))->cursor().shape(), Qt::PointingHandCursor);
        // A caption picture is not clickable.
        click(crash, QString::fromLatin1(box.caption));
    }
    EXPECT_EQ(values(), std::nullopt);
    EXPECT_TRUE(m_errors.messages.empty());
}

TEST_F(CrashSectionTest, CommentsAreOnWhenTheSettingIsMissing)
{
    start();
    chrome::SectionWindow& crash = openCrash();
    std::vector<chrome::Hint> order;
    for (const auto& [control, text] : kHints) {
        order.push_back({control, text});
        QWidget* hinted = crash.picture(QString::fromLatin1(control));
        ASSERT_NE(hinted, nullptr) << control;
        EXPECT_TRUE(chrome::hintShown(*hinted)) << control;
        EXPECT_EQ(hinted->toolTip(), QString::fromUtf8(text)) << control;
    }
    ASSERT_EQ(crash.definition().hints.size(), order.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        EXPECT_EQ(crash.definition().hints[i].control, order[i].control);
    for (const Row& row : kTable) {
        EXPECT_TRUE(crash.picture(QString::fromLatin1(row.target))->toolTip().isEmpty()) << row.target;
        EXPECT_FALSE(chrome::hintShown(*crash.picture(QString::fromLatin1(row.target)))) << row.target;
    }
    EXPECT_FALSE(crash.label("Label2")->isHidden());
    EXPECT_TRUE(crash.label("Label3")->isHidden());
    EXPECT_EQ(crash.label("Label4")->text(), QStringLiteral("Tak"));
}

TEST_F(CrashSectionTest, CommentsStayOffWhenSwitchedOffAgain)
{
    writeSettings("[Awaria]\r\nKomentarze=Nie\r\n");
    start();
    chrome::SectionWindow& crash = openCrash();
    for (int press = 0; press < 2; ++press) {
        for (const auto& [control, text] : kHints)
            EXPECT_FALSE(chrome::hintShown(*crash.picture(QString::fromLatin1(control)))) << control;
        EXPECT_TRUE(crash.label("Label2")->isHidden());
        EXPECT_FALSE(crash.label("Label3")->isHidden());
        EXPECT_EQ(crash.label("Label4")->text(), QStringLiteral("Nie"));
        click(crash, "Label9"); // "Wyłącz komentarze" while already off
        runTimers();
    }
    click(crash, "Label8");
    runTimers();
    EXPECT_TRUE(chrome::hintShown(*crash.picture("Image7")));
    EXPECT_EQ(crash.label("Label4")->text(), QStringLiteral("Tak"));
}

// A click on a machine whose system.reg is read-only shows the registry's error in the error box,
// and the window stays open and usable. Runs as an ordinary user (root may write anywhere);
// ctest starts it so when the build is root's.
TEST_F(CrashSectionTest, ReadOnlyMachine)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root ignores file permissions";
    start();
    seedKey();
    const std::filesystem::path hive = m_folder / "machine" / "system.reg";
    ASSERT_EQ(chmod(hive.c_str(), 0444), 0);
    const std::string before = testing_support::readText(hive);
    chrome::SectionWindow& crash = openCrash();

    click(crash, "Image8");
    ASSERT_EQ(m_errors.messages.size(), 1u);
    EXPECT_EQ(m_errors.messages[0], "Failed to set data for 'AutoReboot'");
    // What the program's error box shows of it.
    QString text, title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto* shown = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            text = shown->text();
            title = shown->windowTitle();
            icon = shown->icon();
            EXPECT_EQ(shown->standardButtons(), QMessageBox::Ok);
            shown->accept();
        }
    });
    poll.start(10);
    app::ErrorBox().report(m_errors.messages[0]);
    EXPECT_EQ(text, QStringLiteral("Failed to set data for 'AutoReboot'."));
    EXPECT_EQ(title, QStringLiteral("Kwintor Dostrojnik 2004"));
    EXPECT_EQ(icon, QMessageBox::Critical);
    click(crash, "Image16");
    ASSERT_EQ(m_errors.messages.size(), 2u);
    EXPECT_EQ(m_errors.messages[1], "Failed to set data for 'LogEvent'");
    EXPECT_EQ(testing_support::readText(hive), before);

    // The window stays open and usable.
    EXPECT_TRUE(crash.isVisible());
    click(crash, "Label9");
    runTimers();
    EXPECT_EQ(crash.label("Label4")->text(), QStringLiteral("Nie"));
    click(crash, "Image18");
    EXPECT_FALSE(crash.isVisible());
    EXPECT_EQ(m_errors.messages.size(), 2u);
}

} // namespace
