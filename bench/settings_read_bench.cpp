// Reading one key of the settings file, which opens, reads and closes the file every time,
// against the bare cost of opening, reading and closing the same file. Target: 0.5 ms a key.

#include "bench/timing.h"
#include "core/settings/ini_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr double TargetMilliseconds = 0.5;
constexpr int Rounds = 31;
constexpr int CallsPerRound = 500;

// The file as the program leaves it after a user has opened and closed every section.
void writeRealisticFile(const std::filesystem::path& path)
{
    const std::string flag = "Przezroczystość (0 lub 1)";
    const std::string alpha = "Wartość przezroczystości (0 [niewidoczne] do 255 [widoczne])";
    core::TIniFile ini(path);
    ini.WriteInteger("Okno", flag, 1);
    ini.WriteInteger("Okno", alpha, 230);
    ini.WriteInteger("Okno", "Autorozmiar", 0);
    ini.WriteString("Użytkownik", "Nazwa", "Jan Kowalski");
    for (const char* section : {"System", "Ochrona", "Wydajność", "Usuwanie", "Internet", "Wyszukiwanie", "Foldery",
                                "Pasek Start", "Awaria"}) {
        ini.WriteInteger(section, flag, 0);
        ini.WriteInteger(section, alpha, 255);
        ini.WriteString(section, "Komentarze", "Tak");
    }
    ini.WriteInteger("Menu główne", flag, 1);
    ini.WriteInteger("Menu główne", alpha, 230);
    ini.WriteInteger("Menu główne", "Autorozmiar (0 lub 1)", 0);
    ini.WriteString("Wersja", "Kwintor Dostrojnik 2004", "2.0");
    ini.WriteString("Panel glowny", "Dzień", "2004-05-01");
    ini.WriteString("Panel glowny", "Godzina", "12:34:56");
    ini.WriteString("Panel glowny", "Partycja", "C");
}

// Median time of one call, in milliseconds.
bench::Spread spreadMilliseconds(const std::function<void()>& call)
{
    return bench::spreadMilliseconds(Rounds, call, CallsPerRound);
}

// Keeps the compiler from dropping the measured work.
volatile std::size_t g_sink = 0;

void consume(std::size_t n)
{
    g_sink = g_sink + n;
}

} // namespace

int main()
{
    auto pattern = (std::filesystem::temp_directory_path() / "settings-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::filesystem::path folder = pattern;
    const auto path = folder / "dostrojnik.ini";
    writeRealisticFile(path);
    const auto size = std::filesystem::file_size(path);

    const core::TIniFile ini(path);
    const bench::Spread reference = spreadMilliseconds([&] {
        char buffer[1 << 16];
        const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
        ssize_t n;
        while ((n = read(fd, buffer, sizeof buffer)) > 0)
            consume(static_cast<std::size_t>(n));
        close(fd);
    });
    // The last section of the file: the longest way through it.
    const bench::Spread readString =
        spreadMilliseconds([&] { consume(ini.ReadString("Awaria", "Komentarze", "Tak").size()); });
    const bench::Spread readInteger = spreadMilliseconds([&] {
        consume(static_cast<std::size_t>(
            ini.ReadInteger("Wydajność", "Wartość przezroczystości (0 [niewidoczne] do 255 [widoczne])", 255)));
    });

    std::filesystem::remove_all(folder);

    std::printf("settings file: %ju bytes, 14 sections\n", static_cast<std::uintmax_t>(size));
    std::printf("reference (open, read, close): %s ms (min / median / max)\n", reference.text("%.4f").c_str());
    std::printf("ReadString:                    %s ms  (%.1f x reference)\n", readString.text("%.4f").c_str(),
                readString / reference);
    std::printf("ReadInteger:                   %s ms  (%.1f x reference)\n", readInteger.text("%.4f").c_str(),
                readInteger / reference);
    const double worst = std::max(readString.median, readInteger.median);
    std::printf("target: at most %.1f ms a key: %s\n", TargetMilliseconds,
                worst <= TargetMilliseconds ? "met" : "MISSED");
    return worst <= TargetMilliseconds ? 0 : 1;
}
