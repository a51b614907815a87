// The registry with real processes: writers side by side, writers killed at random moments,
// and a user who may not write the machine's files.

#include "core/registry/wine_registry.h"
#include "tests/support/temporary_folder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <set>
#include <sstream>
#include <thread>

using namespace core;
using testing_support::readText;
using testing_support::TemporaryFolder;

namespace {

const std::string Helper = REGISTRY_HELPER;

// A child process whose standard output comes to us through a pipe.
class Child {
public:
    explicit Child(const std::vector<std::string>& arguments)
    {
        int out[2];
        EXPECT_EQ(::pipe2(out, O_CLOEXEC), 0);
        m_pid = ::fork();
        if (m_pid == 0) {
            ::dup2(out[1], STDOUT_FILENO);
            std::vector<char*> argv;
            for (const auto& argument : arguments)
                argv.push_back(const_cast<char*>(argument.c_str()));
            argv.push_back(nullptr);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        ::close(out[1]);
        m_out = out[0];
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    ~Child()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            wait();
        }
        if (m_out >= 0)
            ::close(m_out);
    }

    // Reads what is there within `timeout`; false at the end of the output.
    bool readSome(std::chrono::milliseconds timeout)
    {
        pollfd fd{m_out, POLLIN, 0};
        if (::poll(&fd, 1, static_cast<int>(timeout.count())) <= 0)
            return true;
        char buffer[4096];
        const ssize_t n = ::read(m_out, buffer, sizeof buffer);
        if (n <= 0)
            return false;
        m_output.append(buffer, static_cast<std::size_t>(n));
        return true;
    }
    std::string readAll()
    {
        while (readSome(std::chrono::milliseconds(60000)))
            ;
        return m_output;
    }
    void kill() { ::kill(m_pid, SIGKILL); }
    int wait()
    {
        int status = 0;
        ::waitpid(m_pid, &status, 0);
        m_pid = -1;
        return status;
    }
    const std::string& output() const { return m_output; }

private:
    pid_t m_pid = -1;
    int m_out = -1;
    std::string m_output;
};

// The indices a writer reported as written: every complete line.
std::vector<int> reportedIndices(const std::string& output)
{
    std::vector<int> indices;
    std::size_t start = 0;
    for (std::size_t end; (end = output.find('\n', start)) != std::string::npos; start = end + 1)
        indices.push_back(std::stoi(output.substr(start, end - start)));
    return indices;
}

std::set<std::string> valueNames(const std::filesystem::path& root, RootKey rootKey, std::string_view path)
{
    WineRegistry registry(root, 1000);
    KeyHandle key;
    const RegStatus status = registry.openKey(rootHandle(rootKey), path, Access::Read, key);
    EXPECT_EQ(status, RegStatus::Success) << registry.lastFailure();
    std::set<std::string> names;
    RegValue value;
    for (std::uint32_t i = 0; status == RegStatus::Success && registry.enumValue(key, i, value) == RegStatus::Success; ++i)
        names.insert(value.name);
    return names;
}

} // namespace

TEST(RegistryDurability, TwoProcessesWritingAtOnceLoseNothing)
{
    TemporaryFolder root;
    constexpr int Count = 1000;
    Child first({Helper, "write", root.path().string(), "user", "Software\\Shared", "a", std::to_string(Count)});
    Child second({Helper, "write", root.path().string(), "user", "Software\\Shared", "b", std::to_string(Count)});
    first.readAll();
    second.readAll();
    EXPECT_EQ(first.wait(), 0);
    EXPECT_EQ(second.wait(), 0);
    const auto names = valueNames(root.path(), RootKey::CurrentUser, "Software\\Shared");
    EXPECT_EQ(names.size(), 2u * Count);
    for (int i = 0; i < Count; ++i) {
        EXPECT_TRUE(names.count("a" + std::to_string(i))) << i;
        EXPECT_TRUE(names.count("b" + std::to_string(i))) << i;
    }
}

TEST(RegistryDurability, AWriterKilledAtAnyMomentLeavesAWholeFile)
{
    TemporaryFolder root;
    // A hive of some size, so that a kill often falls inside the writing of the file.
    std::filesystem::copy_file(std::string(DOSTROJNIK_TEST_DATA) + "/registry/wine-user.reg", root / "user.reg");
    {
        // The key exists from the start: a writer may be killed before it has made it.
        WineRegistry registry(root.path(), 1000);
        KeyHandle key;
        ASSERT_EQ(registry.createKey(rootHandle(RootKey::CurrentUser), "Software\\Killed", Access::AllAccess, key),
                  RegStatus::Success);
    }
    std::mt19937 random(std::random_device{}());
    std::uniform_int_distribution<int> delay(0, 60);
    std::set<std::string> written;
    for (int round = 0; round < 60; ++round) {
        SCOPED_TRACE(round);
        const std::string prefix = "r" + std::to_string(round) + "_";
        Child writer({Helper, "write", root.path().string(), "user", "Software\\Killed", prefix, "100000"});
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(delay(random));
        while (std::chrono::steady_clock::now() < deadline && writer.readSome(std::chrono::milliseconds(1)))
            ;
        writer.kill();
        writer.readAll();
        writer.wait();
        for (const int index : reportedIndices(writer.output()))
            written.insert(prefix + std::to_string(index));

        const auto names = valueNames(root.path(), RootKey::CurrentUser, "Software\\Killed");
        for (const auto& name : written)
            ASSERT_TRUE(names.count(name)) << name << " was reported written and is gone";
    }
    // The rest of the file is still there too.
    WineRegistry registry(root.path(), 1000);
    KeyHandle key;
    EXPECT_EQ(registry.openKey(rootHandle(RootKey::CurrentUser), "Control Panel\\Colors", Access::Read, key),
              RegStatus::Success);
}

TEST(RegistryDurability, AUserWithoutRightsGetsTheWriteError)
{
    if (::geteuid() != 0 || !std::filesystem::exists("/usr/bin/setpriv"))
        GTEST_SKIP() << "needs root and setpriv to run a process as another user";
    TemporaryFolder root;
    {
        WineRegistry registry(root.path(), 1000);
        KeyHandle key;
        ASSERT_EQ(registry.createKey(rootHandle(RootKey::LocalMachine), "SYSTEM\\CurrentControlSet\\Control\\CrashControl",
                                     Access::AllAccess, key),
                  RegStatus::Success);
    }
    // The other user may read the machine but not replace its files; the helper is copied
    // where that user may run it.
    std::filesystem::permissions(root.path(), std::filesystem::perms(0755));
    std::filesystem::permissions(root / "system.reg", std::filesystem::perms(0644));
    const auto helper = root / "registry_helper";
    std::filesystem::copy_file(Helper, helper);
    std::filesystem::permissions(helper, std::filesystem::perms(0755));
    const std::string before = readText(root / "system.reg");

    for (const char* path : {"SYSTEM\\CurrentControlSet\\Control\\CrashControl", "SYSTEM\\Missing"}) {
        SCOPED_TRACE(path);
        Child probe({"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", helper.string(), "probe",
                     root.path().string(), path});
        const std::string output = probe.readAll();
        EXPECT_EQ(probe.wait(), 0);
        const bool exists = std::string(path).find("Missing") == std::string::npos;
        EXPECT_NE(output.find(exists ? "read=Success\n" : "read=NotFound\n"), std::string::npos) << output;
        EXPECT_NE(output.find(exists ? "all=AccessDenied\n" : "all=NotFound\n"), std::string::npos) << output;
        if (exists) {
            EXPECT_NE(output.find("system.reg may not be written by this user"), std::string::npos) << output;
        }
        EXPECT_NE(output.find("OpenKey=false\n"), std::string::npos) << output;
        EXPECT_NE(output.find("write=Failed to set data for 'AutoReboot'\n"), std::string::npos) << output;
    }
    EXPECT_EQ(readText(root / "system.reg"), before);
}
