#pragma once

#include "core/restore/registry_changes.h"

#include <string>
#include <vector>

namespace restoretool {

// The changes as a registry editor file that makes them on another machine, as Windows' and
// Wine's registry editors write it (UTF-16LE with a byte-order mark): each changed or added key
// with the values set in it and "name"=- for those removed, [-KEY] for a removed key (once, for
// the topmost one: the keys below it go with it).
std::string changesRegFile(const std::vector<core::restore::KeyChange>& changes);

} // namespace restoretool
