// Making a restore point of a real Wine prefix against `cp -a` of its three hives, both in the
// same run on the same folder. Target: at most 0.1 times the copy. The prefix is the one named
// by BENCH_WINE_PREFIX, else a fresh one made by `wine wineboot -i`.

#include "bench/reference_timing.h"

#include "core/platform/clock.h"
#include "core/restore/restore_points.h"

namespace {

constexpr double Target = 0.1;
constexpr int Rounds = 21;

} // namespace

int main()
{
    const std::filesystem::path folder = bench::makeWorkFolder("restore_point_bench");
    if (folder.empty())
        return 1;
    const std::filesystem::path prefix = bench::winePrefix(folder);
    if (prefix.empty()) {
        std::filesystem::remove_all(folder);
        return 1;
    }
    // A new prefix's thousands of files are still being written back; both measurements start after.
    ::sync();
    std::uintmax_t bytes = 0;
    std::vector<std::string> hives;
    for (const char* hive : {"system.reg", "user.reg", "userdef.reg"}) {
        bytes += std::filesystem::file_size(prefix / hive);
        hives.push_back((prefix / hive).string());
    }

    // Each copy goes to a folder of its own, as each point does.
    int copies = 0;
    const bench::Spread reference = bench::spreadMilliseconds(Rounds, [&] {
        const auto target = folder / ("copy" + std::to_string(++copies));
        std::filesystem::create_directory(target);
        const std::string to = target.string();
        if (!bench::runQuietly({"cp", "-a", hives[0].c_str(), hives[1].c_str(), hives[2].c_str(), to.c_str()}))
            std::printf("cp failed\n");
    });

    const core::HostClock clock;
    core::restore::PointStore store(prefix, clock);
    const bench::Spread point =
        bench::spreadMilliseconds(Rounds, [&] { store.create(core::restore::PointKind::User, "pomiar"); });
    std::filesystem::remove_all(store.folder());
    std::filesystem::remove_all(folder);

    const double ratio = point / reference;
    std::printf("Wine prefix hives: %ju bytes\n", bytes);
    std::printf("reference (cp -a of the three hives): %s ms (min / median / max)\n", reference.text("%.3f").c_str());
    std::printf("restore point:                        %s ms  (%.3f x reference)\n", point.text("%.3f").c_str(), ratio);
    std::printf("target: at most %.2f x: %s\n", Target, ratio <= Target ? "met" : "MISSED");
    return ratio <= Target ? 0 : 1;
}
