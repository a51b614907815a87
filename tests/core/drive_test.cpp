// Drive C: through the descriptor walk: Windows' path rules, and that links, missing folders and
// letter case never lead a read, a listing or a deletion out of the drive.

#include "core/machine/drive.h"

#include "tests/support/temporary_folder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cerrno>
#include <functional>

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

struct PathRow {
    const char* text;
    core::PathProblem problem;
    core::DrivePath path; // with {"users", "jan"} as the current folder
};

const PathRow PathRows[] = {
    {"C:\\Windows\\Web", core::PathProblem::None, {"Windows", "Web"}},
    {"c:/a/./b/../c", core::PathProblem::None, {"a", "c"}},
    {"Temp\\x", core::PathProblem::None, {"users", "jan", "Temp", "x"}},
    {"C:Temp", core::PathProblem::None, {"users", "jan", "Temp"}},
    {"\\x", core::PathProblem::None, {"x"}},
    {"C:\\dir. \\plik.txt. . ", core::PathProblem::None, {"dir", "plik.txt"}},
    {"C:\\a\\...\\b", core::PathProblem::None, {"a", "b"}},
    {"nul:", core::PathProblem::None, {"users", "jan", "nul:"}},
    {"C:\\..", core::PathProblem::AboveDrive, {}},
    {"D:\\x", core::PathProblem::OtherDrive, {}},
    {"\\\\server\\share\\x", core::PathProblem::Network, {}},
    {"//server/share", core::PathProblem::Network, {}},
    {"\\\\?\\C:\\x", core::PathProblem::DevicePath, {}},
    {"\\\\.\\C:\\x", core::PathProblem::DevicePath, {}},
    {"dir\\a:b", core::PathProblem::InvalidName, {}},
    {"a:b", core::PathProblem::OtherDrive, {}},
    {"C:\\a*", core::PathProblem::InvalidName, {}},
    {"a?", core::PathProblem::InvalidName, {}},
    {"a<b", core::PathProblem::InvalidName, {}},
    {"a>b", core::PathProblem::InvalidName, {}},
    {"a|b", core::PathProblem::InvalidName, {}},
    {"a\"b", core::PathProblem::InvalidName, {}},
    {"a\tb", core::PathProblem::InvalidName, {}},
    {"a\x1b" "b", core::PathProblem::InvalidName, {}},
    {"", core::PathProblem::InvalidName, {}},
};

TEST(DrivePaths, FollowWindowsRules)
{
    for (const auto& row : PathRows) {
        SCOPED_TRACE(row.text);
        core::DrivePath path;
        EXPECT_EQ(core::parseWindowsPath(row.text, {"users", "jan"}, path), row.problem);
        if (row.problem == core::PathProblem::None) {
            EXPECT_EQ(path, row.path);
        }
    }
    EXPECT_EQ(core::windowsName({"Program Files", "a"}), "C:\\Program Files\\a");
    EXPECT_EQ(core::windowsName({}), "C:\\");
}

// A machine's drive with a host folder beside it that nothing may touch.
class DriveWalk : public ::testing::Test {
protected:
    DriveWalk()
    {
        fs::create_directories(m_folder / "drive_c" / "users" / "jan");
        fs::create_directories(m_folder / "drive_c" / "windows" / "Web");
        fs::create_directories(m_folder / "host" / "inner");
        writeText(m_folder / "host" / "tajne.jpg", "host");
        writeText(m_folder / "drive_c" / "windows" / "a.txt", "a");
    }

    fs::path drive() const { return m_folder / "drive_c"; }
    bool hostIntact() const
    {
        return fs::exists(m_folder / "host" / "inner") && readText(m_folder / "host" / "tajne.jpg") == "host";
    }

    TemporaryFolder m_folder;
    core::SystemCalls& m_calls = core::posixSystemCalls();
};

struct WalkRow {
    const char* name;
    std::function<void(const fs::path& drive, const fs::path& host)> plant;
    core::DrivePath path;
    int listError;       // of listFiles(path)
    int readError;       // of readFile(path + "tajne.jpg")
    int removeError;     // of removeFile(path + "tajne.jpg")
};

TEST_F(DriveWalk, LinksAndMissingFoldersNeverLeadOutOfTheDrive)
{
    const WalkRow rows[] = {
        {"folder replaced by a link to the host",
         [](const fs::path& c, const fs::path& host) { fs::create_directory_symlink(host, c / "windows" / "Web" / "Wallpaper"); },
         {"windows", "Web", "Wallpaper"}, ELOOP, ELOOP, ELOOP},
        {"a link on the way",
         [](const fs::path& c, const fs::path& host) { fs::create_directory_symlink(host / "..", c / "Program Files"); },
         {"Program Files", "host"}, ELOOP, ELOOP, ELOOP},
        {"missing folder", [](const fs::path&, const fs::path&) {}, {"windows", "Web", "Wallpaper"}, ENOENT, ENOENT,
         ENOENT},
        {"a file that is a link to the host",
         [](const fs::path& c, const fs::path& host) {
             fs::create_directories(c / "Plugins");
             fs::create_symlink(host / "tajne.jpg", c / "Plugins" / "tajne.jpg");
         },
         {"Plugins"}, 0, ELOOP, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TemporaryFolder folder;
        fs::create_directories(folder / "drive_c" / "windows" / "Web");
        fs::create_directories(folder / "host" / "inner");
        writeText(folder / "host" / "tajne.jpg", "host");
        row.plant(folder / "drive_c", folder / "host");
        const core::Drive c(m_calls, folder / "drive_c");
        std::vector<std::string> names;
        EXPECT_EQ(c.listFiles(row.path, names), row.listError);
        if (!row.listError) {
            EXPECT_EQ(names, std::vector<std::string>{"tajne.jpg"}); // listed, never read through
        }
        core::DrivePath file = row.path;
        file.push_back("tajne.jpg");
        std::string contents;
        EXPECT_EQ(c.readFile(file, contents, 1000), row.readError);
        EXPECT_EQ(c.removeFile(file), row.removeError);
        EXPECT_TRUE(fs::exists(folder / "host" / "inner"));
        EXPECT_EQ(readText(folder / "host" / "tajne.jpg"), "host");
    }
}

TEST_F(DriveWalk, NamesMatchWithoutRegardToCaseAndFilesAreRegularAndBounded)
{
    const core::Drive c(m_calls, drive());
    std::string contents;
    EXPECT_EQ(c.readFile({"WINDOWS", "A.TXT"}, contents, 10), 0);
    EXPECT_EQ(contents, "a");
    EXPECT_EQ(c.readFile({"windows", "a.txt"}, contents, 0), EFBIG);
    EXPECT_EQ(c.readFile({"windows"}, contents, 10), EISDIR);
    ASSERT_EQ(mkfifo((drive() / "fifo").c_str(), 0644), 0);
    EXPECT_EQ(c.readFile({"fifo"}, contents, 10), EINVAL); // never waits for a writer
    EXPECT_EQ(c.removeFile({"windows", "A.txt"}), 0);
    EXPECT_FALSE(fs::exists(drive() / "windows" / "a.txt"));
    EXPECT_EQ(c.removeFile({"windows", "web"}), EISDIR);
}

TEST_F(DriveWalk, TheCurrentFolderIsTheHostsInsideTheDriveElseTheProfile)
{
    const core::Drive c(m_calls, drive());
    const core::DrivePath profile{"users", "jan"};
    EXPECT_EQ(core::currentFolder(c, drive(), drive() / "windows" / "Web", profile), (core::DrivePath{"windows", "Web"}));
    EXPECT_EQ(core::currentFolder(c, drive(), m_folder / "host", profile), profile);
    EXPECT_EQ(core::currentFolder(c, drive(), m_folder / "host", {"users", "nikt"}), core::DrivePath{});
    // The host's folder reached through a link inside the drive is still the host's.
    fs::create_directory_symlink(m_folder / "host", drive() / "link");
    EXPECT_EQ(core::currentFolder(c, drive(), drive() / "link", profile), profile);
}

TEST_F(DriveWalk, ACopyIsANewFileWrittenInPieces)
{
    std::string big(300'000, 'x');
    big[299'999] = 'y';
    writeText(drive() / "big", big);
    const core::Drive c(m_calls, drive());
    int error = 0;
    const core::Descriptor input = c.openFile({"big"}, error);
    const core::Descriptor folder = c.openFolder({"windows"}, error);
    ASSERT_TRUE(input && folder);
    ASSERT_EQ(core::copyFile(m_calls, input.get(), folder.get(), "a.txt", 0600), 0);
    EXPECT_EQ(readText(drive() / "windows" / "a.txt"), big);
    struct stat from {};
    struct stat to {};
    ::stat((drive() / "big").c_str(), &from);
    ::stat((drive() / "windows" / "a.txt").c_str(), &to);
    EXPECT_NE(from.st_ino, to.st_ino);
    EXPECT_EQ(to.st_mode & 0777, 0600u);
    EXPECT_EQ(std::distance(fs::directory_iterator(drive() / "windows"), fs::directory_iterator()), 2); // no leftovers
}

} // namespace
