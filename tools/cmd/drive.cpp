#include "tools/cmd/drive.h"

#include "core/text/ascii.h"
#include "core/text/unicode.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>

namespace cmdtool {

Descriptor& Descriptor::operator=(Descriptor&& other) noexcept
{
    if (this != &other) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = other.release();
    }
    return *this;
}

Descriptor::~Descriptor()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool findName(int folder, std::string_view name, std::string& found)
{
    struct stat info {};
    const std::string exact(name);
    if (::fstatat(folder, exact.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0) {
        found = exact;
        return true;
    }
    // A listing of its own, so that the folder's descriptor keeps its position.
    const int listing = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listing < 0)
        return false;
    DIR* dir = ::fdopendir(listing);
    if (!dir) {
        ::close(listing);
        return false;
    }
    std::optional<std::string> match;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view candidate(entry->d_name);
        if (candidate != "." && candidate != ".." && core::text::equalNoCase(candidate, name) &&
            (!match || candidate < *match))
            match = std::string(candidate);
    }
    ::closedir(dir);
    if (!match)
        return false;
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

Descriptor openSubfolder(int folder, const std::string& name, int& error)
{
    Descriptor sub(::openat(folder, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    error = sub ? 0 : errno;
    // O_DIRECTORY finds a link no folder before O_NOFOLLOW finds it a link.
    struct stat info {};
    if (error == ENOTDIR && ::fstatat(folder, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(info.st_mode))
        error = ELOOP;
    return sub;
}

Drive::Drive(const std::filesystem::path& driveC)
    : m_root(::open(driveC.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))
{
}

Descriptor Drive::openFolder(const DrivePath& path, int& error, DrivePath* realPath) const
{
    error = 0;
    Descriptor current(::openat(m_root.get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!current) {
        error = errno;
        return {};
    }
    if (realPath)
        realPath->clear();
    for (const auto& name : path) {
        std::string found;
        if (!findName(current.get(), name, found)) {
            error = ENOENT;
            return {};
        }
        Descriptor next = openSubfolder(current.get(), found, error);
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
    place.exists = findName(place.folder.get(), path.back(), place.name);
    if (!place.exists)
        place.name = path.back();
    return place;
}

} // namespace cmdtool
