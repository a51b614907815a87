// The Crash window: its ten targets write the five values of its table under
// HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Control\CrashControl and touch nothing else, and
// its hints. What every window shares (title, size, layout, comments mode, the error box) is
// tested once for all windows, from the window table.

#include "tests/behaviour/support/behaviour_fixture.h"

#include "sections/definitions.h"
#include "sections/plain_windows.h"

using namespace behaviour_testing;
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
const Hints kHints = {
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

class CrashWindowTest : public BehaviourFixture {
protected:
    void SetUp() override { open<TForm64>(sections::crashDefinition()); }
};

TEST_F(CrashWindowTest, EveryTargetWritesItsValueTheFirstCreatingTheKey)
{
    expectRowsCreateTheirKeys(kTable);
    seed(kMachine, kKey, kNewMachine);
    expectRowsWrite(kTable);
}

TEST_F(CrashWindowTest, TheHintsAndTheCaptionsThatAreNoTargets)
{
    expectHints(sections::crashDefinition(), kHints);
    for (const char* caption : {"Image7", "Image10", "Image2", "Image14", "Image4"})
        click(caption);
    EXPECT_EQ(keyValues(kMachine, kKey), std::nullopt);
}

} // namespace
