#include "core/restore/registry_changes.h"

#include "core/error.h"
#include "core/io/atomic_file.h"
#include "core/registry/hive_file.h"
#include "core/registry/machine_hives.h"
#include "core/restore/failure.h"
#include "core/text/unicode.h"

#include <map>

namespace core::restore {

using registry::Hive;
using registry::HiveKey;
using registry::HiveValue;
using registry::MachineHives;

namespace {

bool sameValue(const HiveValue& a, const HiveValue& b)
{
    return a.type == b.type && a.data == b.data;
}

class Comparison {
public:
    Comparison(Hive& before, Hive& after, std::size_t hive, std::vector<KeyChange>& out)
        : m_before(before)
        , m_after(after)
        , m_hive(hive)
        , m_out(out)
    {
    }

    void keys(HiveKey& before, HiveKey& after)
    {
        if (!sameBlocks(before, after))
            values(before, after);
        auto b = before.subkeys.begin();
        auto a = after.subkeys.begin();
        while (b != before.subkeys.end() || a != after.subkeys.end()) {
            const int order = b == before.subkeys.end()  ? 1
                              : a == after.subkeys.end() ? -1
                                                         : text::compareNoCase((*b)->name, (*a)->name);
            if (order < 0) {
                whole(m_before, **b++, KeyState::Removed);
            } else if (order > 0) {
                whole(m_after, **a++, KeyState::Added);
            } else {
                m_path.push_back((*a)->name);
                keys(**b++, **a++);
                m_path.pop_back();
            }
        }
    }

private:
    // The same block text holds the same values, so most keys need not be read at all.
    bool sameBlocks(const HiveKey& before, const HiveKey& after) const
    {
        const auto b = m_before.blockSource(before);
        const auto a = m_after.blockSource(after);
        return b && a && *b == *a;
    }

    void values(HiveKey& before, HiveKey& after)
    {
        m_before.load(before);
        m_after.load(after);
        KeyChange change{m_hive, m_path, KeyState::Changed, {}};
        auto b = before.values.begin();
        auto a = after.values.begin();
        while (b != before.values.end() || a != after.values.end()) {
            const int order = b == before.values.end()  ? 1
                              : a == after.values.end() ? -1
                                                        : text::compareNoCase(b->name, a->name);
            if (order < 0) {
                change.values.push_back({b->name, *b, std::nullopt});
                ++b;
            } else if (order > 0) {
                change.values.push_back({a->name, std::nullopt, *a});
                ++a;
            } else {
                if (!sameValue(*b, *a))
                    change.values.push_back({a->name, *b, *a});
                ++b;
                ++a;
            }
        }
        if (!change.values.empty())
            m_out.push_back(std::move(change));
    }

    // A key that is only on one side, with everything below it.
    void whole(Hive& hive, HiveKey& key, KeyState state)
    {
        m_path.push_back(key.name);
        hive.load(key);
        KeyChange change{m_hive, m_path, state, {}};
        for (const auto& value : key.values) {
            if (state == KeyState::Added)
                change.values.push_back({value.name, std::nullopt, value});
            else
                change.values.push_back({value.name, value, std::nullopt});
        }
        m_out.push_back(std::move(change));
        for (const auto& subkey : key.subkeys)
            whole(hive, *subkey, state);
        m_path.pop_back();
    }

    Hive& m_before;
    Hive& m_after;
    std::size_t m_hive;
    std::vector<KeyChange>& m_out;
    std::vector<std::u16string> m_path;
};

// The file's text; nothing when it does not exist.
std::optional<std::string> readHive(SystemCalls& calls, const std::filesystem::path& path)
{
    std::string text;
    if (const auto error = registry::readHiveFile(calls, path, text)) {
        if (error == std::errc::no_such_file_or_directory)
            return std::nullopt;
        if (error == io::tooLarge())
            throw Failure(Message("Unable to read the file %1: the file is larger than %2.",
                                  "Nie można odczytać pliku %1: plik jest większy niż %2."),
                          {path.string(), registry::sizeText(registry::kLargestHiveFile)});
        throw Failure(Message("Unable to read the file %1: %2.", "Nie można odczytać pliku %1: %2."),
                      {path.string(), error.message()});
    }
    return text;
}

Hive parseHive(std::optional<std::string> text, std::size_t hive, const std::filesystem::path& path)
{
    if (!text)
        return Hive::empty(registry::hiveHeader(MachineHives[hive].rootPath));
    Hive parsed;
    registry::HiveParseError error;
    if (!Hive::parse(std::move(*text), parsed, error))
        throw Failure(
            Message("Unable to read the file %1 (line %2: %3).", "Nie można odczytać pliku %1 (wiersz %2: %3)."),
            {path.string(), std::to_string(error.line), error.what});
    return parsed;
}

void deleteTree(Hive& hive, HiveKey& key, std::uint64_t now)
{
    while (!key.subkeys.empty())
        deleteTree(hive, *key.subkeys.back(), now);
    hive.deleteKey(key, now);
}

void putBack(Hive& hive, const std::vector<std::u16string>& path, const ValueChange& value, std::uint64_t now)
{
    if (value.before) {
        bool created = false;
        hive.setValue(hive.create(path, now, created), *value.before, now);
    } else if (HiveKey* key = hive.find(path)) {
        hive.deleteValue(*key, value.name, now);
    }
}

void undo(Hive& hive, const KeyChange& change, const ChosenChange& chosen, std::uint64_t now)
{
    if (chosen.value) {
        putBack(hive, change.path, change.values.at(*chosen.value), now);
        return;
    }
    switch (change.state) {
    case KeyState::Added:
        if (HiveKey* key = hive.find(change.path); key && !change.path.empty())
            deleteTree(hive, *key, now);
        break;
    case KeyState::Removed: {
        bool created = false;
        hive.create(change.path, now, created);
        for (const auto& value : change.values)
            putBack(hive, change.path, value, now);
        break;
    }
    case KeyState::Changed:
        for (const auto& value : change.values)
            putBack(hive, change.path, value, now);
        break;
    }
}

} // namespace

std::string keyName(const KeyChange& change)
{
    std::string name(MachineHives.at(change.hive).rootName);
    for (const auto& component : change.path)
        name += "\\" + text::toUtf8(component);
    return name;
}

void compareHives(Hive& before, Hive& after, std::size_t hive, std::vector<KeyChange>& out)
{
    Comparison(before, after, hive, out).keys(before.root(), after.root());
}

std::vector<KeyChange> changesSince(const PointStore& store, int number)
{
    store.find(number);
    std::vector<KeyChange> changes;
    for (std::size_t hive = 0; hive < MachineHives.size(); ++hive) {
        const auto thenPath = store.pointFolder(number) / MachineHives[hive].file;
        const auto nowPath = store.machineRoot() / MachineHives[hive].file;
        auto then = store.readPointFile(number, MachineHives[hive].file);
        auto now = readHive(store.systemCalls(), nowPath);
        if (then == now)
            continue;
        Hive before = parseHive(std::move(then), hive, thenPath);
        Hive after = parseHive(std::move(now), hive, nowPath);
        compareHives(before, after, hive, changes);
    }
    return changes;
}

std::optional<RestorePoint> undoChanges(PointStore& store, const std::vector<KeyChange>& changes,
                                        const std::vector<ChosenChange>& chosen)
{
    std::map<std::size_t, std::vector<ChosenChange>> byHive;
    for (const auto& choice : chosen)
        byHive[changes.at(choice.key).hive].push_back(choice);
    if (byHive.empty())
        return std::nullopt;
    std::vector<std::string_view> files;
    for (const auto& [hive, choices] : byHive)
        files.push_back(MachineHives.at(hive).file);

    return store.changeHives(files, "Przed cofnięciem wybranych zmian", [&] {
        // Every hive is read and changed in memory before the first is written, so a file that
        // cannot be read stops the undo before anything changed.
        struct Rewrite {
            std::filesystem::path path;
            Hive hive;
            std::string original;
        };
        std::vector<Rewrite> rewrites;
        const std::uint64_t now = registry::currentFileTime();
        for (const auto& [hive, choices] : byHive) {
            auto path = store.machineRoot() / MachineHives[hive].file;
            auto text = readHive(store.systemCalls(), path);
            std::string original = text.value_or(std::string());
            Rewrite rewrite{path, parseHive(std::move(text), hive, path), std::move(original)};
            for (const auto& choice : choices)
                undo(rewrite.hive, changes[choice.key], choice, now);
            rewrites.push_back(std::move(rewrite));
        }
        for (auto& rewrite : rewrites) {
            const std::string text = rewrite.hive.serialize();
            if (text == rewrite.original)
                continue;
            if (const auto error = io::replaceFile(store.systemCalls(), rewrite.path, text))
                throw Failure(Message("Unable to write the file %1: %2.", "Nie można zapisać pliku %1: %2."),
                              {rewrite.path.string(), error.message()});
        }
    });
}

} // namespace core::restore
