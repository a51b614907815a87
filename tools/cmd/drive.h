#pragma once

#include "core/platform/system_calls.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace cmdtool {

// A file descriptor that is closed when it goes.
class Descriptor {
public:
    Descriptor() = default;
    Descriptor(core::SystemCalls& calls, int fd) : m_calls(&calls), m_fd(fd) {}
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
    core::SystemCalls* m_calls = nullptr;
    int m_fd = -1;
};

// A path below C:\, one name per folder, without "." and "..".
using DrivePath = std::vector<std::string>;

// Where a path leads: the folder that holds its last name, open, and that name as it exists
// (or as written when nothing has it).
struct Place {
    Descriptor folder;
    std::string name;
    bool exists = false;
};

// Drive C: as a descriptor of its folder. Every path is walked from it one name at a time with
// O_NOFOLLOW, and work is done through the descriptors the walk holds, so a link anywhere on
// the way, or a folder swapped for one meanwhile, can never lead out of the drive. Names are
// matched without regard to case, as Windows matches them.
class Drive {
public:
    // Links on the way to drive_c itself are followed: that path is the user's, not the machine's.
    Drive(core::SystemCalls& calls, const std::filesystem::path& driveC);

    bool isOpen() const { return static_cast<bool>(m_root); }

    // Opens the folder of `path`; on failure returns no descriptor with `error` an errno (ELOOP
    // for a link on the way, ENOTDIR for a file). `realPath` receives the names as they exist.
    Descriptor openFolder(const DrivePath& path, int& error, DrivePath* realPath = nullptr) const;
    // Opens the folder that holds the last name of `path` (which is not empty); no descriptor
    // when that fails, or when that folder cannot be listed to find the name.
    Place locate(const DrivePath& path, int& error) const;

private:
    core::SystemCalls& m_calls;
    Descriptor m_root;
};

// Finds `name` in the open folder without regard to case (the exact spelling first, else the
// first match in byte order); false with `error` ENOENT when the folder has no such entry, or
// with the listing's errno when it could not be read, which is no proof that the name is free.
bool findName(core::SystemCalls& calls, int folder, std::string_view name, std::string& found, int& error);

// Opens the folder `name` in the open folder, never through a link; on failure `error` is an
// errno, ELOOP for a link.
Descriptor openSubfolder(core::SystemCalls& calls, int folder, const std::string& name, int& error);

// Windows' device names (NUL, CON, AUX, PRN, COM1-COM9, LPT1-LPT9), with or without an
// extension or a colon: "nul", "NUL.txt", "con:".
bool isDeviceName(std::string_view name);

} // namespace cmdtool
