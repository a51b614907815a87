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
#include <cstring>
#include <string_view>
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
    QListWidget& list = widget<QListWidget>(section("TForm2"), QStringLiteral("ListBox1"));
    widget<QPushButton>(section("TForm2"), QStringLiteral("Button1")).click();
    QListWidgetItem* victim = nullptr;
    for (const pid_t pid : pids) {
        const auto lines = list.findItems(QString::number(pid) + QStringLiteral("        "), Qt::MatchStartsWith);
        ASSERT_FALSE(lines.isEmpty()) << pid;
        EXPECT_TRUE(lines.front()->text().endsWith(QStringLiteral("    XLogo")));
        if (pid == pids[1])
            victim = lines.front();
    }
    victim->setSelected(true);
    widget<QPushButton>(section("TForm2"), QStringLiteral("Button3")).click();
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
            std::free(xcb_get_window_attributes_reply(connection,
                                                      xcb_get_window_attributes(connection, vanishing.window), &error));
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
    EXPECT_EQ(of(windows, first.pid),
              (std::vector<core::TopLevelWindow>{{std::uint32_t(first.pid), "Pierwsze", "First"}}));
    EXPECT_FALSE(listed(windows, "Vanishing"));
    EXPECT_EQ(of(windows, last.pid),
              (std::vector<core::TopLevelWindow>{{std::uint32_t(last.pid), "Ostatnie", "Last"}}));
}

// A server of the test's own that also takes TCP connections; a client that comes over TCP is
// one whose process the server cannot name.
class TcpServer {
public:
    TcpServer()
    {
        int displayFd[2];
        if (pipe(displayFd) != 0)
            return;
        m_pid = fork();
        if (m_pid == 0) {
            close(displayFd[0]);
            const std::string fd = std::to_string(displayFd[1]);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-listen", "tcp", "-ac", "-screen", "0", "320x240x24",
                   static_cast<char*>(nullptr));
            _exit(127);
        }
        close(displayFd[1]);
        FILE* number = fdopen(displayFd[0], "r");
        int display = -1;
        if (std::fscanf(number, "%d", &display) == 1)
            m_display = display;
        std::fclose(number);
    }
    ~TcpServer()
    {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
        }
    }
    TcpServer(const TcpServer&) = delete;
    TcpServer& operator=(const TcpServer&) = delete;

    std::string local() const { return ":" + std::to_string(m_display); }
    std::string overTcp() const { return "127.0.0.1:" + std::to_string(m_display); }
    bool started() const { return m_display >= 0; }

private:
    pid_t m_pid = -1;
    int m_display = -1;
};

xcb_atom_t atom(xcb_connection_t* connection, const char* name)
{
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t found = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(reply);
    return found;
}

void setText(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t name, xcb_atom_t type, std::string_view text)
{
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, name, type, 8,
                        static_cast<std::uint32_t>(text.size()), text.data());
}

// A client over TCP says its window belongs to a process of this host: _NET_WM_PID names an
// unrelated process and WM_CLIENT_MACHINE this host's name. Only the server's word counts, and
// it has none: the line shows no process, and "Zakończ" on it ends nothing.
TEST_F(WindowListX11Test, AClientOverTcpNamesNoProcessWhateverItClaims)
{
    const TcpServer server;
    ASSERT_TRUE(server.started());
    m_xcbDesktop = core::connectXcbDesktop(server.local().c_str());
    ASSERT_NE(m_xcbDesktop, nullptr);
    m_desktop = m_xcbDesktop.get();

    const Client victim = launch({"sleep", "600"}, false);
    const std::unique_ptr<xcb_connection_t, void (*)(xcb_connection_t*)> connection(
        xcb_connect(server.overTcp().c_str(), nullptr), xcb_disconnect);
    xcb_connection_t* remote = connection.get();
    ASSERT_EQ(xcb_connection_has_error(remote), 0);
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(remote)).data;
    const xcb_window_t window = xcb_generate_id(remote);
    xcb_create_window(remote, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 60, 40, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
    setText(remote, window, atom(remote, "_NET_WM_NAME"), atom(remote, "UTF8_STRING"), "Obcy");
    setText(remote, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, std::string_view("remote\0Remote\0", 14));
    char host[256] = {};
    ASSERT_EQ(gethostname(host, sizeof host - 1), 0);
    setText(remote, window, XCB_ATOM_WM_CLIENT_MACHINE, XCB_ATOM_STRING, host);
    const std::uint32_t claimed = std::uint32_t(victim.pid);
    xcb_change_property(remote, XCB_PROP_MODE_REPLACE, window, atom(remote, "_NET_WM_PID"), XCB_ATOM_CARDINAL, 32, 1,
                        &claimed);
    xcb_map_window(remote, window);
    std::free(xcb_get_input_focus_reply(remote, xcb_get_input_focus(remote), nullptr));

    start();
    QListWidget& list = widget<QListWidget>(section("TForm2"), QStringLiteral("ListBox1"));
    const auto lines = list.findItems(QStringLiteral("        Obcy    Remote"), Qt::MatchEndsWith);
    ASSERT_EQ(lines.size(), 1);
    EXPECT_EQ(lines.front()->text(), QStringLiteral("0        Obcy    Remote"));
    lines.front()->setSelected(true);
    widget<QPushButton>(section("TForm2"), QStringLiteral("Button3")).click();
    EXPECT_EQ(m_messageBoxes.messages, std::vector<std::string>{"Nie można otworzyć procesu."});
    EXPECT_TRUE(running(victim.pid));
}

} // namespace
