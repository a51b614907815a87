#include "core/machine/stock_keys.h"

#include <fcntl.h>
#include <sys/stat.h>

namespace core {

std::vector<baseline::StockKey> makeMissingStockKeys(RegistryApi& registry, const std::filesystem::path& machineRoot,
                                                     SystemCalls& calls)
{
    std::vector<baseline::StockKey> made;
    const std::filesystem::path done = machineRoot / StockKeysDone;
    struct stat info {};
    if (calls.fstatat(AT_FDCWD, done.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0)
        return made;
    bool complete = true;
    for (const baseline::StockKey& key : baseline::StockKeys) {
        KeyHandle handle;
        const RegStatus found = registry.openKey(rootHandle(key.root), key.path, Access::Read, handle);
        if (found == RegStatus::Success) {
            registry.closeKey(handle);
            continue;
        }
        if (found == RegStatus::NotFound &&
            registry.createKey(rootHandle(key.root), key.path, Access::AllAccess, handle) == RegStatus::Success) {
            registry.closeKey(handle);
            made.push_back(key);
            continue;
        }
        complete = false;
    }
    if (complete) {
        const int fd = calls.open(done.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd >= 0)
            calls.close(fd);
    }
    return made;
}

} // namespace core
