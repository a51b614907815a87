#include "core/platform/system_calls.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <utility>

namespace core {
namespace {

// A mapped file that another program truncates in place takes its pages away, and a read of them
// raises SIGBUS, which would end the process. Such a read gets zero pages instead: no hive holds
// a NUL byte, so the text reads as damaged and is refused, never written back. The regions are
// process-wide because the signal is.
struct MappedRegion {
    std::atomic<std::uintptr_t> start{0};
    std::atomic<std::uintptr_t> end{0};
};

class MappedFileGuard {
public:
    static void watch(const void* address, size_t size)
    {
        std::call_once(s_installed, install);
        const auto start = reinterpret_cast<std::uintptr_t>(address);
        for (Region& region : s_regions) {
            std::uintptr_t free = 0;
            if (region.start.compare_exchange_strong(free, start)) {
                region.end.store(start + size, std::memory_order_release);
                return;
            }
        }
        // More mappings at once than watched: the rest read as before.
    }
    static void forget(const void* address)
    {
        for (Region& region : s_regions) {
            if (region.start.load(std::memory_order_acquire) == reinterpret_cast<std::uintptr_t>(address)) {
                region.end.store(0, std::memory_order_release);
                region.start.store(0, std::memory_order_release);
                return;
            }
        }
    }

private:
    using Region = MappedRegion;

    static void install()
    {
        s_pageSize = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
        struct sigaction action {};
        action.sa_sigaction = onBusError;
        action.sa_flags = SA_SIGINFO | SA_NODEFER;
        sigemptyset(&action.sa_mask);
        ::sigaction(SIGBUS, &action, &s_previous);
    }

    static void onBusError(int, siginfo_t* info, void*)
    {
        const auto at = reinterpret_cast<std::uintptr_t>(info->si_addr);
        for (Region& region : s_regions) {
            const std::uintptr_t start = region.start.load(std::memory_order_acquire);
            const std::uintptr_t end = region.end.load(std::memory_order_acquire);
            if (start != 0 && at >= start && at < end) {
                // The file ends before this page now: the rest of the mapping reads as zeros.
                const std::uintptr_t page = at & ~(s_pageSize - 1);
                if (::mmap(reinterpret_cast<void*>(page), end - page, PROT_READ,
                           MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0) != MAP_FAILED)
                    return;
            }
        }
        // Not a watched mapping: the read faults again, with what was there before.
        ::sigaction(SIGBUS, &s_previous, nullptr);
    }

    static inline Region s_regions[32];
    static inline std::once_flag s_installed;
    static inline struct sigaction s_previous {
    };
    static inline std::uintptr_t s_pageSize = 4096;
};

class PosixSystemCalls final : public SystemCalls {
public:
    int open(const char* path, int flags, mode_t mode) override
    {
        int fd;
        do {
            fd = ::open(path, flags | O_CLOEXEC, mode);
        } while (fd < 0 && errno == EINTR);
        return fd;
    }
    int close(int fd) override { return ::close(fd); }
    ssize_t read(int fd, void* buffer, size_t size) override
    {
        ssize_t n;
        do {
            n = ::read(fd, buffer, size);
        } while (n < 0 && errno == EINTR);
        return n;
    }
    ssize_t write(int fd, const void* buffer, size_t size) override
    {
        ssize_t n;
        do {
            n = ::write(fd, buffer, size);
        } while (n < 0 && errno == EINTR);
        return n;
    }
    ssize_t copyFileRange(int from, std::uint64_t& offset, int to, size_t size) override
    {
        loff_t at = static_cast<loff_t>(offset);
        ssize_t n;
        do {
            n = ::copy_file_range(from, &at, to, nullptr, size, 0);
        } while (n < 0 && errno == EINTR);
        if (n > 0)
            offset = static_cast<std::uint64_t>(at);
        return n;
    }
    const void* mapFile(int fd, size_t size) override
    {
        // Populated at once: the caller reads it all, and one call maps it faster than a fault per page.
        void* at = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
        if (at == MAP_FAILED)
            return nullptr;
        MappedFileGuard::watch(at, size);
        return at;
    }
    int unmapFile(const void* address, size_t size) override
    {
        MappedFileGuard::forget(address);
        return ::munmap(const_cast<void*>(address), size);
    }
    int forgetMapped(const void* address, size_t size) override
    {
        const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
        const auto start = (reinterpret_cast<std::uintptr_t>(address) + page - 1) / page * page;
        const auto end = (reinterpret_cast<std::uintptr_t>(address) + size) / page * page;
        if (end <= start)
            return 0;
        return ::madvise(reinterpret_cast<void*>(start), end - start, MADV_DONTNEED);
    }
    int fsync(int fd) override { return ::fsync(fd); }
    int fstat(int fd, struct stat* info) override { return ::fstat(fd, info); }
    int stat(const char* path, struct stat* info) override { return ::stat(path, info); }
    int rename(const char* from, const char* to) override { return std::rename(from, to); }
    int unlink(const char* path) override { return ::unlink(path); }
    int link(const char* from, const char* to) override { return ::linkat(AT_FDCWD, from, AT_FDCWD, to, 0); }
    int access(const char* path, int mode) override { return ::access(path, mode); }
    int mkdir(const char* path, mode_t mode) override { return ::mkdir(path, mode); }
    int flock(int fd, int operation) override
    {
        int rc;
        do {
            rc = ::flock(fd, operation);
        } while (rc < 0 && errno == EINTR);
        return rc;
    }
    int fcntlLock(int fd, int command, struct flock* lock) override
    {
        int rc;
        do {
            rc = ::fcntl(fd, command, lock);
        } while (rc < 0 && errno == EINTR);
        return rc;
    }
    uid_t getuid() override { return ::getuid(); }
    int openat(int folder, const char* path, int flags, mode_t mode) override
    {
        int fd;
        do {
            fd = ::openat(folder, path, flags | O_CLOEXEC, mode);
        } while (fd < 0 && errno == EINTR);
        return fd;
    }
    int fstatat(int folder, const char* path, struct stat* info, int flags) override
    {
        return ::fstatat(folder, path, info, flags);
    }
    int mkdirat(int folder, const char* path, mode_t mode) override { return ::mkdirat(folder, path, mode); }
    int unlinkat(int folder, const char* path, int flags) override { return ::unlinkat(folder, path, flags); }
    int renameat(int fromFolder, const char* from, int toFolder, const char* to) override
    {
        return ::renameat(fromFolder, from, toFolder, to);
    }
    int linkat(int fromFolder, const char* from, int toFolder, const char* to) override
    {
        return ::linkat(fromFolder, from, toFolder, to, 0);
    }
    int listFolder(int folder, std::vector<std::string>& names) override
    {
        names.clear();
        std::vector<FolderEntry> entries;
        const int result = listFolderEntries(folder, entries);
        names.reserve(entries.size());
        for (auto& entry : entries)
            names.push_back(std::move(entry.name));
        return result;
    }
    int listFolderEntries(int folder, std::vector<FolderEntry>& names) override
    {
        names.clear();
        const int listing = openat(folder, ".", O_RDONLY | O_DIRECTORY, 0);
        DIR* dir = listing >= 0 ? ::fdopendir(listing) : nullptr;
        if (!dir) {
            const int error = errno;
            if (listing >= 0)
                ::close(listing);
            errno = error;
            return -1;
        }
        // readdir tells an error from the end only through errno.
        errno = 0;
        while (const dirent* entry = ::readdir(dir)) {
            if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
                names.push_back({entry->d_name, entry->d_type});
            errno = 0;
        }
        const int error = errno;
        ::closedir(dir);
        errno = error;
        return error ? -1 : 0;
    }
};

} // namespace

SystemCalls& posixSystemCalls()
{
    // Stateless, so one shared instance is as good as many.
    static PosixSystemCalls calls;
    return calls;
}

} // namespace core
