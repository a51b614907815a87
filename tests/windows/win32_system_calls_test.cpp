#include "core/io/atomic_file.h"
#include "core/platform/system_calls.h"
#include "core/settings/ini_file.h"
#include "tests/support/temporary_folder.h"

#include <gtest/gtest.h>

#include <sys/file.h>
#include <windows.h>

#include <cerrno>
#include <thread>

using namespace core;
using testing_support::TemporaryFolder;

TEST(Win32SystemCalls, ReplacesReadsAndRefusesAsPosixDoes)
{
    TemporaryFolder folder;
    SystemCalls& calls = posixSystemCalls();
    const auto file = folder / "plik.txt";
    ASSERT_FALSE(io::replaceFile(calls, file, "pierwszy"));
    ASSERT_FALSE(io::replaceFile(calls, file, "drugi, dłuższy"));
    std::string contents;
    ASSERT_FALSE(io::readFile(calls, file, contents));
    EXPECT_EQ(contents, "drugi, dłuższy");
    EXPECT_EQ(io::readFile(calls, folder.path(), contents), std::make_error_code(std::errc::is_a_directory));
    EXPECT_EQ(io::readFile(calls, folder / "brak", contents), std::make_error_code(std::errc::no_such_file_or_directory));

    auto refusal = [](int fd) { return fd == -1 ? errno : 0; };
    EXPECT_EQ(refusal(calls.open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644)), EEXIST);
    EXPECT_EQ(refusal(calls.open((folder / "brak").c_str(), O_RDONLY)), ENOENT);
    EXPECT_EQ(refusal(calls.open(file.c_str(), O_RDONLY | O_DIRECTORY)), ENOTDIR);
    // A read-only file is not ours to replace, as on Windows itself.
    SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(io::canReplace(calls, file));
    EXPECT_EQ(calls.unlink(file.c_str()), 0);
    struct stat info {};
    EXPECT_EQ(calls.stat(file.c_str(), &info), -1);
}

TEST(Win32SystemCalls, AFolderLockExcludesOthersUntilReleased)
{
    TemporaryFolder folder;
    SystemCalls& calls = posixSystemCalls();
    io::FolderLock held;
    ASSERT_FALSE(io::FolderLock::acquire(calls, folder.path(), held));
    int attempt = 0;
    int error = 0;
    std::thread([&] {
        const int fd = calls.open(folder.path().c_str(), O_RDONLY | O_DIRECTORY);
        attempt = calls.flock(fd, LOCK_EX | LOCK_NB);
        error = errno;
        calls.close(fd);
    }).join();
    EXPECT_EQ(attempt, -1);
    EXPECT_EQ(error, EWOULDBLOCK);
    held.release();
    std::thread([&] {
        io::FolderLock again;
        attempt = io::FolderLock::acquire(calls, folder.path(), again) ? -1 : 0;
    }).join();
    EXPECT_EQ(attempt, 0);
}

// The settings file stays ours (Windows-1250 text, written whole and atomically); Windows'
// profile functions read what it writes.
TEST(Win32SystemCalls, GetPrivateProfileStringReadsTheSettingsFile)
{
    TemporaryFolder folder;
    const auto path = folder / "dostrojnik.ini";
    TIniFile ini(path);
    ini.WriteString("Okno", "Przezroczystość (0 lub 1)", "1");
    ini.WriteInteger("Okno", "Wartość przezroczystości (0 [niewidoczne] do 255 [widoczne])", 200);
    ini.WriteString("Ochrona", "Opis", "Zażółć gęślą jaźń");

    auto read = [&](const wchar_t* section, const wchar_t* key) {
        wchar_t value[2048] = {};
        GetPrivateProfileStringW(section, key, L"<brak>", value, 2048, path.c_str());
        return std::wstring(value);
    };
    // Windows reads a file without a byte order mark in the ANSI code page: Windows-1250 on a
    // Polish system, as the settings file is written.
    ASSERT_EQ(GetACP(), 1250u) << "a Polish system is needed (under Wine: LC_ALL=pl_PL.UTF-8)";
    EXPECT_EQ(read(L"Okno", L"Przezroczystość (0 lub 1)"), L"1");
    EXPECT_EQ(read(L"okno", L"Wartość przezroczystości (0 [niewidoczne] do 255 [widoczne])"), L"200");
    EXPECT_EQ(read(L"Ochrona", L"Opis"), L"Zażółć gęślą jaźń");
    EXPECT_EQ(read(L"Ochrona", L"Brak"), L"<brak>");
}
