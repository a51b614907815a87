// The Folders window: the five Explorer options write into a key that must already exist, the
// video preview makes or removes its key of HKEY_CLASSES_ROOT, and its hints.

#include "tests/behaviour/support/behaviour_fixture.h"

#include "sections/definitions.h"
#include "sections/plain_windows.h"

#include "core/registry/tregistry.h"

using namespace behaviour_testing;
using core::RootKey;

namespace {

constexpr char kAdvanced[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced";
constexpr char kPreview[] = ".mpg\\ShellEx\\{BB2E617C-0920-11d1-9A0B-00C04FC2D6C2}";
constexpr char kPreviewValue[] = "{c5a40261-cd64-4ccf-84cb-c394da41d590}";

constexpr RootKey kUser = RootKey::CurrentUser;
const std::vector<RowWrite> kAdvancedTable = {
    {"Image12", kUser, kAdvanced, "WebView", dword(1)},
    {"Image13", kUser, kAdvanced, "WebView", dword(0)},
    {"Image15", kUser, kAdvanced, "Hidden", dword(1)},
    {"Image16", kUser, kAdvanced, "Hidden", dword(0)},
    {"Image18", kUser, kAdvanced, "ShowSuperHidden", dword(1)},
    {"Image19", kUser, kAdvanced, "ShowSuperHidden", dword(0)},
    {"Image21", kUser, kAdvanced, "ShowInfoTip", dword(1)},
    {"Image22", kUser, kAdvanced, "ShowInfoTip", dword(0)},
    {"Image24", kUser, kAdvanced, "ListviewAlphaSelect", dword(0)},
    {"Image25", kUser, kAdvanced, "ListviewAlphaSelect", dword(1)},
};

const Hints kHints = {
    {"Image2",
     "Włącza lub wyłącza podgląd plików wideo, znajdujący się\npo lewej stronie ekranu (Zakładka szczegóły)."},
    {"Image11", "Włącza lub wyłącza popularne zadania dla plików i folderów\n(Lewa strona ekranu)."},
    {"Image14", "Pokazuje lub ukrywa pliki i foldery ukryte."},
    {"Image17", "Pokazuje lub ukrywa pliki i foldery systemowe."},
    {"Image20", "Włącza lub wyłącza szczegółową informację o pliku\n(Dłuższe przytrzymanie kursora na pliku)."},
    {"Image23", "Włącza przezroczyste (Białe) lub\nniebieskie zaznaczanie plików."},
    {"Image26", "Minimalizuj"},
    {"Image27", "Zamknij"},
};

class FoldersWindowTest : public BehaviourFixture {
protected:
    void SetUp() override { open<TForm18>(sections::foldersDefinition()); }
};

TEST_F(FoldersWindowTest, EveryTargetChangesTheRegistryAsItsRowSays)
{
    expectHints(sections::foldersDefinition(), kHints);

    expectRowsNeedTheirKeys(kAdvancedTable);
    seed(kUser, kAdvanced, {{"TaskbarAnimations", dword(1)}});
    expectRowsWrite(kAdvancedTable);
    EXPECT_EQ(keyValues(kUser, kAdvanced)->at("TaskbarAnimations"), dword(1));

    // The video preview: "Wyłącz" without the key, "Włącz" twice, "Wyłącz" with a subkey in it.
    click("Image10");
    EXPECT_EQ(keyValues(RootKey::ClassesRoot, kPreview), std::nullopt);
    EXPECT_EQ(keyValues(RootKey::ClassesRoot, ".mpg\\ShellEx"), Values{});
    for (int round = 0; round < 2; ++round) {
        click("Image9");
        EXPECT_EQ(keyValues(RootKey::ClassesRoot, kPreview), (Values{{kPreviewValue, dword(1)}}));
    }
    // The classes root is the machine's Software\Classes.
    EXPECT_EQ(keyValues(RootKey::LocalMachine, std::string("Software\\Classes\\") + kPreview),
              (Values{{kPreviewValue, dword(1)}}));
    {
        core::TRegistry registry(m_machineRegistry);
        registry.SetRootKey(RootKey::ClassesRoot);
        ASSERT_TRUE(registry.OpenKey(std::string(kPreview) + "\\Inner", true));
    }
    click("Image10");
    EXPECT_EQ(keyValues(RootKey::ClassesRoot, kPreview), std::nullopt);
    EXPECT_EQ(keyValues(RootKey::ClassesRoot, ".mpg\\ShellEx"), Values{});
    EXPECT_EQ(keyValues(RootKey::ClassesRoot, ".mpg"), Values{});
    EXPECT_TRUE(m_errors.messages.empty());
    EXPECT_TRUE(m_commands.empty());
}

} // namespace
