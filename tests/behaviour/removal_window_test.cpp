// The Removal window: its clean-up command lines (two of them through the machine's own
// interpreter) and hints, and the wallpaper tool: the list of the wallpaper folder, the file the
// preview is given, deletion, and the folder listed without a wallpaper folder.

#include "tests/behaviour/support/behaviour_fixture.h"

#include "sections/definitions.h"
#include "sections/removal/tform6.h"

#include "core/shell/shell_command.h"

#include <cstdlib>
#include <fstream>

#include <sys/stat.h>
#include <unistd.h>

using namespace behaviour_testing;
using testing_support::FakeFileList;
using testing_support::FakePreview;
namespace fs = std::filesystem;

namespace {

const std::vector<std::pair<const char*, std::vector<std::string>>> kButtons = {
    {"Image2", {"rd /s /q %TMP%", "md %TMP%"}},
    {"Image3", {"rd /s /q Recent", "md Recent"}},
    {"Image8", {"start %WinDir%\\System32\\dllcache\\sfc.exe /purgecache"}},
    {"Image9", {"start Rundll32 advpack.dll,LaunchINFSection %Windir%\\INF\\msmsgs.inf,BLC.Remove"}},
};

// In the order comments mode switches them on.
const Hints kHints = {
    {"Image11", "Minimalizuj"},
    {"Image12", "Zamknij"},
    {"Image2", "Usuwa zbędne pliki z katalogu\ntymczasowego \"Temp\"."},
    {"Image3", "Usuwa skróty wykorzystywane przez menu Start\n(Tylko dla menu w stylu Win XP)."},
    {"Image8", "Usuwa pliki, które zostały skopiowane\npodczas instalacji systemu Windows."},
    {"Image9", "Usuwa znany program firmy Microsoft,\ndo komunikowania się między ludźmi."},
    {"Image10", "Usuwa wybrane tapety z systemu Windows."},
};

void writeBytes(const fs::path& file, const std::string& data)
{
    std::ofstream(file, std::ios::binary) << data;
}

class RemovalWindowTest : public BehaviourFixture {
protected:
    RemovalWindowTest()
        : m_before(fs::current_path())
        , m_wallpapers(m_folder / "machine" / "drive_c" / "windows" / "Web" / "Wallpaper")
    {
        fs::create_directories(m_wallpapers);
    }
    // The filled list makes its folder the current folder.
    ~RemovalWindowTest() override { fs::current_path(m_before); }

    // Opened from the main menu: the list reads its folder when the window first shows.
    void openRemoval() { open<TForm6>(sections::removalDefinition()); }
    FakeFileList& list() { return fake().fake<FakeFileList>("FileListBox1"); }
    FakePreview& preview() { return fake().fake<FakePreview>("Image6"); }
    std::string label5() { return fake().fakeLabel("Label5").text(); }
    std::vector<std::string> listed() { return list().names(); }
    void clickFile(const std::string& name)
    {
        const auto names = listed();
        const auto line = std::find(names.begin(), names.end(), name);
        ASSERT_NE(line, names.end()) << name;
        list().selected = int(line - names.begin());
        list().onPick();
    }
    void pressDelete() { fake().fake<testing_support::FakeButton>("Button1").click(); }

    fs::path m_before;
    fs::path m_wallpapers;
};

TEST_F(RemovalWindowTest, ButtonsRunTheirCommandLinesInOrder)
{
    openRemoval();
    for (const auto& [target, lines] : kButtons) {
        m_commands.clear();
        click(target);
        EXPECT_EQ(m_commands, lines) << target;
    }
    expectHints(sections::removalDefinition(), kHints);
    EXPECT_TRUE(m_errors.messages.empty());
}

TEST_F(RemovalWindowTest, TempAndRecentAreEmptiedThroughTheMachineInterpreter)
{
    const fs::path temp = m_folder / "machine" / "drive_c" / "users" / m_machine.userName() / "Temp";
    fs::create_directories(temp / "setup" / "deep");
    writeBytes(temp / "setup" / "deep" / "left.tmp", "x");
    writeBytes(temp / "~old.tmp", "x");
    fs::create_directories(m_wallpapers / "Recent");
    writeBytes(m_wallpapers / "Recent" / "list.lnk", "x");
    writeBytes(m_wallpapers / "Fale.jpg", "x");
    setenv("WINEPREFIX", (m_folder / "machine").c_str(), 1);
    setenv("COMSPEC", DOSTROJNIK_BIN_DIR "/dostrojnik-cmd", 1);
    m_onCommand = [](const std::string& line) { core::shellCommand(line); };

    openRemoval();
    click("Image2");
    EXPECT_TRUE(fs::is_directory(temp));
    EXPECT_TRUE(fs::is_empty(temp));
    // "Recent" is taken from the current folder, which the filled list made the wallpaper folder.
    click("Image3");
    EXPECT_TRUE(fs::is_directory(m_wallpapers / "Recent"));
    EXPECT_TRUE(fs::is_empty(m_wallpapers / "Recent"));
    EXPECT_TRUE(fs::exists(m_wallpapers / "Fale.jpg"));
    EXPECT_TRUE(m_errors.messages.empty());
}

TEST_F(RemovalWindowTest, TheListShowsTheWallpaperFolderAndGivesThePreviewEveryFile)
{
    for (const char* file : {"Bitmapa.bmp", "ikona.ICO", "zdjecie.jpg", "Zdjecie2.JPEG", "rysunek.wmf", "Rysunek2.emf",
                             "notatki.txt", "SETUP.EXE", "start.Com", "run.bat", "dos.pif", ".ukryty.jpg"})
        writeBytes(m_wallpapers / file, "x");
    fs::create_directories(m_wallpapers / "Folder.jpg");
    // Links list as what they lead to; a broken one as a file.
    fs::create_directory_symlink(m_wallpapers / "Folder.jpg", m_wallpapers / "DoFolderu");
    fs::create_symlink(m_wallpapers / "brak.jpg", m_wallpapers / "zerwany.jpg");

    openRemoval();
    EXPECT_EQ(fs::current_path(), m_wallpapers);
    EXPECT_EQ(listed(), (std::vector<std::string>{"Bitmapa.bmp", "dos.pif", "ikona.ICO", "notatki.txt", "run.bat",
                                                  "rysunek.wmf", "Rysunek2.emf", "SETUP.EXE", "start.Com",
                                                  "zdjecie.jpg", "Zdjecie2.JPEG", "zerwany.jpg"}));
    for (const char* picture :
         {"Bitmapa.bmp", "ikona.ICO", "zdjecie.jpg", "Zdjecie2.JPEG", "rysunek.wmf", "Rysunek2.emf"}) {
        preview().clear();
        clickFile(picture);
        EXPECT_EQ(preview().file, (std::vector<std::string>{"windows", "Web", "Wallpaper", picture})) << picture;
        EXPECT_EQ(label5(), std::string("C:\\windows\\Web\\Wallpaper\\") + picture);
    }
    EXPECT_TRUE(m_errors.messages.empty());
}

TEST_F(RemovalWindowTest, DeleteRemovesTheSelectedFileAndReadsTheFolderAgain)
{
    writeBytes(m_wallpapers / "a.bmp", "x");
    writeBytes(m_wallpapers / "b.bmp", "x");
    openRemoval();
    clickFile("a.bmp");
    writeBytes(m_wallpapers / "c.txt", "x");
    pressDelete();
    EXPECT_FALSE(fs::exists(m_wallpapers / "a.bmp"));
    EXPECT_EQ(listed(), (std::vector<std::string>{"b.bmp", "c.txt"}));
    // The preview and the path stay until another line is clicked.
    EXPECT_EQ(preview().file, (std::vector<std::string>{"windows", "Web", "Wallpaper", "a.bmp"}));
    EXPECT_EQ(label5(), "C:\\windows\\Web\\Wallpaper\\a.bmp");

    // Nothing selected: nothing is deleted, and the list is read again all the same.
    writeBytes(m_wallpapers / "d.txt", "x");
    pressDelete();
    EXPECT_EQ(listed(), (std::vector<std::string>{"b.bmp", "c.txt", "d.txt"}));
    EXPECT_TRUE(m_errors.messages.empty());
}

// A file in a folder the user may not change stays listed. Runs as an ordinary user (root may
// delete anywhere); ctest starts it so when the build is root's.
TEST_F(RemovalWindowTest, ReadOnlyFolder)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root ignores file permissions";
    writeBytes(m_wallpapers / "a.bmp", "x");
    ASSERT_EQ(chmod(m_wallpapers.c_str(), 0555), 0);
    openRemoval();
    clickFile("a.bmp");
    pressDelete();
    chmod(m_wallpapers.c_str(), 0755);
    EXPECT_TRUE(fs::exists(m_wallpapers / "a.bmp"));
    EXPECT_EQ(listed(), std::vector<std::string>{"a.bmp"});
    EXPECT_TRUE(m_errors.messages.empty());
}

// Without a wallpaper folder the list shows the program's current folder on the machine: the
// process's when it lies on drive C:, else the user's profile there; a link in the wallpaper
// folder's place is no folder. A host folder is never listed, and nothing in it deleted.
TEST_F(RemovalWindowTest, WithoutAWallpaperFolderTheListShowsTheCurrentFolderOnTheMachine)
{
    const fs::path drive = m_folder / "machine" / "drive_c";
    const fs::path profile = drive / "users" / m_machine.userName();
    const fs::path host = m_folder / "host";
    const std::string inProfile = "C:\\users\\" + m_machine.userName() + "\\plik.bmp";
    struct Row {
        const char* name;
        fs::path current;
        bool wallpaperLinkToHost;
        fs::path listed; // where plik.bmp is listed and deleted from
        std::string path;
    };
    const Row rows[] = {
        {"current folder on the drive", drive / "windows", false, drive / "windows", "C:\\windows\\plik.bmp"},
        {"current folder on the host", host, false, profile, inProfile},
        {"wallpaper folder a link to the host", host, true, profile, inProfile},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        fs::remove_all(m_wallpapers);
        fs::remove_all(host);
        fs::create_directories(host);
        fs::create_directories(profile);
        writeBytes(host / "plik.bmp", "host");
        writeBytes(host / "tapeta.jpg", "host");
        writeBytes(row.listed / "plik.bmp", "x");
        if (row.wallpaperLinkToHost)
            fs::create_directory_symlink(host, m_wallpapers);
        fs::current_path(row.current);
        openRemoval();
        EXPECT_EQ(listed(), std::vector<std::string>{"plik.bmp"});
        clickFile("plik.bmp");
        EXPECT_EQ(label5(), row.path);
        pressDelete();
        EXPECT_FALSE(fs::exists(row.listed / "plik.bmp"));
        EXPECT_TRUE(listed().empty());
        EXPECT_TRUE(fs::exists(host / "plik.bmp"));
        EXPECT_TRUE(fs::exists(host / "tapeta.jpg"));
        EXPECT_TRUE(m_errors.messages.empty());
    }
}

} // namespace
