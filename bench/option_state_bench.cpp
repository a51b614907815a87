// The options' current choices ("Pokazuj stan opcji (0 lub 1)=1") on the hives of a Wine-made
// prefix (its system.reg is about 1.7 MB):
//   state  each window's state read (chrome::OptionState::current) by the program's registry,
//          which has read the hives before, against reading the two hive files once. Target: the
//          slowest window's median at most 2 ms. Shown besides: the same after a click (the files
//          read again) and after another program changed them (the hives parsed anew).
//   show   the Performance window shown by the main menu's opening sequence, drawn and hidden
//          again, with the switch on against the same with it off. Target: at most 1.2 times.
// The prefix is the one named by BENCH_WINE_PREFIX, else a fresh one made by `wine wineboot -i`.
//     option_state_bench

#include "app/definitions.h"
#include "ui/qt/window_set.h"
#include "bench/bench_program.h"
#include "bench/reference_timing.h"
#include "chrome/option_state.h"
#include "ui/qt/section_window.h"
#include "sections/definitions.h"
#include "ui/qt/application.h"

#include "core/registry/wine_registry.h"

#include <QApplication>

#include <fcntl.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr double kTargetMilliseconds = 2.0;
constexpr double kTargetShowRatio = 1.2;
constexpr int kRounds = 101;
constexpr int kShowRounds = 61;
constexpr int kColdRounds = 11;

// What any program pays to read both hive files once: each into memory kept from the last time.
void readFiles(const std::filesystem::path& machine, std::string (&texts)[2])
{
    int index = 0;
    for (const char* hive : {"system.reg", "user.reg"}) {
        std::string& text = texts[index++];
        const int fd = ::open((machine / hive).c_str(), O_RDONLY | O_CLOEXEC);
        struct stat info {};
        if (fd < 0 || ::fstat(fd, &info) != 0) {
            std::perror(hive);
            std::exit(2);
        }
        text.resize(static_cast<std::size_t>(info.st_size));
        std::size_t size = 0;
        ssize_t got = 0;
        while (size < text.size() && (got = ::read(fd, text.data() + size, text.size() - size)) > 0)
            size += static_cast<std::size_t>(got);
        ::close(fd);
    }
}

bool measureState(const std::filesystem::path& machine)
{
    core::WineRegistry registry(machine, 2400);
    std::string texts[2];
    const bench::Spread reference = bench::spreadMilliseconds(kRounds, [&] { readFiles(machine, texts); });
    std::printf("reading system.reg and user.reg once: %s ms (min / median / max)\n", reference.text("%.3f").c_str());
    bench::Spread slowest;
    std::string slowestName;
    for (const chrome::WindowDefinition* definition : app::skinnedDefinitions()) {
        const chrome::OptionState state(*definition);
        if (state.empty())
            continue;
        const bench::Spread read = bench::spreadMilliseconds(kRounds, [&] { state.current(registry); });
        std::printf("  %-7s %2zu targets: %s ms (%.2f x reference)\n", definition->className.c_str(),
                    state.targets().size(), read.text("%.3f").c_str(), read / reference);
        if (read.median > slowest.median) {
            slowest = read;
            slowestName = definition->className;
        }
    }
    const chrome::OptionState performance(sections::performanceDefinition());
    // After a click the hive files are new ones, with the text in memory: read, not parsed.
    std::vector<double> rewritten;
    for (int round = 0; round < kRounds; ++round) {
        for (const char* hive : {"system.reg", "user.reg"})
            ::utimensat(AT_FDCWD, (machine / hive).c_str(), nullptr, 0);
        rewritten.push_back(bench::milliseconds([&] { performance.current(registry); }));
    }
    std::printf("  TForm5 after its own click (the hive files read again, not parsed): %s ms\n",
                bench::spread(rewritten).text("%.3f").c_str());
    // After another program changed a hive, the first read parses it anew.
    std::vector<double> colds;
    for (int round = 0; round < kColdRounds; ++round) {
        std::optional<core::WineRegistry> fresh;
        fresh.emplace(machine, 2400);
        colds.push_back(bench::milliseconds([&] { performance.current(*fresh); }));
    }
    std::printf("  TForm5 after a change by another program (the hives parsed anew): %s ms\n",
                bench::spread(colds).text("%.3f").c_str());
    const bool met = slowest.median <= kTargetMilliseconds;
    std::printf("slowest window's state (%s): %.3f ms, %.2f x reference (target <= %.1f ms): %s\n", slowestName.c_str(),
                slowest.median, slowest / reference, kTargetMilliseconds, met ? "met" : "MISSED");
    return met;
}

bool measureShow(const std::filesystem::path& prefix)
{
    core::NoDesktopWindows desktop;
    BenchProgram off("option-state-off", desktop, prefix, false);
    BenchProgram on("option-state-on", desktop, prefix, true);
    auto performance = [](BenchProgram& program) -> chrome::SectionWindow& {
        return *qobject_cast<chrome::SectionWindow*>(program.windows().byClass("TForm5"));
    };
    auto show = [](chrome::SectionWindow& window) {
        window.openingSequence();
        QApplication::processEvents();
        window.hide();
        QApplication::processEvents();
    };
    std::vector<double> offTimes;
    std::vector<double> onTimes;
    show(performance(off));
    show(performance(on));
    for (int round = 0; round < kShowRounds; ++round) {
        offTimes.push_back(bench::milliseconds([&] { show(performance(off)); }));
        onTimes.push_back(bench::milliseconds([&] { show(performance(on)); }));
    }
    const bench::Spread offSpread = bench::spread(offTimes);
    const bench::Spread onSpread = bench::spread(onTimes);
    const double ratio = onSpread / offSpread;
    const bool met = ratio <= kTargetShowRatio && off.errorCount() == 0 && on.errorCount() == 0;
    std::printf("showing the Performance window, switch off: %s ms\n", offSpread.text("%.3f").c_str());
    std::printf("showing the Performance window, switch on:  %s ms\n", onSpread.text("%.3f").c_str());
    std::printf("ratio: %.2f (target <= %.1f): %s\n", ratio, kTargetShowRatio, met ? "met" : "MISSED");
    if (on.errorCount() != 0)
        std::printf("errors: %d, the last: %s\n", on.errorCount(), on.lastError().c_str());
    return met;
}

} // namespace

int main(int argc, char** argv)
{
    // A window is shown on the display when there is one.
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        bench::drawOffscreenWithoutDisplay();
    QApplication application(argc, argv);
    app::initPictures();
    app::installFonts();

    const std::filesystem::path folder = bench::makeWorkFolder("option_state_bench");
    if (folder.empty())
        return 1;
    const std::filesystem::path prefix = bench::winePrefix(folder);
    if (prefix.empty()) {
        std::filesystem::remove_all(folder);
        return 1;
    }
    const std::filesystem::path machine = folder / "machine";
    std::filesystem::create_directories(machine);
    for (const char* hive : {"system.reg", "user.reg"})
        std::filesystem::copy_file(prefix / hive, machine / hive);
    std::printf("system.reg: %.2f MB, user.reg: %.2f MB\n",
                static_cast<double>(std::filesystem::file_size(machine / "system.reg")) / 1e6,
                static_cast<double>(std::filesystem::file_size(machine / "user.reg")) / 1e6);

    const bool stateMet = measureState(machine);
    const bool showMet = measureShow(prefix);
    std::filesystem::remove_all(folder);
    return stateMet && showMet ? 0 : 1;
}
