// Making a restore point of a real Wine prefix against `cp -a` of its three hives, both in the
// same run on the same folder. Target: at most 0.1 times the copy. The prefix is the one named
// by BENCH_WINE_PREFIX, else a fresh one made by `wine wineboot -i`.

#include "core/platform/clock.h"
#include "core/restore/restore_points.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr double Target = 0.1;
constexpr int Rounds = 21;

double medianMilliseconds(const std::function<void()>& work, const std::function<void()>& after)
{
    std::vector<double> rounds;
    for (int r = 0; r < Rounds; ++r) {
        const auto start = std::chrono::steady_clock::now();
        work();
        rounds.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        after();
    }
    std::nth_element(rounds.begin(), rounds.begin() + Rounds / 2, rounds.end());
    return rounds[Rounds / 2];
}

std::string quote(const std::filesystem::path& path)
{
    std::string out = "'";
    for (const char c : path.string())
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

} // namespace

int main()
{
    auto pattern = (std::filesystem::temp_directory_path() / "restore-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::filesystem::path folder = pattern;
    std::filesystem::path prefix = folder / "prefix";
    if (const char* given = std::getenv("BENCH_WINE_PREFIX"); given && *given) {
        prefix = given;
    } else if (std::system(("WINEPREFIX=" + quote(prefix) + " WINEDEBUG=-all wine wineboot -i >/dev/null 2>&1 && WINEPREFIX=" +
                            quote(prefix) + " wineserver -w")
                               .c_str()) != 0) {
        std::printf("no Wine prefix: Wine could not make one (set BENCH_WINE_PREFIX to use another)\n");
        std::filesystem::remove_all(folder);
        return 1;
    }
    std::uintmax_t bytes = 0;
    for (const char* hive : {"system.reg", "user.reg", "userdef.reg"})
        bytes += std::filesystem::file_size(prefix / hive);

    const auto copies = folder / "copies";
    const std::string copy = "cp -a " + quote(prefix / "system.reg") + " " + quote(prefix / "user.reg") + " " +
                             quote(prefix / "userdef.reg") + " " + quote(copies);
    const double reference = medianMilliseconds(
        [&] {
            std::filesystem::create_directory(copies);
            if (std::system(copy.c_str()) != 0)
                std::printf("cp failed\n");
        },
        [&] { std::filesystem::remove_all(copies); });

    const core::HostClock clock;
    core::restore::PointStore store(prefix, clock);
    const double point = medianMilliseconds([&] { store.create(core::restore::PointKind::User, "pomiar"); },
                                            [&] { store.remove(store.list().back().number); });
    std::filesystem::remove_all(prefix / "drive_c" / "System Volume Information" / "_restore");
    std::filesystem::remove_all(folder);

    const double ratio = point / reference;
    std::printf("Wine prefix hives: %ju bytes\n", static_cast<std::uintmax_t>(bytes));
    std::printf("reference (cp -a of the three hives): %.3f ms\n", reference);
    std::printf("restore point:                        %.3f ms  (%.3f x reference)\n", point, ratio);
    std::printf("target: at most %.2f x: %s\n", Target, ratio <= Target ? "met" : "MISSED");
    return ratio <= Target ? 0 : 1;
}
