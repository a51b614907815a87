// One option click's registry work (a TRegistry made, root HKEY_LOCAL_MACHINE, one key opened
// with create, one DWORD written, the object freed), including the flush of the hive file,
// against what a plain program pays to save a file of that size: write a temporary file, flush
// it, rename it over the old one. The hive is as large as a fresh Wine prefix's system.reg.
// Targets: median at most 15 ms, at most 3 times the reference.
//
//   registry_click_bench [FOLDER] [SYSTEM.REG]
// FOLDER is where the files go (a temporary folder by default); SYSTEM.REG, when given, is
// measured too (for example the system.reg of a real Wine prefix).

#include "bench/timing.h"
#include "core/registry/hive_text.h"
#include "core/registry/tregistry.h"
#include "core/registry/wine_registry.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr double TargetMilliseconds = 15.0;
constexpr double TargetRatio = 3.0;
constexpr int Rounds = 101;
constexpr int ColdRounds = 21;

using core::registry::Hive;
using core::registry::HiveValue;

std::vector<std::uint8_t> utf16z(const std::string& ascii)
{
    std::vector<std::uint8_t> data;
    for (const char c : ascii) {
        data.push_back(static_cast<std::uint8_t>(c));
        data.push_back(0);
    }
    data.push_back(0);
    data.push_back(0);
    return data;
}

std::string guid(std::mt19937& random)
{
    char text[40];
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%04X-%012llX}", unsigned(random()), unsigned(random() & 0xFFFF),
                  unsigned(random() & 0xFFFF), unsigned(random() & 0xFFFF),
                  static_cast<unsigned long long>(random()) << 16 | (random() & 0xFFFF));
    return text;
}

std::vector<std::u16string> path(std::initializer_list<std::string> names)
{
    std::vector<std::u16string> out;
    for (const auto& name : names)
        out.emplace_back(name.begin(), name.end());
    return out;
}

// A machine hive shaped like Wine's: mostly classes (CLSIDs with their servers, interfaces,
// file types), some services and settings, text, numbers and wrapped binary data.
std::string syntheticSystemHive()
{
    std::mt19937 random(2004);
    Hive hive = Hive::empty("WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\n\n#arch=win64\n");
    const std::uint64_t now = core::registry::currentFileTime();
    auto set = [&](const std::vector<std::u16string>& p, const std::string& name, std::uint32_t type,
                   std::vector<std::uint8_t> data) {
        bool created = false;
        auto& key = hive.create(p, now, created);
        hive.setValue(key, HiveValue{std::u16string(name.begin(), name.end()), type, std::move(data)}, now);
    };
    for (int i = 0; i < 2000; ++i) {
        const std::string id = guid(random);
        set(path({"Software", "Classes", "CLSID", id}), "", 1, utf16z("Component object number " + std::to_string(i)));
        set(path({"Software", "Classes", "CLSID", id, "InprocServer32"}), "", 1,
            utf16z("C:\\windows\\system32\\library" + std::to_string(i % 300) + ".dll"));
        set(path({"Software", "Classes", "CLSID", id, "InprocServer32"}), "ThreadingModel", 1, utf16z("Both"));
    }
    for (int i = 0; i < 1200; ++i) {
        const std::string id = guid(random);
        set(path({"Software", "Classes", "Interface", id}), "", 1, utf16z("IInterface" + std::to_string(i)));
        set(path({"Software", "Classes", "Interface", id, "ProxyStubClsid32"}), "", 1, utf16z(guid(random)));
    }
    for (int i = 0; i < 600; ++i) {
        const std::string extension = ".x" + std::to_string(i);
        set(path({"Software", "Classes", extension}), "", 1, utf16z("file" + std::to_string(i)));
        set(path({"Software", "Classes", extension}), "Content Type", 1,
            utf16z("application/x-type" + std::to_string(i)));
        set(path({"Software", "Classes", "file" + std::to_string(i), "shell", "open", "command"}), "", 2,
            utf16z("%SystemRoot%\\system32\\program" + std::to_string(i % 50) + ".exe \"%1\""));
    }
    for (int i = 0; i < 500; ++i) {
        const auto service = path({"System", "CurrentControlSet", "Services", "Service" + std::to_string(i)});
        set(service, "Start", 4, {3, 0, 0, 0});
        set(service, "Type", 4, {1, 0, 0, 0});
        set(service, "ImagePath", 2, utf16z("C:\\windows\\system32\\drivers\\driver" + std::to_string(i) + ".sys"));
        std::vector<std::uint8_t> blob(180 + random() % 120);
        for (auto& byte : blob)
            byte = static_cast<std::uint8_t>(random());
        set(service, "Parameters", 3, blob);
    }
    for (int i = 0; i < 900; ++i)
        set(path({"Software", "Microsoft", "Windows", "CurrentVersion", "Setting" + std::to_string(i / 10),
                  "Item" + std::to_string(i)}),
            "Value", i % 2 ? 4u : 1u, i % 2 ? std::vector<std::uint8_t>{1, 0, 0, 0} : utf16z("on"));
    return hive.serialize();
}

void click(core::RegistryApi& api, int round)
{
    core::TRegistry reg(api);
    reg.SetRootKey(core::RootKey::LocalMachine);
    reg.OpenKey("SYSTEM\\CurrentControlSet\\Control\\CrashControl", true);
    reg.WriteInteger("AutoReboot", round & 1);
}

// What a plain program does to save a file of this size.
void saveFile(const std::filesystem::path& folder, const std::string& contents)
{
    const auto temporary = folder / "reference.tmp";
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0 || ::write(fd, contents.data(), contents.size()) != static_cast<ssize_t>(contents.size()) ||
        ::fsync(fd) != 0 || ::close(fd) != 0 || ::rename(temporary.c_str(), (folder / "reference.reg").c_str()) != 0) {
        std::perror("reference write");
        std::exit(2);
    }
}

std::string readWhole(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

struct Result {
    bench::Spread click;
    bench::Spread cold;
    bench::Spread reference;
};

Result measure(const std::filesystem::path& folder, const std::string& hiveText)
{
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    {
        std::ofstream(folder / "system.reg", std::ios::binary) << hiveText;
    }
    core::WineRegistry registry(folder, 2400);
    click(registry, 0); // the program's first click parses the hive
    std::vector<double> clicks;
    std::vector<double> references;
    for (int round = 1; round <= Rounds; ++round) {
        clicks.push_back(bench::milliseconds([&] { click(registry, round); }));
        references.push_back(bench::milliseconds([&] { saveFile(folder, hiveText); }));
    }
    // A click in a new process (or after another program changed the file) parses it first.
    std::vector<double> colds;
    for (int round = 0; round < ColdRounds; ++round) {
        // Only the click is timed, not the registry's destruction afterwards.
        std::optional<core::WineRegistry> fresh;
        colds.push_back(bench::milliseconds([&] {
            fresh.emplace(folder, 2400);
            click(*fresh, round);
        }));
    }
    return {bench::spread(clicks), bench::spread(colds), bench::spread(references)};
}

bool report(const char* name, const std::string& hiveText, const Result& result)
{
    std::size_t keys = 0;
    for (std::size_t at = hiveText.find("\n["); at != std::string::npos; at = hiveText.find("\n[", at + 1))
        ++keys;
    const double ratio = result.click / result.reference;
    const bool met = result.click <= TargetMilliseconds && ratio <= TargetRatio;
    std::printf("%s: %.2f MB, %zu key blocks\n", name, static_cast<double>(hiveText.size()) / 1e6, keys);
    std::printf("  option click (min / median / max of %d): %s ms\n", Rounds, result.click.text().c_str());
    std::printf("  plain save of the same size:  %s ms\n", result.reference.text().c_str());
    std::printf("  ratio: %.2f (target <= %.1f, click target <= %.0f ms): %s\n", ratio, TargetRatio, TargetMilliseconds,
                met ? "met" : "MISSED");
    std::printf("  click in a new process, parse included (min / median / max of %d): %s ms (ratio %.2f)\n", ColdRounds,
                result.cold.text().c_str(), result.cold / result.reference);
    return met;
}

} // namespace

int main(int argc, char** argv)
{
    std::filesystem::path base;
    bool temporary = false;
    if (argc > 1 && *argv[1]) {
        base = argv[1];
    } else {
        std::string pattern = (std::filesystem::temp_directory_path() / "registry-bench-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) {
            std::perror("mkdtemp");
            return 2;
        }
        base = pattern;
        temporary = true;
    }
    bool met = true;
    const std::string synthetic = syntheticSystemHive();
    met = report("synthetic hive", synthetic, measure(base / "synthetic", synthetic)) && met;
    if (argc > 2) {
        const std::string real = readWhole(argv[2]);
        met = report(argv[2], real, measure(base / "real", real)) && met;
    }
    if (temporary)
        std::filesystem::remove_all(base);
    return met ? 0 : 1;
}
