// The window list on a real X server with real clients: their lines carry their process ids and
// classes, "Zakończ" ends exactly the selected client, a client inside a window manager's frame
// is listed rather than the frame, and a client that exits during a refill leaves out only itself.

#include "tests/gui/support/gui_fixture.h"

#include "core/platform/xcb_desktop_windows.h"

#include <xcb/xcb.h>

#include <QListWidget>
#include <QPushButton>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <thread>
#include <utility>

#include <sys/wait.h>
#include <unistd.h>

using namespace gui_testing;

namespace {

struct Client {
    pid_t pid = -1;
    std::uint32_t window = 0; // window_client's window; 0 for other programs
};

bool running(pid_t pid)
{
    return waitpid(pid, nullptr, WNOHANG) == 0;
}

class WindowListX11Test : public GuiFixture {
protected:
    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            GTEST_SKIP() << "no X display";
        m_xcbDesktop = core::connectXcbDesktop(nullptr, [this] {
            if (m_duringRefill)
                m_duringRefill();
        });
        ASSERT_NE(m_xcbDesktop, nullptr);
        m_desktop = m_xcbDesktop.get();
        m_processes = &m_posixProcesses;
    }

    ~WindowListX11Test() override
    {
        for (const Client& client : m_clients) {
            kill(client.pid, SIGKILL);
            waitpid(client.pid, nullptr, 0);
        }
    }

    // Starts a program; with `printsWindow` it is window_client, and its window's id is read.
    Client launch(std::vector<std::string> arguments, bool printsWindow)
    {
        int out[2];
        EXPECT_EQ(pipe(out), 0);
        const pid_t pid = fork();
        if (pid == 0) {
            dup2(out[1], STDOUT_FILENO);
            close(out[0]);
            std::vector<char*> argv;
            for (std::string& argument : arguments)
                argv.push_back(argument.data());
            argv.push_back(nullptr);
            execvp(argv[0], argv.data());
            _exit(127);
        }
        close(out[1]);
        Client client{pid, 0};
        m_clients.push_back(client);
        if (printsWindow) {
            FILE* lines = fdopen(out[0], "r");
            unsigned window = 0;
            EXPECT_EQ(std::fscanf(lines, "%u", &window), 1);
            std::fclose(lines);
            client.window = window;
        } else {
            close(out[0]);
        }
        return client;
    }

    Client windowClient(const std::string& caption, const std::string& windowClass, std::uint32_t parent = 0)
    {
        std::vector<std::string> arguments = {WINDOW_CLIENT, caption, windowClass};
        if (parent)
            arguments.push_back(std::to_string(parent));
        return launch(arguments, true);
    }

    // The windows of the desktop once every process of `pids` has one, waiting up to 10 s.
    std::vector<core::TopLevelWindow> windowsOf(const std::vector<pid_t>& pids)
    {
        std::vector<core::TopLevelWindow> windows;
        for (int attempt = 0; attempt < 100; ++attempt) {
            windows = m_xcbDesktop->topLevelWindows();
            bool all = true;
            for (const pid_t pid : pids) {
                all = all && std::any_of(windows.begin(), windows.end(), [&](const core::TopLevelWindow& w) {
                          return w.processId == std::uint32_t(pid);
                      });
            }
            if (all)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return windows;
    }

    static std::vector<core::TopLevelWindow> of(const std::vector<core::TopLevelWindow>& windows, pid_t pid)
    {
        std::vector<core::TopLevelWindow> found;
        std::copy_if(windows.begin(), windows.end(), std::back_inserter(found),
                     [&](const core::TopLevelWindow& w) { return w.processId == std::uint32_t(pid); });
        return found;
    }

    static bool listed(const std::vector<core::TopLevelWindow>& windows, const std::string& className)
    {
        return std::any_of(windows.begin(), windows.end(),
                           [&](const core::TopLevelWindow& w) { return w.className == className; });
    }

    std::unique_ptr<core::DesktopWindows> m_xcbDesktop;
    std::function<void()> m_duringRefill;
    core::PosixProcessControl m_posixProcesses;
    std::vector<Client> m_clients;
};

TEST_F(WindowListX11Test, ListsRealClientsAndEndsExactlyTheSelectedOne)
{
    std::vector<pid_t> pids;
    for (int i = 0; i < 3; ++i)
        pids.push_back(launch({"xlogo", "-geometry", "40x40"}, false).pid);
    const std::vector<core::TopLevelWindow> windows = windowsOf(pids);
    for (const pid_t pid : pids) {
        const auto listed = of(windows, pid);
        ASSERT_FALSE(listed.empty()) << pid;
        EXPECT_EQ(listed.front().className, "XLogo");
    }

    start();
    QListWidget& list = *section("TForm2").findChild<QListWidget*>(QStringLiteral("ListBox1"));
    section("TForm2").findChild<QPushButton*>(QStringLiteral("Button1"))->click();
    QListWidgetItem* victim = nullptr;
    for (const pid_t pid : pids) {
        const auto lines = list.findItems(QString::number(pid) + QStringLiteral("        "), Qt::MatchStartsWith);
        ASSERT_FALSE(lines.isEmpty()) << pid;
        EXPECT_TRUE(lines.front()->text().endsWith(QStringLiteral("    XLogo")));
        if (pid == pids[1])
            victim = lines.front();
    }
    victim->setSelected(true);
    section("TForm2").findChild<QPushButton*>(QStringLiteral("Button3"))->click();
    EXPECT_EQ(m_messageBoxes.messages, std::vector<std::string>{"Proces zamknięty."});
    int status = 0;
    ASSERT_EQ(waitpid(pids[1], &status, 0), pids[1]);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    EXPECT_TRUE(running(pids[0]));
    EXPECT_TRUE(running(pids[2]));
}

// A window manager puts each client into a frame of its own: the client is listed, not the frame.
TEST_F(WindowListX11Test, ListsTheClientInsideAFrame)
{
    const Client frame = windowClient("", "Frame");
    const Client framed = windowClient("Okno w ramce", "Framed", frame.window);
    const auto windows = windowsOf({framed.pid});
    EXPECT_TRUE(of(windows, frame.pid).empty());
    EXPECT_FALSE(listed(windows, "Frame"));
    EXPECT_EQ(of(windows, framed.pid),
              (std::vector<core::TopLevelWindow>{{std::uint32_t(framed.pid), "Okno w ramce", "Framed"}}));
}

TEST_F(WindowListX11Test, AClientThatExitsDuringARefillLeavesOutOnlyItself)
{
    const Client first = windowClient("Pierwsze", "First");
    const Client vanishing = windowClient("Znika", "Vanishing");
    const Client last = windowClient("Ostatnie", "Last");
    windowsOf({first.pid, vanishing.pid, last.pid});

    // Killed after the root's children were listed; the server has let go of its window before
    // the refill asks about it.
    bool killed = false;
    m_duringRefill = [&] {
        if (std::exchange(killed, true))
            return;
        kill(vanishing.pid, SIGKILL);
        waitpid(vanishing.pid, nullptr, 0);
        xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
        for (int attempt = 0; attempt < 500; ++attempt) {
            xcb_generic_error_t* error = nullptr;
            std::free(xcb_get_window_attributes_reply(
                connection, xcb_get_window_attributes(connection, vanishing.window), &error));
            const bool gone = error != nullptr;
            std::free(error);
            if (gone)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        xcb_disconnect(connection);
    };
    const std::vector<core::TopLevelWindow> windows = m_xcbDesktop->topLevelWindows();
    EXPECT_TRUE(killed);
    EXPECT_EQ(of(windows, first.pid), (std::vector<core::TopLevelWindow>{{std::uint32_t(first.pid), "Pierwsze", "First"}}));
    EXPECT_FALSE(listed(windows, "Vanishing"));
    EXPECT_EQ(of(windows, last.pid), (std::vector<core::TopLevelWindow>{{std::uint32_t(last.pid), "Ostatnie", "Last"}}));
}

} // namespace
