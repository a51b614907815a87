// The settings file's cases that only a POSIX system has: links, FIFOs, other users, read-only
// mounts and writers in several processes.
#include "core/settings/ini_file.h"

#include "core/error.h"
#include "tests/support/child_processes.h"
#include "tests/support/temporary_folder.h"

#include <gtest/gtest.h>

#include <grp.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

using namespace testing_support;
using core::TIniFile;

namespace {

std::string expectRefused(const std::function<void()>& write)
{
    try {
        write();
    } catch (const core::Error& error) {
        return error.what();
    }
    return "<no error>";
}

// Runs `body` in a child process with the identity of "nobody" (as setpriv --reuid=65534
// --regid=65534 --clear-groups does) and returns what the child wrote into the pipe.
std::string runAsNobody(const std::function<std::string()>& body, bool readOnlyMount = false,
                        const std::filesystem::path& mountPoint = {})
{
    int channel[2];
    if (pipe(channel) != 0)
        return "<no pipe>";
    fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        std::string answer;
        if (readOnlyMount &&
            (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
             mount(mountPoint.c_str(), mountPoint.c_str(), nullptr, MS_BIND, nullptr) != 0 ||
             mount(nullptr, mountPoint.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0)) {
            answer = "<no mount>";
        } else if (!readOnlyMount && (setgroups(0, nullptr) != 0 || setresgid(65534, 65534, 65534) != 0 ||
                                      setresuid(65534, 65534, 65534) != 0)) {
            answer = "<no identity>";
        } else {
            try {
                answer = body();
            } catch (const std::exception& error) {
                answer = std::string("<exception> ") + error.what();
            }
        }
        (void)!write(channel[1], answer.data(), answer.size());
        _exit(0);
    }
    close(channel[1]);
    std::string answer;
    char buffer[256];
    ssize_t n;
    while ((n = read(channel[0], buffer, sizeof buffer)) > 0)
        answer.append(buffer, static_cast<size_t>(n));
    close(channel[0]);
    int status = 0;
    waitpid(child, &status, 0);
    return answer;
}

} // namespace

TEST(IniFile, ASymbolicLinkToTheFileStaysALink)
{
    TemporaryFolder folder;
    std::filesystem::create_directory(folder / "real");
    writeText(folder / "real" / "s.ini", "[S]\r\nk=1\r\n");
    std::filesystem::create_symlink("real/s.ini", folder / "link.ini");
    TIniFile ini(folder / "link.ini");
    ini.WriteString("S", "k", "2");
    EXPECT_TRUE(std::filesystem::is_symlink(folder / "link.ini"));
    EXPECT_EQ(readText(folder / "real" / "s.ini"), "[S]\r\nk=2\r\n");
}

TEST(IniFile, AFifoInPlaceOfTheFileIsNeitherWaitedForNorWritten)
{
    TemporaryFolder folder;
    ASSERT_EQ(::mkfifo((folder / "s.ini").c_str(), 0600), 0);
    TIniFile ini(folder / "s.ini");
    EXPECT_EQ(ini.ReadString("S", "k", "default"), "default");
    EXPECT_THROW(ini.WriteString("S", "k", "2"), core::Error);
    struct stat info {};
    ASSERT_EQ(::lstat((folder / "s.ini").c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
}

TEST(IniFile, ARefusedWriteRaisesTheErrorAndChangesNothing)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to take another identity";
    TemporaryFolder folder;
    const auto existing = folder / "existing.ini";
    const auto fresh = folder / "fresh.ini";
    writeText(existing, "[S]\r\nk=1\r\n");
    std::filesystem::create_directory(folder / "open");
    std::filesystem::permissions(folder / "open", std::filesystem::perms::all);
    const auto readOnlyFile = folder / "open" / "ro.ini";
    writeText(readOnlyFile, "[S]\r\nk=1\r\n");
    std::filesystem::permissions(readOnlyFile, std::filesystem::perms(0444));

    // As another user: a folder and files that belong to root.
    const std::string answer = runAsNobody([&] {
        std::string out;
        out += expectRefused([&] { TIniFile(existing).WriteString("S", "k", "2"); }) + "|";
        out += expectRefused([&] { TIniFile(existing).WriteString("S", "k", "1"); }) + "|"; // no change, still refused
        out += expectRefused([&] { TIniFile(fresh).WriteInteger("S", "k", 2); }) + "|";
        out += expectRefused([&] { TIniFile(readOnlyFile).WriteString("S", "n", "2"); }) + "|";
        out += TIniFile(existing).ReadString("S", "k", "?"); // reading still works
        return out;
    });
    EXPECT_EQ(answer, "Unable to write to " + existing.string() + "|Unable to write to " + existing.string() +
                          "|Unable to write to " + fresh.string() + "|Unable to write to " + readOnlyFile.string() +
                          "|1");
    EXPECT_EQ(readText(existing), "[S]\r\nk=1\r\n");
    EXPECT_EQ(readText(readOnlyFile), "[S]\r\nk=1\r\n");
    EXPECT_FALSE(std::filesystem::exists(fresh));
}

TEST(IniFile, AWriteOnAReadOnlyMountIsRefused)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to mount";
    TemporaryFolder folder;
    const auto path = folder / "m.ini";
    writeText(path, "[S]\r\nk=1\r\n");
    const std::string answer = runAsNobody(
        [&] { return expectRefused([&] { TIniFile(path).WriteString("S", "k", "2"); }); }, true, folder.path());
    if (answer == "<no mount>")
        GTEST_SKIP() << "this system does not let a test mount";
    EXPECT_EQ(answer, "Unable to write to " + path.string());
    EXPECT_EQ(readText(path), "[S]\r\nk=1\r\n");
}

TEST(IniFile, WritersInSeveralProcessesLoseNothing)
{
    TemporaryFolder folder;
    const auto path = folder / "shared.ini";
    constexpr int Processes = 4;
    constexpr int Keys = 25;
    EXPECT_TRUE(runInChildren(Processes, [&](int p) {
        for (int k = 0; k < Keys; ++k)
            TIniFile(path).WriteInteger("Sekcja " + std::to_string(k % 3),
                                        "p" + std::to_string(p) + "k" + std::to_string(k), k);
    }));
    TIniFile ini(path);
    for (int p = 0; p < Processes; ++p)
        for (int k = 0; k < Keys; ++k)
            EXPECT_EQ(ini.ReadInteger("Sekcja " + std::to_string(k % 3),
                                      "p" + std::to_string(p) + "k" + std::to_string(k), -1),
                      k);
}
