#pragma once

#include "core/machine/machine.h"
#include "core/platform/system_calls.h"

#include <filesystem>

namespace core {

// Where the program keeps its settings file. Beside the executable, as on Windows
// (settingsPathFor), while that folder is the program's own to write. An installed program
// never writes beside itself: when `installedMarker` (a path relative to the executable's
// folder: the desktop entry that an installation puts into its data folder) exists, or when the
// folder may not be written, the file is `$XDG_CONFIG_HOME/kwintor-dostrojnik/<name>.ini`
// (`~/.config/...` when XDG_CONFIG_HOME is unset or not absolute), in the same format.
std::filesystem::path settingsLocation(const std::filesystem::path& executable,
                                       const std::filesystem::path& installedMarker,
                                       const EnvironmentLookup& environment, SystemCalls& calls = posixSystemCalls());

// Makes the missing folders above the settings file, private to the user as configuration
// folders are. Failures are left to the first write, which reports them.
void makeSettingsFolder(const std::filesystem::path& settingsFile, SystemCalls& calls = posixSystemCalls());

} // namespace core
