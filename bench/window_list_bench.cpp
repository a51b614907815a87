// The System window's refill ("Odśwież": the desktop's top-level windows asked for through xcb,
// their lines built, sorted and put into the list box) with 500 top-level windows of the
// benchmark's own on the X server, against `xwininfo -root -children` listing the same windows
// in the same run, its process start included. Target: a refill takes no longer than xwininfo.
//     window_list_bench   (needs an X display)

#include "ui/qt/application.h"
#include "bench/bench_program.h"
#include "bench/reference_timing.h"
#include "sections/system/tform2.h"

#include "core/platform/xcb_desktop_windows.h"

#include <xcb/xcb.h>

#include <QApplication>
#include <QListWidget>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int kWindows = 500;
constexpr int kRounds = 31;

// Top-level windows with a caption and a class, as applications have them.
void createWindows(xcb_connection_t* connection)
{
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    for (int i = 0; i < kWindows; ++i) {
        const xcb_window_t window = xcb_generate_id(connection);
        xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, screen->root, static_cast<std::int16_t>(i % 900),
                          static_cast<std::int16_t>(i % 700), 40, 30, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                          screen->root_visual, 0, nullptr);
        const std::string caption = "Okno benchmarku " + std::to_string(i);
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                            static_cast<std::uint32_t>(caption.size()), caption.data());
        const char windowClass[] = "bench\0BenchWindow";
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                            sizeof windowClass, windowClass);
        xcb_map_window(connection, window);
    }
    std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
}

// Runs `xwininfo -root -children` and reads all it prints; the number of lines.
int xwininfo()
{
    int out[2];
    if (pipe(out) != 0)
        return -1;
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], STDOUT_FILENO);
        close(out[0]);
        execlp("xwininfo", "xwininfo", "-root", "-children", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(out[1]);
    int lines = 0;
    char buffer[65536];
    for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;)
        lines += static_cast<int>(std::count(buffer, buffer + n, '\n'));
    close(out[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? lines : -1;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::fprintf(stderr, "window_list_bench: needs an X display\n");
        return 1;
    }
    // The program's own windows stay off the X server; the list reads it through its own connection.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    app::initPictures();
    app::installFonts();

    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "window_list_bench: cannot connect to the X display\n");
        return 1;
    }
    createWindows(connection);

    int status = 0;
    {
        const std::unique_ptr<core::DesktopWindows> desktop = core::connectXcbDesktop(nullptr);
        if (!desktop)
            return 1;
        BenchProgram program("window-list-bench", *desktop);
        app::WindowSet& windows = program.windows();
        TForm2& behaviour = windows.get<TForm2>();
        auto& system = *qobject_cast<chrome::SectionWindow*>(windows.byClass("TForm2"));
        auto* list = system.findChild<QListWidget*>(QStringLiteral("ListBox1"));
        // Only the benchmark refills.
        system.timer(QStringLiteral("Timer1"))->stop();
        system.timer(QStringLiteral("Timer2"))->stop();

        const int listed = xwininfo();
        const bench::Spread reference = bench::spreadMilliseconds(kRounds, [] { xwininfo(); });
        const bench::Spread refill = bench::spreadMilliseconds(kRounds, [&] { behaviour.Button1Click(); });
        const bench::Spread asking = bench::spreadMilliseconds(kRounds, [&] { desktop->topLevelWindows(); });
        if (list->count() < kWindows || listed < kWindows) {
            std::fprintf(stderr, "window_list_bench: %d lines in the list, %d from xwininfo, expected %d or more\n",
                         list->count(), listed, kWindows);
            status = 1;
        }
        if (program.errorCount() != 0)
            status = 1;
        std::printf("window list refill with %d top-level windows (%d lines), min / median / max of %d runs:\n",
                    kWindows, list->count(), kRounds);
        std::printf("  reference (xwininfo -root -children, %d lines): %s ms\n", listed,
                    reference.text("%.3f").c_str());
        std::printf("  refill, list box filled:                        %s ms  (%.2f x reference): %s\n",
                    refill.text("%.3f").c_str(), refill / reference,
                    refill <= reference ? "target met" : "TARGET MISSED");
        std::printf("  of which asking the X server:                    %s ms\n", asking.text("%.3f").c_str());
        if (refill > reference)
            status = 1;
    }
    xcb_disconnect(connection);
    return status;
}
