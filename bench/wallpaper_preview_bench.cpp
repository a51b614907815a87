// Loading a 1920 x 1080 JPEG wallpaper into the Removal window's preview (reading and decoding
// the file, drawing it stretched over the preview) against `djpeg` of the same file run in the
// same session. Target: at most 1.5 x the reference.
//     wallpaper_preview_bench

#include "bench/reference_timing.h"
#include "ui/qt/wallpaper/picture_files.h"
#include "ui/qt/wallpaper/preview.h"

#include <QApplication>

#include <turbojpeg.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr int kRounds = 21;
constexpr double kTarget = 1.5;

// A photograph-like picture: soft gradients with fine detail, so the JPEG is of a usual size.
bool writeWallpaper(const std::filesystem::path& file)
{
    std::vector<unsigned char> pixels(static_cast<std::size_t>(kWidth) * kHeight * 3);
    unsigned noise = 2004;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            noise = noise * 1103515245u + 12345u;
            const double wave = std::sin(x * 0.01) * std::cos(y * 0.013);
            unsigned char* p = &pixels[(static_cast<std::size_t>(y) * kWidth + static_cast<std::size_t>(x)) * 3];
            p[0] = static_cast<unsigned char>(std::lround(100 + 80 * wave) + ((noise >> 16) & 15));
            p[1] = static_cast<unsigned char>(std::lround(120 + 60 * std::sin(y * 0.005)) + ((noise >> 20) & 15));
            p[2] = static_cast<unsigned char>(std::lround(150 - 70 * wave) + ((noise >> 24) & 15));
        }
    }
    tjhandle compressor = tjInitCompress();
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    const bool compressed =
        tjCompress2(compressor, pixels.data(), kWidth, 0, kHeight, TJPF_RGB, &jpeg, &size, TJSAMP_420, 85, 0) == 0;
    std::ofstream out(file, std::ios::binary);
    if (compressed)
        out.write(reinterpret_cast<const char*>(jpeg), static_cast<std::streamsize>(size));
    tjFree(jpeg);
    tjDestroy(compressor);
    return compressed && out.good();
}

} // namespace

int main(int argc, char** argv)
{
    bench::drawOffscreenWithoutDisplay();
    QApplication application(argc, argv);
    const std::filesystem::path folder = bench::makeWorkFolder("wallpaper_preview_bench");
    if (folder.empty())
        return 1;
    const std::filesystem::path file = folder / "Tapeta.jpg";
    int status = writeWallpaper(file) ? 0 : 1;
    if (status == 0) {
        removal::Preview preview(nullptr);
        preview.setGeometry(0, 0, 209, 153);
        preview.setStretch(true);
        preview.show();
        const bench::Spread reference = bench::spreadMilliseconds(kRounds, [&] {
            if (!bench::runQuietly({"djpeg", "-outfile", "/dev/null", file.c_str()}))
                status = 1;
        });
        const bench::Spread load = bench::spreadMilliseconds(kRounds, [&] {
            preview.setPicture(removal::loadPictureFile(file));
            preview.repaint();
        });
        const double ratio = load / reference;
        std::printf("a %d x %d JPEG into the preview, min / median / max of %d rounds:\n", kWidth, kHeight, kRounds);
        std::printf("  reference (djpeg of the file):      %s ms\n", reference.text("%.3f").c_str());
        std::printf("  loading it and drawing it stretched: %s ms  (%.2f x reference, target <= %.1f): %s\n",
                    load.text("%.3f").c_str(), ratio, kTarget, ratio <= kTarget ? "target met" : "TARGET MISSED");
        if (ratio > kTarget)
            status = 1;
    }
    std::filesystem::remove_all(folder);
    return status;
}
