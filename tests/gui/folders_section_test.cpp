// The Folders window: the five Explorer options write into a key that must already exist, the
// video preview makes or removes its key of HKEY_CLASSES_ROOT, and its hints.

#include "tests/gui/support/gui_fixture.h"

#include "core/registry/tregistry.h"

using namespace gui_testing;
using core::RootKey;

namespace {

constexpr char kAdvanced[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced";
constexpr char kPreview[] = ".mpg\\ShellEx\\{BB2E617C-0920-11d1-9A0B-00C04FC2D6C2}";
constexpr char kPreviewValue[] = "{c5a40261-cd64-4ccf-84cb-c394da41d590}";

const std::vector<std::tuple<const char*, const char*, std::uint32_t>> kAdvancedTable = {
    {"Image12", "WebView", 1},         {"Image13", "WebView", 0},
    {"Image15", "Hidden", 1},          {"Image16", "Hidden", 0},
    {"Image18", "ShowSuperHidden", 1}, {"Image19", "ShowSuperHidden", 0},
    {"Image21", "ShowInfoTip", 1},     {"Image22", "ShowInfoTip", 0},
    {"Image24", "ListviewAlphaSelect", 0}, {"Image25", "ListviewAlphaSelect", 1},
};

const std::vector<std::pair<const char*, const char*>> kHints = {
    {"Image2", "Włącza lub wyłącza podgląd plików wideo, znajdujący się\npo lewej stronie ekranu (Zakładka szczegóły)."},
    {"Image11", "Włącza lub wyłącza popularne zadania dla plików i folderów\n(Lewa strona ekranu)."},
    {"Image14", "Pokazuje lub ukrywa pliki i foldery ukryte."},
    {"Image17", "Pokazuje lub ukrywa pliki i foldery systemowe."},
    {"Image20", "Włącza lub wyłącza szczegółową informację o pliku\n(Dłuższe przytrzymanie kursora na pliku)."},
    {"Image23", "Włącza przezroczyste (Białe) lub\nniebieskie zaznaczanie plików."},
    {"Image26", "Minimalizuj"},
    {"Image27", "Zamknij"},
};

class FoldersSectionTest : public GuiFixture {
};

TEST_F(FoldersSectionTest, EveryTargetChangesTheRegistryAsItsRowSays)
{
    start();
    click(mainWindow(), QStringLiteral("Image6"));
    runTimers();
    chrome::SectionWindow& folders = section("TForm18");
    EXPECT_EQ(folders.windowTitle(), QStringLiteral("Foldery"));
    EXPECT_EQ(folders.size(), QSize(460, 274));
    expectHints(folders, kHints);

    // A new machine: the Explorer's key is not created, the write's error reaches the error box.
    for (const auto& [target, value, data] : kAdvancedTable) {
        m_errors.messages.clear();
        click(folders, QString::fromLatin1(target));
        EXPECT_EQ(keyValues(RootKey::CurrentUser, kAdvanced), std::nullopt) << target;
        EXPECT_EQ(m_errors.messages, std::vector<std::string>{std::string("Failed to set data for '") + value + "'"})
            << target;
        EXPECT_TRUE(folders.picture(QString::fromLatin1(target))->toolTip().isEmpty()) << target;
    }

    // With the key there: each click writes again and touches nothing else.
    m_errors.messages.clear();
    {
        core::TRegistry registry(m_registry);
        registry.SetRootKey(RootKey::CurrentUser);
        ASSERT_TRUE(registry.OpenKey(kAdvanced, true));
        registry.WriteInteger("Hidden", 2);
        registry.WriteInteger("TaskbarAnimations", 1);
    }
    for (const auto& [target, value, data] : kAdvancedTable) {
        Values expected = *keyValues(RootKey::CurrentUser, kAdvanced);
        expected[value] = dword(data);
        click(folders, QString::fromLatin1(target));
        EXPECT_EQ(keyValues(RootKey::CurrentUser, kAdvanced), expected) << target;
    }
    EXPECT_EQ(keyValues(RootKey::CurrentUser, kAdvanced),
              (Values{{"WebView", dword(0)}, {"Hidden", dword(0)}, {"ShowSuperHidden", dword(0)},
                      {"ShowInfoTip", dword(0)}, {"ListviewAlphaSelect", dword(1)}, {"TaskbarAnimations", dword(1)}}));

    // The video preview: "Wyłącz" without the key, "Włącz" twice, "Wyłącz" with a subkey in it.
    click(folders, QStringLiteral("Image10"));
    EXPECT_EQ(keyValues(RootKey::ClassesRoot, kPreview), std::nullopt);
    EXPECT_EQ(keyValues(RootKey::ClassesRoot, ".mpg\\ShellEx"), Values{});
    for (int round = 0; round < 2; ++round) {
        click(folders, QStringLiteral("Image9"));
        EXPECT_EQ(keyValues(RootKey::ClassesRoot, kPreview), (Values{{kPreviewValue, dword(1)}}));
    }
    // The classes root is the machine's Software\Classes.
    EXPECT_EQ(keyValues(RootKey::LocalMachine, std::string("Software\\Classes\\") + kPreview),
              (Values{{kPreviewValue, dword(1)}}));
    {
        core::TRegistry registry(m_registry);
        registry.SetRootKey(RootKey::ClassesRoot);
        ASSERT_TRUE(registry.OpenKey(std::string(kPreview) + "\\Inner", true));
    }
    click(folders, QStringLiteral("Image10"));
    EXPECT_EQ(keyValues(RootKey::ClassesRoot, kPreview), std::nullopt);
    EXPECT_EQ(keyValues(RootKey::ClassesRoot, ".mpg\\ShellEx"), Values{});
    EXPECT_EQ(keyValues(RootKey::ClassesRoot, ".mpg"), Values{});
    EXPECT_TRUE(m_errors.messages.empty());
    EXPECT_TRUE(m_commands.empty());
}

} // namespace
