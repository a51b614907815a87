#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

namespace core {

// The file-system calls that core makes on a POSIX system, behind one seam so that a test can
// make any of them fail. Each returns what the POSIX call returns and sets errno likewise.
class SystemCalls {
public:
    virtual ~SystemCalls() = default;

    virtual int open(const char* path, int flags, mode_t mode = 0) = 0;
    virtual int close(int fd) = 0;
    virtual ssize_t read(int fd, void* buffer, size_t size) = 0;
    virtual ssize_t write(int fd, const void* buffer, size_t size) = 0;
    // copy_file_range(2): up to `size` bytes of `from` at `offset` (which advances; the position
    // of `from` stays) to `to` at its position, within the kernel. 0 at the end of `from`. A system
    // or file system without it refuses with ENOSYS, EXDEV, EINVAL or EOPNOTSUPP.
    virtual ssize_t copyFileRange(int from, std::uint64_t& offset, int to, size_t size) = 0;
    // mmap(2) of the first `size` (> 0) bytes of a file, read-only and private; nullptr with errno
    // set where the system or the file refuses. unmapFile undoes it (munmap(2)).
    virtual const void* mapFile(int fd, size_t size) = 0;
    virtual int unmapFile(const void* address, size_t size) = 0;
    // madvise(2) with MADV_DONTNEED for the whole pages within `size` bytes at `address` of such a
    // mapping: their memory goes back to the system, and a later read maps them from the file again.
    virtual int forgetMapped(const void* address, size_t size) = 0;
    virtual int fsync(int fd) = 0;
    virtual int fstat(int fd, struct stat* info) = 0;
    virtual int stat(const char* path, struct stat* info) = 0;
    virtual int rename(const char* from, const char* to) = 0;
    virtual int unlink(const char* path) = 0;
    // link(2): a second name for a file, never following a symbolic link.
    virtual int link(const char* from, const char* to) = 0;
    virtual int access(const char* path, int mode) = 0;
    virtual int mkdir(const char* path, mode_t mode) = 0;
    // flock(2): LOCK_EX, LOCK_SH, LOCK_UN, optionally with LOCK_NB.
    virtual int flock(int fd, int operation) = 0;
    // fcntl(2) with F_GETLK, F_SETLK or F_SETLKW.
    virtual int fcntlLock(int fd, int command, struct flock* lock) = 0;
    virtual uid_t getuid() = 0;

    // The same calls relative to an open folder, as openat(2) and its kin take them.
    virtual int openat(int folder, const char* path, int flags, mode_t mode = 0) = 0;
    virtual int fstatat(int folder, const char* path, struct stat* info, int flags) = 0;
    virtual int mkdirat(int folder, const char* path, mode_t mode) = 0;
    virtual int unlinkat(int folder, const char* path, int flags) = 0;
    virtual int renameat(int fromFolder, const char* from, int toFolder, const char* to) = 0;
    // linkat(2) without AT_SYMLINK_FOLLOW.
    virtual int linkat(int fromFolder, const char* from, int toFolder, const char* to) = 0;
    // The names in the open folder, without "." and "..", read through a descriptor of its own
    // so that `folder` keeps its position. Returns 0, or -1 with errno set.
    virtual int listFolder(int folder, std::vector<std::string>& names) = 0;
    // The same with each entry's kind as the listing tells it (DT_REG, DT_DIR, DT_LNK ...;
    // DT_UNKNOWN where the file system does not say), so a caller stats only what it must.
    struct FolderEntry {
        std::string name;
        unsigned char type;
    };
    virtual int listFolderEntries(int folder, std::vector<FolderEntry>& entries) = 0;

    // Windows' paths are UTF-16 (std::filesystem::path::c_str() gives wchar_t there); these pass
    // them on in UTF-8, the encoding that every call above takes.
    int open(const wchar_t* path, int flags, mode_t mode = 0) { return open(utf8(path).c_str(), flags, mode); }
    int stat(const wchar_t* path, struct stat* info) { return stat(utf8(path).c_str(), info); }
    int rename(const wchar_t* from, const wchar_t* to) { return rename(utf8(from).c_str(), utf8(to).c_str()); }
    int unlink(const wchar_t* path) { return unlink(utf8(path).c_str()); }
    int link(const wchar_t* from, const wchar_t* to) { return link(utf8(from).c_str(), utf8(to).c_str()); }
    int access(const wchar_t* path, int mode) { return access(utf8(path).c_str(), mode); }
    int mkdir(const wchar_t* path, mode_t mode) { return mkdir(utf8(path).c_str(), mode); }
    static std::string utf8(const wchar_t* path);
};

// The real calls of the running system.
SystemCalls& posixSystemCalls();

} // namespace core
