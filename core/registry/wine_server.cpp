#include "core/registry/wine_server.h"

#include "core/io/atomic_file.h"

#include <cerrno>
#include <cstdio>
#include <system_error>
#include <vector>

namespace core {

std::optional<std::string> wineServerHolds(SystemCalls& calls, const EnvironmentLookup& environment,
                                           const std::filesystem::path& prefix)
{
    struct stat info {};
    if (calls.stat(prefix.c_str(), &info) != 0)
        return std::nullopt;
    char serverName[64];
    std::snprintf(serverName, sizeof serverName, "server-%llx-%llx", static_cast<unsigned long long>(info.st_dev),
                  static_cast<unsigned long long>(info.st_ino));
    std::vector<std::filesystem::path> temporaryFolders{"/tmp"};
    if (const auto tmpdir = environment("TMPDIR");
        tmpdir && !tmpdir->empty() && std::filesystem::path(*tmpdir) != "/tmp")
        temporaryFolders.emplace_back(*tmpdir);
    std::vector<std::string> serverRoots{".wine-" + std::to_string(calls.getuid())};
    std::string named;
    if (!io::readFile(calls, prefix / "wineserver", named)) {
        while (!named.empty() && (named.back() == '\n' || named.back() == '\r' || named.back() == ' '))
            named.pop_back();
        if (!named.empty() && named.find('/') == std::string::npos && named != "." && named != "..")
            serverRoots.push_back(named);
    }
    for (const auto& folder : temporaryFolders) {
        for (const auto& serverRoot : serverRoots) {
            const auto lockFile = folder / serverRoot / serverName / "lock";
            const int fd = calls.open(lockFile.c_str(), O_RDONLY);
            if (fd < 0)
                continue;
            struct flock lock {};
            lock.l_type = F_WRLCK;
            lock.l_whence = SEEK_SET;
            const int rc = calls.fcntlLock(fd, F_GETLK, &lock);
            const int error = errno;
            calls.close(fd);
            if (rc != 0)
                return "cannot tell whether Wine's server uses " + prefix.string() + " (" + lockFile.string() + ": " +
                       std::generic_category().message(error) + ")";
            if (lock.l_type != F_UNLCK)
                return "the registry files in " + prefix.string() + " are in use by Wine's server (process " +
                       std::to_string(lock.l_pid) + ")";
        }
    }
    return std::nullopt;
}

} // namespace core
