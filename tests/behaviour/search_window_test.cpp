// The Search window: every target writes its one value under HKEY_CURRENT_USER into a key that
// must already exist, and its hints.

#include "tests/behaviour/support/behaviour_fixture.h"

#include "sections/definitions.h"
#include "sections/plain_windows.h"

using namespace behaviour_testing;
using core::RootKey;

namespace {

constexpr char kExplorer[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer";
constexpr char kCabinet[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\CabinetState";

constexpr RootKey kUser = RootKey::CurrentUser;
const std::vector<RowWrite> kTable = {
    {"Image3", kUser, kCabinet, "Use Search Asst", text(u"yes")},
    {"Image4", kUser, kCabinet, "Use Search Asst", text(u"no")},
    {"Image6", kUser, kExplorer, "SearchHidden", dword(1)},
    {"Image7", kUser, kExplorer, "SearchHidden", dword(0)},
    {"Image9", kUser, kExplorer, "IncludeSubFolders", dword(1)},
    {"Image10", kUser, kExplorer, "IncludeSubFolders", dword(0)},
    {"Image12", kUser, kExplorer, "SearchSystemDirs", dword(1)},
    {"Image13", kUser, kExplorer, "SearchSystemDirs", dword(0)},
};

const Hints kHints = {
    {"Image2", "Konfiguruje, w jakim stylu ma\nbyć wyświetlane okno wyszukiwania."},
    {"Image5", "Włącza lub wyłącza przeszukiwanie plików ukrytych.\nNiezbędne zaznaczenie \"Opcje zaawansowane\"."},
    {"Image8", "Włącza lub wyłącza przeszukiwanie podkatalogów.\nNiezbędne zaznaczenie \"Opcje zaawansowane\"."},
    {"Image11",
     "Włącza lub wyłącza przeszukiwanie folderów systemowych.\nNiezbędne zaznaczenie \"Opcje zaawansowane\"."},
    {"Image14", "Minimalizuj"},
    {"Image15", "Zamknij"},
};

class SearchWindowTest : public BehaviourFixture {
protected:
    void SetUp() override { open<TForm13>(sections::searchDefinition()); }
};

TEST_F(SearchWindowTest, EveryTargetWritesItsValueOnlyIntoAnExistingKey)
{
    expectHints(sections::searchDefinition(), kHints);

    expectRowsNeedTheirKeys(kTable);
    seed(kUser, kCabinet, {{"Settings", text(u"kept")}});
    seed(kUser, kExplorer);
    expectRowsWrite(kTable);
    EXPECT_EQ(keyValues(kUser, kCabinet), (Values{{"Settings", text(u"kept")}, {"Use Search Asst", text(u"no")}}));
}

} // namespace
