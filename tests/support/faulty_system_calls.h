#pragma once

#include "core/platform/system_calls.h"

#include <map>
#include <optional>
#include <string>

namespace testing_support {

// The real system calls, except that a chosen call fails with a chosen errno: the first time
// it is made, or the n-th time. Counts every call by name so tests can see what happened.
class FaultySystemCalls final : public core::SystemCalls {
public:
    // `call` is the method name: "open", "write", "fsync", "rename", "flock", "listFolder", ...
    void failOn(const std::string& call, int error, int occurrence = 1);
    void clearFaults() { m_faults.clear(); }
    int count(const std::string& call) const;

    int open(const char* path, int flags, mode_t mode) override;
    int close(int fd) override;
    ssize_t read(int fd, void* buffer, size_t size) override;
    ssize_t write(int fd, const void* buffer, size_t size) override;
    ssize_t copyFileRange(int from, std::uint64_t& offset, int to, size_t size) override;
    const void* mapFile(int fd, size_t size) override;
    int unmapFile(const void* address, size_t size) override;
    int forgetMapped(const void* address, size_t size) override;
    int fsync(int fd) override;
    int fstat(int fd, struct stat* info) override;
    int stat(const char* path, struct stat* info) override;
    int rename(const char* from, const char* to) override;
    int unlink(const char* path) override;
    int link(const char* from, const char* to) override;
    int access(const char* path, int mode) override;
    int mkdir(const char* path, mode_t mode) override;
    int flock(int fd, int operation) override;
    int fcntlLock(int fd, int command, struct flock* lock) override;
    // The real user id, or the one given to pretendUserId.
    uid_t getuid() override;
    void pretendUserId(uid_t id) { m_userId = id; }
    int openat(int folder, const char* path, int flags, mode_t mode) override;
    int fstatat(int folder, const char* path, struct stat* info, int flags) override;
    int mkdirat(int folder, const char* path, mode_t mode) override;
    int unlinkat(int folder, const char* path, int flags) override;
    int renameat(int fromFolder, const char* from, int toFolder, const char* to) override;
    int linkat(int fromFolder, const char* from, int toFolder, const char* to) override;
    int listFolder(int folder, std::vector<std::string>& names) override;
    int listFolderEntries(int folder, std::vector<FolderEntry>& entries) override;

private:
    struct Fault {
        int error;
        int occurrence;
    };
    // True (with errno set) when this call must fail.
    bool fails(const std::string& call);

    core::SystemCalls& m_real = core::posixSystemCalls();
    std::map<std::string, Fault> m_faults;
    std::map<std::string, int> m_counts;
    std::optional<uid_t> m_userId;
};

} // namespace testing_support
