#include "tools/cmd/drive.h"

#include "core/text/ascii.h"
#include "core/text/unicode.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

namespace cmdtool {

Descriptor& Descriptor::operator=(Descriptor&& other) noexcept
{
    if (this != &other) {
        if (m_fd >= 0)
            m_calls->close(m_fd);
        m_calls = other.m_calls;
        m_fd = other.release();
    }
    return *this;
}

Descriptor::~Descriptor()
{
    if (m_fd >= 0)
        m_calls->close(m_fd);
}

bool findName(core::SystemCalls& calls, int folder, std::string_view name, std::string& found, int& error)
{
    error = 0;
    struct stat info {};
    const std::string exact(name);
    if (calls.fstatat(folder, exact.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0) {
        found = exact;
        return true;
    }
    std::vector<std::string> names;
    if (calls.listFolder(folder, names) != 0) {
        error = errno;
        return false;
    }
    const std::string* match = nullptr;
    for (const auto& candidate : names)
        if (core::text::equalNoCase(candidate, name) && (!match || candidate < *match))
            match = &candidate;
    if (!match) {
        error = ENOENT;
        return false;
    }
    found = *match;
    return true;
}

bool isDeviceName(std::string_view name)
{
    const std::string base = core::text::asciiLower(name.substr(0, name.find_first_of(".:")));
    if (base == "nul" || base == "con" || base == "aux" || base == "prn")
        return true;
    return base.size() == 4 && (base.starts_with("com") || base.starts_with("lpt")) && base[3] >= '1' &&
           base[3] <= '9';
}

Descriptor openSubfolder(core::SystemCalls& calls, int folder, const std::string& name, int& error)
{
    Descriptor sub(calls, calls.openat(folder, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW));
    error = sub ? 0 : errno;
    // O_DIRECTORY finds a link no folder before O_NOFOLLOW finds it a link.
    struct stat info {};
    if (error == ENOTDIR && calls.fstatat(folder, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISLNK(info.st_mode))
        error = ELOOP;
    return sub;
}

Drive::Drive(core::SystemCalls& calls, const std::filesystem::path& driveC)
    : m_calls(calls), m_root(calls, calls.open(driveC.c_str(), O_RDONLY | O_DIRECTORY))
{
}

Descriptor Drive::openFolder(const DrivePath& path, int& error, DrivePath* realPath) const
{
    error = 0;
    Descriptor current(m_calls, m_calls.openat(m_root.get(), ".", O_RDONLY | O_DIRECTORY));
    if (!current) {
        error = errno;
        return {};
    }
    if (realPath)
        realPath->clear();
    for (const auto& name : path) {
        std::string found;
        if (!findName(m_calls, current.get(), name, found, error))
            return {};
        Descriptor next = openSubfolder(m_calls, current.get(), found, error);
        if (!next)
            return {};
        current = std::move(next);
        if (realPath)
            realPath->push_back(found);
    }
    return current;
}

Place Drive::locate(const DrivePath& path, int& error) const
{
    Place place;
    const DrivePath parent(path.begin(), path.end() - 1);
    place.folder = openFolder(parent, error);
    if (!place.folder)
        return place;
    place.exists = findName(m_calls, place.folder.get(), path.back(), place.name, error);
    if (!place.exists && error != ENOENT)
        return {};
    error = 0;
    if (!place.exists)
        place.name = path.back();
    return place;
}

} // namespace cmdtool
