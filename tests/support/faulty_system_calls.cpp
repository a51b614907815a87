#include "tests/support/faulty_system_calls.h"

#include <cerrno>

namespace testing_support {

void FaultySystemCalls::failOn(const std::string& call, int error, int occurrence)
{
    m_faults[call] = Fault{error, count(call) + occurrence};
}

int FaultySystemCalls::count(const std::string& call) const
{
    const auto it = m_counts.find(call);
    return it == m_counts.end() ? 0 : it->second;
}

bool FaultySystemCalls::fails(const std::string& call)
{
    const int n = ++m_counts[call];
    const auto it = m_faults.find(call);
    if (it == m_faults.end() || it->second.occurrence != n)
        return false;
    errno = it->second.error;
    return true;
}

int FaultySystemCalls::open(const char* path, int flags, mode_t mode)
{
    return fails("open") ? -1 : m_real.open(path, flags, mode);
}
int FaultySystemCalls::close(int fd)
{
    // The descriptor is released even when the call reports failure, as close(2) does.
    if (fails("close")) {
        const int error = errno;
        m_real.close(fd);
        errno = error;
        return -1;
    }
    return m_real.close(fd);
}
ssize_t FaultySystemCalls::read(int fd, void* buffer, size_t size)
{
    return fails("read") ? -1 : m_real.read(fd, buffer, size);
}
ssize_t FaultySystemCalls::write(int fd, const void* buffer, size_t size)
{
    return fails("write") ? -1 : m_real.write(fd, buffer, size);
}
ssize_t FaultySystemCalls::copyFileRange(int from, std::uint64_t& offset, int to, size_t size)
{
    return fails("copyFileRange") ? -1 : m_real.copyFileRange(from, offset, to, size);
}
const void* FaultySystemCalls::mapFile(int fd, size_t size)
{
    return fails("mapFile") ? nullptr : m_real.mapFile(fd, size);
}
int FaultySystemCalls::unmapFile(const void* address, size_t size)
{
    return fails("unmapFile") ? -1 : m_real.unmapFile(address, size);
}

int FaultySystemCalls::forgetMapped(const void* address, size_t size)
{
    return fails("forgetMapped") ? -1 : m_real.forgetMapped(address, size);
}
int FaultySystemCalls::fsync(int fd)
{
    return fails("fsync") ? -1 : m_real.fsync(fd);
}
int FaultySystemCalls::fstat(int fd, struct stat* info)
{
    return fails("fstat") ? -1 : m_real.fstat(fd, info);
}
int FaultySystemCalls::stat(const char* path, struct stat* info)
{
    return fails("stat") ? -1 : m_real.stat(path, info);
}
int FaultySystemCalls::rename(const char* from, const char* to)
{
    return fails("rename") ? -1 : m_real.rename(from, to);
}
int FaultySystemCalls::unlink(const char* path)
{
    return fails("unlink") ? -1 : m_real.unlink(path);
}
int FaultySystemCalls::access(const char* path, int mode)
{
    return fails("access") ? -1 : m_real.access(path, mode);
}
int FaultySystemCalls::link(const char* from, const char* to)
{
    return fails("link") ? -1 : m_real.link(from, to);
}

int FaultySystemCalls::mkdir(const char* path, mode_t mode)
{
    return fails("mkdir") ? -1 : m_real.mkdir(path, mode);
}
int FaultySystemCalls::flock(int fd, int operation)
{
    return fails("flock") ? -1 : m_real.flock(fd, operation);
}
int FaultySystemCalls::fcntlLock(int fd, int command, struct flock* lock)
{
    return fails("fcntlLock") ? -1 : m_real.fcntlLock(fd, command, lock);
}

uid_t FaultySystemCalls::getuid()
{
    return m_userId ? *m_userId : m_real.getuid();
}

int FaultySystemCalls::openat(int folder, const char* path, int flags, mode_t mode)
{
    return fails("openat") ? -1 : m_real.openat(folder, path, flags, mode);
}
int FaultySystemCalls::fstatat(int folder, const char* path, struct stat* info, int flags)
{
    return fails("fstatat") ? -1 : m_real.fstatat(folder, path, info, flags);
}
int FaultySystemCalls::mkdirat(int folder, const char* path, mode_t mode)
{
    return fails("mkdirat") ? -1 : m_real.mkdirat(folder, path, mode);
}
int FaultySystemCalls::unlinkat(int folder, const char* path, int flags)
{
    return fails("unlinkat") ? -1 : m_real.unlinkat(folder, path, flags);
}
int FaultySystemCalls::renameat(int fromFolder, const char* from, int toFolder, const char* to)
{
    return fails("renameat") ? -1 : m_real.renameat(fromFolder, from, toFolder, to);
}
int FaultySystemCalls::linkat(int fromFolder, const char* from, int toFolder, const char* to)
{
    return fails("linkat") ? -1 : m_real.linkat(fromFolder, from, toFolder, to);
}
int FaultySystemCalls::listFolderEntries(int folder, std::vector<FolderEntry>& entries)
{
    return fails("listFolderEntries") ? -1 : m_real.listFolderEntries(folder, entries);
}
int FaultySystemCalls::listFolder(int folder, std::vector<std::string>& names)
{
    return fails("listFolder") ? -1 : m_real.listFolder(folder, names);
}

} // namespace testing_support
