#pragma once

#include "chrome/definition.h"
#include "core/restore/registry_changes.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace restoretool {

// What in the program makes a change of the registry, in the words of its windows: the window
// and option whose click writes it ("Awaria / Automatyczne restartowanie: Włącz"), or a write the
// program makes of its own accord. Read from the same option rows that the windows run.
class ChangeNames {
public:
    // Every option row of the window, each named "<window> / <target's accessible name>".
    void addWindow(const chrome::WindowDefinition& window);
    // The registry work of `action`, all of it under `name`.
    void addAction(const std::string& name, const chrome::Action& action);
    // A value that a tool of a window writes with data the user typed (`removal`: removes).
    void addAnyData(const std::string& name, core::RootKey root, std::string_view key, std::string_view value,
                    bool removal);

    // Who makes the value's change, "; " between several; empty when nothing in the program makes
    // exactly this change.
    std::string valueName(const core::restore::KeyChange& key, const core::restore::ValueChange& value) const;
    // Who removes the key (by removing it or a key above it); empty when nothing does, or when
    // the key was not removed.
    std::string keyName(const core::restore::KeyChange& key) const;

private:
    enum class Effect { Set, Remove, SetAny, RemoveAny };
    struct ValueEntry {
        Effect effect = Effect::Set;
        std::uint32_t type = 0;
        std::vector<std::uint8_t> data;
        std::string name;
    };
    struct KeyEntry {
        std::size_t hive = 0;
        std::vector<std::u16string> path; // folded
        std::string name;
    };
    // The hive (index into core::registry::MachineHives) and the folded path of a key.
    struct Location {
        std::size_t hive = 0;
        std::vector<std::u16string> path;
    };
    static Location locate(core::RootKey root, std::string_view path);
    static std::u16string valueKey(std::size_t hive, const std::vector<std::u16string>& path,
                                   std::u16string_view value);

    void add(const Location& key, std::string_view value, ValueEntry entry);

    std::map<std::u16string, std::vector<ValueEntry>> m_values;
    std::vector<KeyEntry> m_keys;
};

// The program's own names: every option of its windows, the refused-program list, and the
// write at each start ("Ochrona, przy każdym uruchomieniu programu").
const ChangeNames& programChangeNames();

} // namespace restoretool
