#pragma once

#include "core/platform/system_calls.h"

#include <filesystem>
#include <string>
#include <sys/types.h>

namespace core {

// Wine's server keeps the hives of a prefix in memory and writes them back when it ends, so
// while it runs the files are its own.
struct WineServerUse {
    bool holds = false;
    pid_t process = 0;  // the server's process, when it could be told
    std::string reason; // in English, for the registry's failure text
};

// Whether a server runs on the machine in `root`: it holds an fcntl lock on `lock` in its server
// folder, named after the prefix folder's device and inode. A lock that cannot be tested counts
// as held.
WineServerUse wineServerUse(SystemCalls& calls, const std::filesystem::path& root);

} // namespace core
