// Filling the Removal window's file list from a folder of 10,000 files (reading the folder,
// sorting the names, showing the first screenful) against `ls -f` of the same folder run in
// the same session. Target: at most 3 x the reference.
//     wallpaper_list_bench

#include "bench/reference_timing.h"
#include "core/machine/machine_drive_files.h"
#include "ui/qt/file_list_box.h"

#include <QApplication>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

constexpr int kFiles = 10000;
constexpr int kRounds = 21;
constexpr double kTarget = 3.0;

} // namespace

int main(int argc, char** argv)
{
    bench::drawOffscreenWithoutDisplay();
    QApplication application(argc, argv);
    const std::filesystem::path machineFolder = bench::makeWorkFolder("wallpaper_list_bench");
    if (machineFolder.empty())
        return 1;
    const core::Machine machine(machineFolder, "user");
    const std::filesystem::path folder = machine.driveC() / "Tapety";
    std::filesystem::create_directories(folder);
    const char* const kinds[] = {".jpg", ".BMP", ".emf", ".exe", ".txt"};
    for (int i = 0; i < kFiles; ++i) {
        const std::string name = (i % 3 ? "Tapeta " : "zdjęcie ") + std::to_string((i * 7919) % kFiles) + kinds[i % 5];
        std::ofstream(folder / name).put('x');
    }
    std::filesystem::create_directories(folder / "Podfolder");

    int status = 0;
    {
        const core::MachineDriveFiles drive(core::posixSystemCalls(), machine);
        chrome::FileListBox list(nullptr, &drive);
        list.setGeometry(0, 0, 105, 177);
        list.setDirectory({"Tapety"});
        list.show();
        const bench::Spread reference = bench::spreadMilliseconds(kRounds, [&] {
            if (!bench::runQuietly({"ls", "-f", folder.c_str()}))
                status = 1;
        });
        const bench::Spread fill = bench::spreadMilliseconds(kRounds, [&] {
            list.fill();
            list.viewport()->repaint();
        });
        if (list.names().size() != kFiles) {
            std::fprintf(stderr, "wallpaper_list_bench: %lld names listed, %d expected\n",
                         static_cast<long long>(list.names().size()), kFiles);
            status = 1;
        }
        const double ratio = fill / reference;
        std::printf("file list of a folder of %d files, min / median / max of %d rounds:\n", kFiles, kRounds);
        std::printf("  reference (ls -f of the folder):   %s ms\n", reference.text("%.3f").c_str());
        std::printf("  filling the list and drawing it:  %s ms  (%.2f x reference, target <= %.1f): %s\n",
                    fill.text("%.3f").c_str(), ratio, kTarget, ratio <= kTarget ? "target met" : "TARGET MISSED");
        if (ratio > kTarget)
            status = 1;
    }
    std::filesystem::remove_all(machineFolder);
    return status;
}
