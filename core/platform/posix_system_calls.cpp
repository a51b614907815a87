#include "core/platform/system_calls.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace core {
namespace {

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
    int fsync(int fd) override { return ::fsync(fd); }
    int fstat(int fd, struct stat* info) override { return ::fstat(fd, info); }
    int stat(const char* path, struct stat* info) override { return ::stat(path, info); }
    int rename(const char* from, const char* to) override { return std::rename(from, to); }
    int unlink(const char* path) override { return ::unlink(path); }
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
};

} // namespace

SystemCalls& posixSystemCalls()
{
    // Stateless, so one shared instance is as good as many.
    static PosixSystemCalls calls;
    return calls;
}

} // namespace core
