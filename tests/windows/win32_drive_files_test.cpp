#include "chrome/folder_listing.h"
#include "core/error.h"
#include "core/platform/win32/win32_platform.h"
#include "core/platform/win32/win32_text.h"
#include "tests/support/temporary_folder.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cerrno>
#include <filesystem>

using namespace core;

namespace {

class Win32DriveFilesTest : public ::testing::Test {
protected:
    Win32DriveFilesTest()
    {
        std::filesystem::create_directories(m_folder / "Windows" / "Web" / "Wallpaper" / "folder");
        for (const char* name : {"zielony.jpg", "A.bmp", "b.jpg", ".ukryty", "ukryty.txt"})
            makeFile(name);
        SetFileAttributesW(wallpaper("ukryty.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
    }
    std::wstring wallpaper(const char* name) const
    {
        return (m_folder / "Windows" / "Web" / "Wallpaper").wstring() + L"\\" + win32::wide(name);
    }
    void makeFile(const char* name) const
    {
        const HANDLE file = CreateFileW(wallpaper(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE) << name;
        DWORD written = 0;
        WriteFile(file, "JPEG", 4, &written, nullptr);
        CloseHandle(file);
    }
    ~Win32DriveFilesTest() override { SetCurrentDirectoryW(L"C:\\"); }

    testing_support::TemporaryFolder m_folder;
    Win32DriveFiles m_drive{m_folder.path().wstring()};
};

} // namespace

TEST_F(Win32DriveFilesTest, FindsFoldersByTheirNamesAsTheyExist)
{
    DrivePath real;
    ASSERT_TRUE(m_drive.findFolder({"WINDOWS", "web", "wallpaper"}, real));
    EXPECT_EQ(real, (DrivePath{"Windows", "Web", "Wallpaper"}));
    EXPECT_FALSE(m_drive.findFolder({"Windows", "Web", "Wallpaper", "zielony.jpg"}, real)) << "a file";
    EXPECT_FALSE(m_drive.findFolder({"Windows", "nie ma"}, real));
    EXPECT_FALSE(m_drive.findFolder({"Win*"}, real)) << "a wildcard names nothing";
}

TEST_F(Win32DriveFilesTest, ListsVisibleFilesSortedAndEntersTheFolder)
{
    EXPECT_EQ(chrome::folderFiles(m_drive, {"windows", "web", "wallpaper"}),
              (std::vector<std::string>{"A.bmp", "b.jpg", "zielony.jpg"}));
    wchar_t here[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, here);
    EXPECT_EQ(std::filesystem::path(here), m_folder / "Windows" / "Web" / "Wallpaper");
    EXPECT_EQ(m_drive.currentFolder(), (DrivePath{"Windows", "Web", "Wallpaper"}));
    EXPECT_THROW(chrome::folderFiles(m_drive, {"nie ma"}), core::Error);
}

TEST_F(Win32DriveFilesTest, ReadsAndRemovesFilesButNeverFolders)
{
    const DrivePath folder{"Windows", "Web", "Wallpaper"};
    auto in = [&folder](const char* name) {
        DrivePath file = folder;
        file.emplace_back(name);
        return file;
    };
    std::string contents;
    EXPECT_EQ(m_drive.readFile(in("ZIELONY.JPG"), contents, 100), 0);
    EXPECT_EQ(contents, "JPEG");
    EXPECT_EQ(m_drive.readFile(in("zielony.jpg"), contents, 3), EFBIG);
    EXPECT_EQ(m_drive.readFile(in("folder"), contents, 100), EISDIR);
    EXPECT_EQ(m_drive.readFile(in("nie ma"), contents, 100), ENOENT);

    EXPECT_EQ(m_drive.removeFile(in("folder")), EISDIR);
    EXPECT_TRUE(std::filesystem::is_directory(m_folder / "Windows" / "Web" / "Wallpaper" / "folder"));
    EXPECT_EQ(m_drive.removeFile(in("A.bmp")), 0);
    EXPECT_EQ(m_drive.removeFile(in("A.bmp")), ENOENT);
    EXPECT_EQ(chrome::folderFiles(m_drive, folder), (std::vector<std::string>{"b.jpg", "zielony.jpg"}));
}
