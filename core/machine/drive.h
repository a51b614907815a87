#pragma once

#include "core/io/drive_path.h"
#include "core/platform/system_calls.h"

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace core {

// A file descriptor that is closed when it goes.
class Descriptor {
public:
    Descriptor() = default;
    Descriptor(SystemCalls& calls, int fd) : m_calls(&calls), m_fd(fd) {}
    Descriptor(Descriptor&& other) noexcept : m_calls(other.m_calls), m_fd(other.release()) {}
    Descriptor& operator=(Descriptor&& other) noexcept;
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor();

    int get() const { return m_fd; }
    explicit operator bool() const { return m_fd >= 0; }
    int release()
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }

private:
    SystemCalls* m_calls = nullptr;
    int m_fd = -1;
};

// Where a path leads: the folder that holds its last name, open, and that name as it exists
// (or as written when nothing has it).
struct Place {
    Descriptor folder;
    std::string name;
    bool exists = false;
};

// Drive C: as a descriptor of its folder: the one way to any file on it. Every path is walked
// from it one name at a time with O_NOFOLLOW, and work is done through the descriptors the walk
// holds, so a link anywhere on the way, or a folder swapped for one meanwhile, can never lead out
// of the drive: a link is never a folder. Names are matched without regard to case, as Windows
// matches them.
class Drive {
public:
    // Links on the way to drive_c itself are followed: that path is the user's, not the machine's.
    Drive(SystemCalls& calls, const std::filesystem::path& driveC);

    bool isOpen() const { return static_cast<bool>(m_root); }
    SystemCalls& calls() const { return m_calls; }

    // Opens the folder of `path`; on failure returns no descriptor with `error` an errno (ELOOP
    // for a link on the way, ENOTDIR for a file). `realPath` receives the names as they exist.
    Descriptor openFolder(const DrivePath& path, int& error, DrivePath* realPath = nullptr) const;
    // Opens the folder that holds the last name of `path` (which is not empty); no descriptor
    // when that fails, or when that folder cannot be listed to find the name.
    Place locate(const DrivePath& path, int& error) const;
    // Opens a regular file for reading; ELOOP for a link, EISDIR for a folder, EINVAL for any
    // other kind (a FIFO never makes the reader wait). `info` receives what fstat tells.
    Descriptor openFile(const DrivePath& path, int& error, struct stat* info = nullptr) const;
    // Reads a regular file whole; EFBIG when it is larger than `limit`. Returns an errno or 0.
    int readFile(const DrivePath& path, std::string& contents, std::size_t limit) const;
    // The names of the regular files in a folder, without hidden ones (a leading dot); a link
    // lists as what it leads to (a broken one as a file) but is never opened through. Returns an
    // errno or 0; `folder` receives the folder, open, when given.
    int listFiles(const DrivePath& path, std::vector<std::string>& names, Descriptor* folder = nullptr) const;
    // Deletes a file (a link as a link), never a folder. Returns an errno or 0.
    int removeFile(const DrivePath& path) const;

private:
    SystemCalls& m_calls;
    Descriptor m_root;
};

// The program's current folder on the machine, as its names exist: the host's current folder
// when it lies inside drive C:, else `profile` (the user's folder); C:\ itself when neither opens.
DrivePath currentFolder(const Drive& drive, const std::filesystem::path& driveC,
                        const std::filesystem::path& hostCurrent, const DrivePath& profile);

// Finds `name` in the open folder without regard to case (the exact spelling first, else the
// first match in byte order); false with `error` ENOENT when the folder has no such entry, or
// with the listing's errno when it could not be read, which is no proof that the name is free.
bool findName(SystemCalls& calls, int folder, std::string_view name, std::string& found, int& error);

// Opens the folder `name` in the open folder, never through a link; on failure `error` is an
// errno, ELOOP for a link.
Descriptor openSubfolder(SystemCalls& calls, int folder, const std::string& name, int& error);

// Removes everything inside the open folder `top`, never following a symbolic link: a link is
// removed as a link, and a folder swapped for a link meanwhile is not opened. The folders of
// `kept` (a path below it) stay with what leads to them. Returns an errno or 0.
int removeContents(SystemCalls& calls, Descriptor top, const DrivePath& kept = {});

// Reads what is left of an open file, at most `limit` bytes (EFBIG beyond). Returns an errno or 0.
int readAll(SystemCalls& calls, int file, std::string& contents, std::size_t limit);

// Copies what is left of the open file `input` into the file `name` of the open folder, in
// pieces of a fixed size: written beside under a name nobody can plant, flushed and renamed
// into place, so `name` is the old file or the whole new one, and a new file (never a link to
// the input). Returns an errno or 0.
int copyFile(SystemCalls& calls, int input, int folder, const std::string& name, mode_t mode);

} // namespace core
