// The Search window: every target writes its one value under HKEY_CURRENT_USER into a key that
// must already exist, and its hints.

#include "tests/gui/support/gui_fixture.h"

#include "core/registry/tregistry.h"
#include "core/registry/value_data.h"

using namespace gui_testing;
using core::RootKey;

namespace {

constexpr char kExplorer[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer";
constexpr char kCabinet[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\CabinetState";

struct Row {
    const char* target;
    const char* key;
    const char* value;
    Value data;
};
const std::vector<Row> kTable = {
    {"Image3", kCabinet, "Use Search Asst", text(u"yes")},  {"Image4", kCabinet, "Use Search Asst", text(u"no")},
    {"Image6", kExplorer, "SearchHidden", dword(1)},         {"Image7", kExplorer, "SearchHidden", dword(0)},
    {"Image9", kExplorer, "IncludeSubFolders", dword(1)},    {"Image10", kExplorer, "IncludeSubFolders", dword(0)},
    {"Image12", kExplorer, "SearchSystemDirs", dword(1)},    {"Image13", kExplorer, "SearchSystemDirs", dword(0)},
};

const std::vector<std::pair<const char*, const char*>> kHints = {
    {"Image2", "Konfiguruje, w jakim stylu ma\nbyć wyświetlane okno wyszukiwania."},
    {"Image5", "Włącza lub wyłącza przeszukiwanie plików ukrytych.\nNiezbędne zaznaczenie \"Opcje zaawansowane\"."},
    {"Image8", "Włącza lub wyłącza przeszukiwanie podkatalogów.\nNiezbędne zaznaczenie \"Opcje zaawansowane\"."},
    {"Image11",
     "Włącza lub wyłącza przeszukiwanie folderów systemowych.\nNiezbędne zaznaczenie \"Opcje zaawansowane\"."},
    {"Image14", "Minimalizuj"},
    {"Image15", "Zamknij"},
};

class SearchSectionTest : public GuiFixture {
};

TEST_F(SearchSectionTest, EveryTargetWritesItsValueOnlyIntoAnExistingKey)
{
    start();
    click(mainWindow(), QStringLiteral("Image4"));
    runTimers();
    chrome::SectionWindow& search = section("TForm13");
    EXPECT_EQ(search.windowTitle(), QStringLiteral("Wyszukiwanie"));
    EXPECT_EQ(search.size(), QSize(460, 224));
    expectHints(search, kHints);

    // A new machine: the keys are not created, the write's error reaches the error box.
    for (const Row& row : kTable) {
        m_errors.messages.clear();
        click(search, QString::fromLatin1(row.target));
        EXPECT_EQ(keyValues(RootKey::CurrentUser, row.key), std::nullopt) << row.target;
        EXPECT_EQ(m_errors.messages, std::vector<std::string>{std::string("Failed to set data for '") + row.value + "'"})
            << row.target;
        EXPECT_TRUE(search.picture(QString::fromLatin1(row.target))->toolTip().isEmpty()) << row.target;
    }

    // With the keys there: each click writes again, whatever the value holds, and nothing else.
    m_errors.messages.clear();
    {
        core::TRegistry registry(m_registry);
        registry.SetRootKey(RootKey::CurrentUser);
        ASSERT_TRUE(registry.OpenKey(kCabinet, true));
        registry.WriteString("Settings", "kept");
    }
    for (const Row& row : kTable) {
        SCOPED_TRACE(row.target);
        Values explorer = *keyValues(RootKey::CurrentUser, kExplorer);
        Values cabinet = *keyValues(RootKey::CurrentUser, kCabinet);
        (row.key == kCabinet ? cabinet : explorer)[row.value] = row.data;
        click(search, QString::fromLatin1(row.target));
        EXPECT_EQ(keyValues(RootKey::CurrentUser, kExplorer), explorer);
        EXPECT_EQ(keyValues(RootKey::CurrentUser, kCabinet), cabinet);
    }
    EXPECT_EQ(keyValues(RootKey::CurrentUser, kCabinet),
              (Values{{"Settings", text(u"kept")}, {"Use Search Asst", text(u"no")}}));
    EXPECT_EQ(keyValues(RootKey::CurrentUser, kExplorer),
              (Values{{"SearchHidden", dword(0)}, {"IncludeSubFolders", dword(0)}, {"SearchSystemDirs", dword(0)}}));
    EXPECT_TRUE(m_errors.messages.empty());
    EXPECT_TRUE(m_commands.empty());
}

} // namespace
