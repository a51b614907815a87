#pragma once

#include "core/restore/registry_changes.h"
#include "core/restore/restore_points.h"
#include "tools/restore/change_names.h"

#include <functional>
#include <string>
#include <vector>

namespace restoretool {

// Opens the machine's restore points when a command needs them; throws core::Error when it cannot.
using StoreOpener = std::function<core::restore::PointStore&()>;

struct Output {
    std::string out; // UTF-8
    std::string err;
};

// Runs one command of `dostrojnik-restore` (`commandLine` without the program name, in the
// locale's character set): list, create, changes, restore, delete or /?, with messages in the
// user's language. Returns the exit status: 0 on success, 1 with a message.
int runCommand(const std::vector<std::string>& commandLine, const StoreOpener& store, Output& output);

// The key's change in the window's words: "Klucz dodany", "Klucz usunięty", "Klucz zmieniony".
std::string stateText(core::restore::KeyState state);
// A value's type and data as `dostrojnik-reg query` shows them: "REG_DWORD    0x1".
std::string valueText(const core::registry::HiveValue& value);
// The changes as `changes N` prints them: a block per key, the old data of a value on a line
// starting "-" and the new on one starting "+", each as `dostrojnik-reg query` prints it, then
// indented, what in the program makes that change, when anything does.
std::string changesText(const std::vector<core::restore::KeyChange>& changes, const ChangeNames& names);

} // namespace restoretool
