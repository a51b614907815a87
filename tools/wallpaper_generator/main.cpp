// Draws the sample wallpapers that a new machine finds in C:\Windows\Web\Wallpaper.
// Run once by hand; its pictures are committed under resources/baseline/wallpapers/:
//     wallpaper_generator resources/baseline/wallpapers

#include "core/error.h"

#include <turbojpeg.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int Width = 640;
constexpr int Height = 480;
constexpr double Pi = 3.14159265358979323846;

struct Colour {
    double r, g, b;
};

Colour mix(Colour a, Colour b, double t)
{
    t = std::clamp(t, 0.0, 1.0);
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

double smooth(double edge0, double edge1, double x)
{
    const double t = std::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

// A fixed sequence, so every run draws the same pictures.
class Random {
public:
    double next()
    {
        m_state = m_state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<double>(m_state >> 11) / static_cast<double>(1ull << 53);
    }

private:
    std::uint64_t m_state = 2004;
};

using Painter = std::function<Colour(double x, double y)>; // x, y in 0..1

Colour field(double x, double y)
{
    Colour sky = mix({40, 90, 200}, {170, 210, 245}, y / 0.6);
    // Two soft clouds.
    const double c1 = std::exp(-(std::pow((x - 0.25) / 0.12, 2) + std::pow((y - 0.18) / 0.04, 2)));
    const double c2 = std::exp(-(std::pow((x - 0.7) / 0.16, 2) + std::pow((y - 0.28) / 0.05, 2)));
    sky = mix(sky, {250, 250, 252}, 0.9 * std::max(c1, c2));
    const double horizon = 0.62 - 0.08 * std::sin(x * Pi * 1.3 + 0.4) - 0.03 * std::sin(x * Pi * 4.1);
    if (y < horizon)
        return sky;
    const double depth = (y - horizon) / (1 - horizon);
    // Rows of ripe grain running towards the horizon.
    Colour grain = mix({235, 200, 90}, {170, 120, 40}, depth);
    const double rows = 0.5 + 0.5 * std::sin((x - 0.5) / (0.15 + depth) * 60);
    grain = mix(grain, {150, 100, 30}, 0.35 * rows * depth);
    return mix(sky, grain, smooth(0, 0.01, y - horizon));
}

Colour sunset(double x, double y)
{
    const double sea = 0.66;
    const double sunX = 0.55, sunY = 0.56, sunR = 0.07;
    if (y < sea) {
        Colour sky = y < 0.35 ? mix({60, 30, 90}, {200, 80, 70}, y / 0.35)
                              : mix({200, 80, 70}, {250, 170, 60}, (y - 0.35) / (sea - 0.35));
        const double d = std::hypot((x - sunX) * 4.0 / 3.0, y - sunY);
        sky = mix(sky, {255, 220, 120}, 0.6 * std::exp(-d * d / 0.02));
        return mix(sky, {255, 240, 190}, smooth(sunR + 0.004, sunR - 0.004, d));
    }
    const double depth = (y - sea) / (1 - sea);
    Colour water = mix({120, 50, 60}, {20, 15, 40}, depth);
    // The sun's path on the water, broken by the waves.
    const double path = std::exp(-std::pow((x - sunX) / (0.05 + 0.1 * depth), 2));
    const double waves = 0.5 + 0.5 * std::sin(y * 300 + std::sin(x * 30) * 2);
    return mix(water, {250, 170, 80}, path * waves * (1 - 0.6 * depth));
}

Colour waves(double x, double y)
{
    double v = 0;
    for (int i = 1; i <= 4; ++i)
        v += std::sin(x * Pi * (1.5 * i) + y * Pi * (0.8 * i) + i * 1.7 + std::sin(y * Pi * i) * 1.2) / i;
    v = 0.5 + 0.25 * v;
    Colour c = mix({10, 40, 110}, {60, 150, 220}, v);
    return mix(c, {200, 235, 250}, smooth(0.82, 0.95, v));
}

Colour night(double x, double y)
{
    static const std::vector<std::array<double, 3>> stars = [] {
        std::vector<std::array<double, 3>> s;
        Random random;
        for (int i = 0; i < 180; ++i)
            s.push_back({random.next(), random.next() * 0.75, 0.3 + 0.7 * random.next()});
        return s;
    }();
    Colour c = mix({5, 8, 30}, {30, 40, 90}, y);
    for (const auto& star : stars) {
        const double d = std::hypot((x - star[0]) * Width, (y - star[1]) * Height);
        if (d < 2.5)
            c = mix(c, {255, 255, 240}, star[2] * (1 - d / 2.5));
    }
    const double moon = std::hypot((x - 0.8) * 4.0 / 3.0, y - 0.2);
    const double shadow = std::hypot((x - 0.83) * 4.0 / 3.0, y - 0.18);
    c = mix(c, {250, 245, 210}, smooth(0.062, 0.058, moon) * smooth(0.055, 0.062, shadow));
    // A dark range of hills at the bottom.
    const double ridge = 0.85 - 0.05 * std::sin(x * Pi * 3 + 1) - 0.02 * std::sin(x * Pi * 11);
    return mix(c, {3, 5, 12}, smooth(ridge - 0.003, ridge + 0.003, y));
}

bool save(const std::string& path, const Painter& paint)
{
    std::vector<unsigned char> pixels(static_cast<size_t>(Width) * Height * 3);
    for (int j = 0; j < Height; ++j) {
        for (int i = 0; i < Width; ++i) {
            const Colour c = paint((i + 0.5) / Width, (j + 0.5) / Height);
            unsigned char* p = &pixels[(static_cast<size_t>(j) * Width + static_cast<size_t>(i)) * 3];
            p[0] = static_cast<unsigned char>(std::clamp(c.r, 0.0, 255.0));
            p[1] = static_cast<unsigned char>(std::clamp(c.g, 0.0, 255.0));
            p[2] = static_cast<unsigned char>(std::clamp(c.b, 0.0, 255.0));
        }
    }
    tjhandle compressor = tjInitCompress();
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    const int rc = tjCompress2(compressor, pixels.data(), Width, 0, Height, TJPF_RGB, &jpeg, &size, TJSAMP_420, 80,
                               TJFLAG_ACCURATEDCT);
    bool ok = rc == 0;
    if (ok) {
        FILE* out = std::fopen(path.c_str(), "wb");
        ok = out && std::fwrite(jpeg, 1, size, out) == size;
        if (out)
            ok = std::fclose(out) == 0 && ok;
    }
    if (!ok)
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
    tjFree(jpeg);
    tjDestroy(compressor);
    return ok;
}

int run(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    bool ok = save(folder + "/Pole.jpg", field);
    ok = save(folder + "/Zachod.jpg", sunset) && ok;
    ok = save(folder + "/Fale.jpg", waves) && ok;
    ok = save(folder + "/Noc.jpg", night) && ok;
    return ok ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    return core::runMain("wallpaper_generator", [&] { return run(argc, argv); });
}
