#pragma once

#include "core/registry/hive_text.h"
#include "core/restore/restore_points.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace core::restore {

struct ValueChange {
    std::u16string name;
    std::optional<registry::HiveValue> before; // none: the value was added
    std::optional<registry::HiveValue> after;  // none: the value was removed
};

enum class KeyState { Added, Removed, Changed };

struct KeyChange {
    std::size_t hive = 0;             // index into registry::MachineHives
    std::vector<std::u16string> path; // below the hive's root
    KeyState state = KeyState::Changed;
    // The values that differ; an added or removed key lists all of its values.
    std::vector<ValueChange> values;
};

// The key as `dostrojnik-reg` names it: "HKEY_CURRENT_USER\Software\Nowy".
std::string keyName(const KeyChange& change);

// Appends what changed from `before` to `after`, key by key in Wine's order (depth first,
// subkeys in case-insensitive order). Keys whose blocks read the same are not looked into.
void compareHives(registry::Hive& before, registry::Hive& after, std::size_t hive, std::vector<KeyChange>& out);

// What changed in the machine's registry files since the point. Throws core::Error when a
// file cannot be read or parsed.
std::vector<KeyChange> changesSince(const PointStore& store, int number);

// One change to undo: the whole key's (its addition, its removal or all of its values), or one
// of its values.
struct ChosenChange {
    std::size_t key = 0;
    std::optional<std::size_t> value;
};

// Puts back the data the chosen changes replaced: old data written again, added values and
// keys removed (an added key with all that lies below it), removed ones made again. Each hive
// is changed in one atomic write, after a "before restore" point; returns that point, or
// nothing when there was nothing to undo. Throws core::Error and writes nothing on failure.
std::optional<RestorePoint> undoChanges(PointStore& store, const std::vector<KeyChange>& changes,
                                        const std::vector<ChosenChange>& chosen);

} // namespace core::restore
