#include "core/settings/settings_location.h"

#include "core/error.h"
#include "core/settings/ini_file.h"

#include <unistd.h>

namespace core {

namespace fs = std::filesystem;

fs::path settingsLocation(const fs::path& executable, const fs::path& installedMarker,
                          const EnvironmentLookup& environment, SystemCalls& calls)
{
    const fs::path beside = settingsPathFor(executable);
    const fs::path folder = executable.parent_path();
    struct stat info {};
    const bool installed = calls.stat((folder / installedMarker).c_str(), &info) == 0;
    if (!installed && calls.access((folder.empty() ? fs::path(".") : folder).c_str(), W_OK) == 0)
        return beside;

    fs::path configuration;
    if (const auto value = environment("XDG_CONFIG_HOME"); value && fs::path(*value).is_absolute())
        configuration = *value;
    else if (const fs::path home = homeFolder(environment); !home.empty())
        configuration = home / ".config";
    else
        throw Error("Unable to find a home folder for the settings file; set XDG_CONFIG_HOME");
    return configuration / ProgramFolder / beside.filename();
}

void makeSettingsFolder(const fs::path& settingsFile, SystemCalls& calls)
{
    fs::path made;
    for (const fs::path& component : settingsFile.parent_path()) {
        made /= component;
        struct stat info {};
        if (calls.stat(made.c_str(), &info) != 0 && calls.mkdir(made.c_str(), 0700) != 0)
            return;
    }
}

} // namespace core
