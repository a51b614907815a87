#include "core/platform/clock.h"
#include "core/platform/environment.h"
#include "core/platform/win32/win32_platform.h"
#include "core/shell/shell_command.h"
#include "tests/support/temporary_folder.h"

#include <gtest/gtest.h>

#include <windows.h>

using namespace core;

TEST(Win32Platform, ClockDriveAndEnvironmentAreTheSystemsOwn)
{
    SYSTEMTIME before{};
    GetLocalTime(&before);
    const LocalTime now = HostClock().now();
    EXPECT_EQ(now.year, before.wYear);
    EXPECT_EQ(now.month, before.wMonth);

    const DriveSpace space = Win32DriveSpace().driveC();
    EXPECT_GT(space.totalBytes, 0);
    EXPECT_GE(space.freeBytes, 0);
    EXPECT_LE(space.freeBytes, space.totalBytes);

    SetEnvironmentVariableW(L"DOSTROJNIK_TEST", L"gęś");
    EXPECT_EQ(hostEnvironment()("DOSTROJNIK_TEST"), std::optional<std::string>("gęś"));
    EXPECT_EQ(hostEnvironment()("DOSTROJNIK_NIE_MA"), std::nullopt);
    SetEnvironmentVariableW(L"DOSTROJNIK_TEST", L"");
    EXPECT_EQ(hostEnvironment()("DOSTROJNIK_TEST"), std::optional<std::string>(""));
}

TEST(Win32Platform, EndsOneProcessAndOnlyAnExistingOne)
{
    wchar_t line[] = L"cmd.exe";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(
        CreateProcessW(nullptr, line, nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr, &startup, &process));
    Win32ProcessControl control;
    EXPECT_EQ(control.end(process.dwProcessId), EndProcess::Ended);
    EXPECT_EQ(WaitForSingleObject(process.hProcess, 10000), WAIT_OBJECT_0);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    EXPECT_EQ(control.end(0), EndProcess::NotOpened);
    EXPECT_EQ(control.end(-4), EndProcess::NotOpened);
    EXPECT_EQ(control.end(0x1'0000'0000LL), EndProcess::NotOpened);
}

TEST(Win32Platform, TheShellCommandGoesToComspecUnchanged)
{
    testing_support::TemporaryFolder folder;
    const auto out = folder / "wynik.txt";
    // Quotes and blanks in the line reach cmd.exe as they stand.
    shellCommand("echo \"a  b\"> \"" + out.string() + "\"");
    EXPECT_EQ(testing_support::readText(out), "\"a  b\"\r\n");
    EXPECT_NO_THROW(shellCommand("echo x", Environment{{"COMSPEC", "C:\\nie\\ma.exe"}}));
}
