// The Crash window: its ten targets write the five values of its table under
// HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Control\CrashControl and touch nothing else, and
// its hints. What every window shares (title, size, layout, comments mode, the error box) is
// tested once for all windows, from the window table.

#include "tests/gui/support/gui_fixture.h"

using namespace gui_testing;
using core::RootKey;

namespace {

constexpr char kKey[] = "SYSTEM\\CurrentControlSet\\Control\\CrashControl";
constexpr RootKey kMachine = RootKey::LocalMachine;

const std::vector<RowWrite> kTable = switchRows(kMachine, kKey,
                                                {{"Image8", "Image9", "AutoReboot", dword(1), dword(0)},
                                                 {"Image11", "Image12", "SendAlert", dword(1), dword(0)},
                                                 {"Image3", "Image13", "CrashDumpEnabled", dword(1), dword(0)},
                                                 {"Image15", "Image16", "LogEvent", dword(1), dword(0)},
                                                 {"Image5", "Image17", "Overwrite", dword(1), dword(0)}});

// In the order comments mode switches them on: the five captions, then the corners.
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

class CrashSectionTest : public GuiFixture {};

TEST_F(CrashSectionTest, EveryTargetWritesItsValueTheFirstCreatingTheKey)
{
    chrome::SectionWindow& crash = openSection("TForm64");
    expectRowsCreateTheirKeys(crash, kTable);
    seed(kMachine, kKey, kNewMachine);
    const QImage screen = crash.grab().toImage();
    expectRowsWrite(crash, kTable);
    EXPECT_EQ(crash.grab().toImage(), screen);
}

TEST_F(CrashSectionTest, TheHintsAndTheCaptionsInTheirPlacesThatAreNoTargets)
{
    chrome::SectionWindow& crash = openSection("TForm64");
    expectHints(crash, kHints);
    // The captions at their places; a caption is no target.
    const std::pair<const char*, QPoint> captions[] = {{"Image7", {122, 28}},
                                                       {"Image10", {292, 28}},
                                                       {"Image2", {122, 109}},
                                                       {"Image14", {292, 109}},
                                                       {"Image4", {123, 191}}};
    for (const auto& [caption, place] : captions) {
        EXPECT_EQ(crash.picture(caption)->pos(), place) << caption;
        click(crash, caption);
    }
    EXPECT_EQ(keyValues(kMachine, kKey), std::nullopt);
}

} // namespace
