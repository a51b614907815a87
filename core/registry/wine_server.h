#pragma once

#include "core/platform/environment.h"
#include "core/platform/system_calls.h"

#include <filesystem>
#include <optional>
#include <string>

namespace core {

// Wine's server keeps the hives of a prefix in memory and writes them back when it ends, so
// while it runs the files are its own. It holds an fcntl lock on `lock` in its server folder,
// named after the prefix folder's device and inode, under the temporary folder (/tmp, or
// TMPDIR): `.wine-<uid>/server-<dev>-<inode>` upstream, or the `wine-XXXXXX` folder that
// Debian's Wine names in the prefix's file `wineserver`.
// Returns why the files of `prefix` are not ours to write now, or nothing when they are.
std::optional<std::string> wineServerHolds(SystemCalls& calls, const EnvironmentLookup& environment,
                                           const std::filesystem::path& prefix);

} // namespace core
