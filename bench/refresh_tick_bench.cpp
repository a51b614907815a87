// The main window's information refresh (`Timer37`, ten times a second for the whole run) on the
// real clock, drive C: of a fresh machine and the screen, against a reference measured in the
// same run: the same five labels set to the texts a tick gives, with nothing asked of the system.
// Target: a tick costs at most 0.1% of one core at ten ticks a second (100 us), a tenth of the
// program's idle budget of 1%.
//     refresh_tick_bench

#include "ui/qt/application.h"
#include "app/tform1.h"
#include "bench/bench_program.h"
#include "bench/timing.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int kTicks = 1000;
constexpr int kRounds = 15;
constexpr double kTicksPerSecond = 10;
constexpr double kTargetCorePercent = 0.1;

// Time of one call over rounds of kTicks calls, in microseconds.
bench::Spread spreadMicroseconds(const std::function<void()>& call)
{
    return bench::spreadMilliseconds(kRounds, call, kTicks).scaled(1e3);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    app::initPictures();
    app::installFonts();

    int status = 0;
    {
        core::NoDesktopWindows desktop;
        BenchProgram program("refresh-bench", desktop);
        app::WindowSet& windows = program.windows();
        chrome::SectionWindow& main = windows.main();
        TForm1& behaviour = windows.get<TForm1>();
        main.show();
        QApplication::processEvents();
        // Only the benchmark ticks.
        main.timer(QStringLiteral("Timer37"))->stop();

        behaviour.Timer37Timer();
        const char* const names[] = {"Label7", "Label5", "Label11", "Label12", "Label6"};
        std::vector<std::pair<chrome::SkinLabel*, QString>> texts;
        for (const char* name : names) {
            chrome::SkinLabel* label = main.label(QString::fromLatin1(name));
            texts.emplace_back(label, label->text());
        }

        const bench::Spread reference = spreadMicroseconds([&] {
            for (auto& [label, text] : texts)
                label->setText(text);
        });
        const bench::Spread tick = spreadMicroseconds([&] { behaviour.Timer37Timer(); });
        // Once a second the time changes and the date's label is drawn again.
        const bench::Spread repaint = spreadMicroseconds([&] {
            texts[0].first->setText(QString());
            behaviour.Timer37Timer();
            QApplication::processEvents();
        });
        if (program.errorCount() != 0) {
            std::fprintf(stderr, "refresh_tick_bench: %d errors, the last: %s\n", program.errorCount(),
                         program.lastError().c_str());
            status = 1;
        }

        const double corePercent = tick * kTicksPerSecond / 1e6 * 100;
        std::printf("information refresh, %d ticks a round, min / median / max of %d rounds:\n", kTicks, kRounds);
        std::printf("  reference (the five labels set to the same texts): %s us\n", reference.text("%.3f").c_str());
        std::printf("  one tick (clock, drive C:, screen, five labels):   %s us  (%.1f x reference)\n",
                    tick.text("%.3f").c_str(), tick / reference);
        std::printf("  one tick whose date label is drawn again:           %s us  (%.1f x reference)\n",
                    repaint.text("%.3f").c_str(), repaint / reference);
        std::printf("  ten ticks a second: %.4f%% of one core (target <= %.1f%%): %s\n", corePercent,
                    kTargetCorePercent, corePercent <= kTargetCorePercent ? "target met" : "TARGET MISSED");
        if (corePercent > kTargetCorePercent)
            status = 1;
    }
    return status;
}
