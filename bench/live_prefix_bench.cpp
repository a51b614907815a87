// A click while a Wine program holds the prefix (through our registry helper, once it is up)
// against Wine's own `wine reg add` with a warm server, on the same prefix.
// Usage: live_prefix_bench PREFIX HELPER.EXE (the prefix held by a running Wine program).
#include "core/registry/live_prefix_registry.h"
#include "core/registry/tregistry.h"
#include "core/registry/wine_registry.h"

#include "bench/timing.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

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
    int value = 0;
    const bench::Spread ours = bench::spreadMilliseconds(
        10, [&] { click(registry, ++value & 1); }, 20);

    const std::string command = "WINEPREFIX='" + prefix +
                                "' WINEDEBUG=-all wine reg add "
                                "'HKLM\\SYSTEM\\CurrentControlSet\\Control\\CrashControl' /v AutoReboot /t REG_DWORD "
                                "/d 1 /f >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) // warms the server
        return 1;
    bool added = true;
    const bench::Spread theirs =
        bench::spreadMilliseconds(5, [&] { added = std::system(command.c_str()) == 0 && added; });
    if (!added)
        return 1;
    std::printf("click through the helper: %s ms, wine reg add: %s ms (min / median / max), ratio %.4f (target <= "
                "0.1)\n",
                ours.text("%.3f").c_str(), theirs.text("%.1f").c_str(), ours / theirs);
    return ours <= 0.1 * theirs ? 0 : 1;
}
