// The Crash window: its ten targets write the five values of its table under
// HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Control\CrashControl and touch nothing else, its
// captions and hints, and a refused write on a read-only machine.

#include "tests/gui/support/gui_fixture.h"

#include <sys/stat.h>
#include <unistd.h>

using namespace gui_testing;
using core::RootKey;

namespace {

constexpr char kKey[] = "SYSTEM\\CurrentControlSet\\Control\\CrashControl";
constexpr RootKey kMachine = RootKey::LocalMachine;

const std::vector<RowWrite> kTable = {
    {"Image8", kMachine, kKey, "AutoReboot", dword(1)},       {"Image9", kMachine, kKey, "AutoReboot", dword(0)},
    {"Image11", kMachine, kKey, "SendAlert", dword(1)},       {"Image12", kMachine, kKey, "SendAlert", dword(0)},
    {"Image3", kMachine, kKey, "CrashDumpEnabled", dword(1)}, {"Image13", kMachine, kKey, "CrashDumpEnabled", dword(0)},
    {"Image15", kMachine, kKey, "LogEvent", dword(1)},        {"Image16", kMachine, kKey, "LogEvent", dword(0)},
    {"Image5", kMachine, kKey, "Overwrite", dword(1)},        {"Image17", kMachine, kKey, "Overwrite", dword(0)},
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

const std::vector<std::pair<const char*, const char*>> kHints = {
    {"Image7", "Konfiguruje, czy system Windows ma\nrestartować komputer podczas awarii krytycznej."},
    {"Image10", "Konfiguruje, czy system Windows ma\nwysyłać alerty administracyjne."},
    {"Image2", "Konfiguruje, czy system Windows ma\nzapisywać informację o debugowaniu."},
    {"Image14", "Konfiguruje, czy system Windows ma\nzapisywać zdarzenia do dziennika alertów."},
    {"Image4", "Konfiguruje, czy system Windows ma\nnadpisywać pliki z informacją o debugowaniu."},
    {"Image6", "Minimalizuj"},
    {"Image18", "Zamknij"},
};

// The key as a new machine has it, so that untouched values can be seen to stay.
const Values kNewMachine = {{"AutoReboot", dword(1)},
                            {"LogEvent", dword(1)},
                            {"Overwrite", dword(1)},
                            {"SendAlert", dword(1)},
                            {"CrashDumpEnabled", dword(3)},
                            {"DumpFile", text(u"%SystemRoot%\\MEMORY.DMP")},
                            {"MinidumpDir", text(u"%SystemRoot%\\Minidump")}};

class CrashSectionTest : public GuiFixture {
protected:
    chrome::SectionWindow& openCrash()
    {
        start();
        click(mainWindow(), "Image9");
        runTimers();
        return section("TForm64");
    }
};

TEST_F(CrashSectionTest, EveryTargetWritesItsValueTheFirstCreatingTheKey)
{
    chrome::SectionWindow& crash = openCrash();
    click(crash, "Image13");
    EXPECT_EQ(keyValues(kMachine, kKey), (Values{{"CrashDumpEnabled", dword(0)}}));
    seed(kMachine, kKey, kNewMachine);
    const QImage screen = crash.grab().toImage();
    expectRowsWrite(crash, kTable);
    EXPECT_EQ(crash.grab().toImage(), screen);
}

TEST_F(CrashSectionTest, CaptionsWithTheirTargetsSideBySideDirectlyBelowAndTheHints)
{
    chrome::SectionWindow& crash = openCrash();
    EXPECT_EQ(crash.windowTitle(), QStringLiteral("Awaria"));
    EXPECT_EQ(crash.size(), QSize(460, 253));
    expectHints(crash, kHints);
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
        // A caption picture is not clickable.
        click(crash, QString::fromLatin1(box.caption));
    }
    EXPECT_EQ(keyValues(kMachine, kKey), std::nullopt);
}

// A click on a machine whose system.reg is read-only shows the registry's error, and the window
// stays open. Runs as an ordinary user (root may write anywhere); ctest starts it so when the
// build is root's.
TEST_F(CrashSectionTest, ReadOnlyMachine)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root ignores file permissions";
    chrome::SectionWindow& crash = openCrash();
    seed(kMachine, kKey, kNewMachine);
    const std::filesystem::path hive = m_folder / "machine" / "system.reg";
    ASSERT_EQ(chmod(hive.c_str(), 0444), 0);
    const std::string before = testing_support::readText(hive);
    click(crash, "Image8");
    click(crash, "Image16");
    EXPECT_EQ(m_errors.messages,
              (std::vector<std::string>{"Failed to set data for 'AutoReboot'", "Failed to set data for 'LogEvent'"}));
    EXPECT_EQ(testing_support::readText(hive), before);
    EXPECT_TRUE(crash.isVisible());
}

} // namespace
