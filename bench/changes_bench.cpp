// The changes between two hives of 9,000 keys that differ in 100 values, against parsing the
// two hives alone. Target: at most 1.5 times the parse.

#include "bench/timing.h"
#include "core/registry/hive_text.h"
#include "core/registry/registry_api.h"
#include "core/registry/value_data.h"
#include "core/restore/registry_changes.h"
#include "core/text/unicode.h"

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr double Target = 1.5;
constexpr int Rounds = 15;
constexpr int Keys = 9000;
constexpr int Changed = 100;

using core::registry::Hive;
using core::registry::HiveValue;

std::string makeHive()
{
    Hive hive = Hive::empty(core::registry::hiveHeader(u"REGISTRY\\Machine") + "\n#arch=win64\n");
    const std::uint64_t now = core::registry::currentFileTime();
    for (int k = 0; k < Keys; ++k) {
        const std::u16string group = u"Grupa " + core::text::toUtf16(std::to_string(k / 100));
        const std::vector<std::u16string> path{u"Software", u"Próba", group,
                                               u"Klucz " + core::text::toUtf16(std::to_string(k))};
        bool created = false;
        auto& key = hive.create(path, now, created);
        hive.setValue(key, HiveValue{u"Liczba", core::RegDword, {1, 0, 0, 0}}, now);
        hive.setValue(key, HiveValue{u"Tekst", core::RegSz, core::stringData(u"Zażółć gęślą jaźń")}, now);
        hive.setValue(key, HiveValue{u"Dane", core::RegBinary, {1, 2, 3, 4, 5, 6, 7, 8}}, now);
    }
    return hive.serialize();
}

std::string changeHive(const std::string& text)
{
    Hive hive;
    core::registry::HiveParseError error;
    Hive::parse(text, hive, error);
    const std::uint64_t now = core::registry::currentFileTime() + 10000000;
    for (int i = 0; i < Changed; ++i) {
        const int k = i * (Keys / Changed);
        const std::vector<std::u16string> path{u"Software", u"Próba",
                                               u"Grupa " + core::text::toUtf16(std::to_string(k / 100)),
                                               u"Klucz " + core::text::toUtf16(std::to_string(k))};
        hive.setValue(*hive.find(path), HiveValue{u"Liczba", core::RegDword, {2, 0, 0, 0}}, now);
    }
    return hive.serialize();
}

volatile std::size_t g_sink = 0;

} // namespace

int main()
{
    const std::string before = makeHive();
    const std::string after = changeHive(before);
    core::registry::HiveParseError error;
    std::size_t found = 0;
    const auto parseBoth = [&] {
        Hive a;
        Hive b;
        Hive::parse(before, a, error);
        Hive::parse(after, b, error);
        g_sink = g_sink + a.text().size() + b.text().size();
    };
    const auto listChanges = [&] {
        Hive a;
        Hive b;
        Hive::parse(before, a, error);
        Hive::parse(after, b, error);
        std::vector<core::restore::KeyChange> out;
        core::restore::compareHives(a, b, 0, out);
        found = out.size();
        g_sink = g_sink + out.size();
    };
    // Taken in turns, so that both see the same load of the machine.
    std::vector<double> parseRounds;
    std::vector<double> changeRounds;
    for (int r = 0; r < Rounds; ++r) {
        parseRounds.push_back(bench::milliseconds(parseBoth));
        changeRounds.push_back(bench::milliseconds(listChanges));
    }
    const bench::Spread parse = bench::spread(parseRounds);
    const bench::Spread changes = bench::spread(changeRounds);
    const double ratio = changes / parse;
    std::printf("two hives of %d keys (%zu bytes each), %d values changed; %zu keys listed\n", Keys, before.size(),
                Changed, found);
    std::printf("reference (parse both):      %s ms (min / median / max)\n", parse.text().c_str());
    std::printf("parse both and list changes: %s ms  (%.2f x reference)\n", changes.text().c_str(), ratio);
    const bool met = ratio <= Target && found == static_cast<std::size_t>(Changed);
    std::printf("target: at most %.1f x: %s\n", Target, met ? "met" : "MISSED");
    return met ? 0 : 1;
}
