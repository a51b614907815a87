// A click while a Wine program holds the prefix (through our registry helper, once it is up)
// against Wine's own `wine reg add` with a warm server, on the same prefix.
// Usage: live_prefix_bench PREFIX HELPER.EXE (the prefix held by a running Wine program).
#include "core/registry/live_prefix_registry.h"
#include "core/registry/tregistry.h"
#include "core/registry/wine_registry.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start, int runs)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count() / runs;
}

void click(core::RegistryApi& registry, std::int32_t value)
{
    core::TRegistry handler(registry);
    handler.SetRootKey(core::RootKey::LocalMachine);
    handler.OpenKey("SYSTEM\\CurrentControlSet\\Control\\CrashControl", true);
    handler.WriteInteger("AutoReboot", value);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s PREFIX HELPER.EXE\n", argv[0]);
        return 2;
    }
    const std::string prefix = argv[1];
    core::WineRegistry files(prefix, 0);
    core::LivePrefixRegistry registry(files, prefix, std::make_unique<core::WineHelperTransport>(prefix, argv[2]));
    click(registry, 0); // starts the helper
    constexpr int Clicks = 200;
    auto start = Clock::now();
    for (int i = 0; i < Clicks; ++i)
        click(registry, i & 1);
    const double ours = millisecondsSince(start, Clicks);

    const std::string command = "WINEPREFIX='" + prefix + "' WINEDEBUG=-all wine reg add "
                                "'HKLM\\SYSTEM\\CurrentControlSet\\Control\\CrashControl' /v AutoReboot /t REG_DWORD "
                                "/d 1 /f >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) // warms the server
        return 1;
    constexpr int Adds = 5;
    start = Clock::now();
    for (int i = 0; i < Adds; ++i) {
        if (std::system(command.c_str()) != 0)
            return 1;
    }
    const double theirs = millisecondsSince(start, Adds);
    std::printf("click through the helper: %.3f ms, wine reg add: %.1f ms, ratio %.4f (target <= 0.1)\n", ours, theirs,
                ours / theirs);
    return ours <= 0.1 * theirs ? 0 : 1;
}
