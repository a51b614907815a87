#include "core/machine/drive.h"

#include "core/io/atomic_file.h"
#include "core/text/ascii.h"
#include "core/text/unicode.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <utility>

namespace core {
namespace {

// Pieces of a copy: large enough to be quick, small enough for any file size.
constexpr std::size_t CopyPiece = 1 << 16;

} // namespace

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

bool findName(SystemCalls& calls, int folder, std::string_view name, std::string& found, int& error)
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
        if (text::equalNoCase(candidate, name) && (!match || candidate < *match))
            match = &candidate;
    if (!match) {
        error = ENOENT;
        return false;
    }
    found = *match;
    return true;
}

Descriptor openSubfolder(SystemCalls& calls, int folder, const std::string& name, int& error)
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

Drive::Drive(SystemCalls& calls, const std::filesystem::path& driveC)
    : m_calls(calls)
    , m_root(calls, calls.open(driveC.c_str(), O_RDONLY | O_DIRECTORY))
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

Descriptor Drive::openFile(const DrivePath& path, int& error, struct stat* info) const
{
    if (path.empty()) {
        error = EISDIR;
        return {};
    }
    Place place = locate(path, error);
    if (!place.folder)
        return {};
    if (!place.exists) {
        error = ENOENT;
        return {};
    }
    Descriptor file(
        m_calls, m_calls.openat(place.folder.get(), place.name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY));
    struct stat own {};
    struct stat& about = info ? *info : own;
    if (!file) {
        error = errno;
        return {};
    }
    if (m_calls.fstat(file.get(), &about) != 0) {
        error = errno;
        return {};
    }
    if (!S_ISREG(about.st_mode)) {
        error = S_ISDIR(about.st_mode) ? EISDIR : EINVAL;
        return {};
    }
    error = 0;
    return file;
}

int Drive::readFile(const DrivePath& path, std::string& contents, std::size_t limit) const
{
    int error = 0;
    const Descriptor file = openFile(path, error);
    return file ? readAll(m_calls, file.get(), contents, limit) : error;
}

int Drive::listFiles(const DrivePath& path, std::vector<std::string>& names, Descriptor* opened) const
{
    names.clear();
    int error = 0;
    Descriptor folder = openFolder(path, error);
    if (!folder)
        return error;
    std::vector<SystemCalls::FolderEntry> entries;
    if (m_calls.listFolderEntries(folder.get(), entries) != 0)
        return errno;
    for (auto& entry : entries) {
        if (entry.name.starts_with('.'))
            continue;
        bool file = entry.type == DT_REG;
        if (entry.type == DT_LNK || entry.type == DT_UNKNOWN) {
            // Only the kind is asked for; nothing is ever opened through a link.
            struct stat info {};
            struct stat target {};
            if (m_calls.fstatat(folder.get(), entry.name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0)
                continue; // gone meanwhile
            file = S_ISREG(info.st_mode) ||
                   (S_ISLNK(info.st_mode) &&
                    (m_calls.fstatat(folder.get(), entry.name.c_str(), &target, 0) != 0 || !S_ISDIR(target.st_mode)));
        }
        if (file)
            names.push_back(std::move(entry.name));
    }
    if (opened)
        *opened = std::move(folder);
    return 0;
}

int Drive::removeFile(const DrivePath& path) const
{
    if (path.empty())
        return EISDIR;
    int error = 0;
    const Place place = locate(path, error);
    if (!place.folder)
        return error;
    if (!place.exists)
        return ENOENT;
    return m_calls.unlinkat(place.folder.get(), place.name.c_str(), 0) == 0 ? 0 : errno;
}

DrivePath currentFolder(const Drive& drive, const std::filesystem::path& driveC,
                        const std::filesystem::path& hostCurrent, const DrivePath& profile)
{
    namespace fs = std::filesystem;
    std::error_code ignored;
    const fs::path root = fs::weakly_canonical(fs::absolute(driveC, ignored), ignored);
    const fs::path here = fs::weakly_canonical(fs::absolute(hostCurrent, ignored), ignored);
    const fs::path relative = here.lexically_relative(root);
    DrivePath real;
    int error = 0;
    if (!relative.empty() && *relative.begin() != "..") {
        DrivePath inside;
        for (const auto& part : relative)
            if (!part.empty() && part != ".")
                inside.push_back(part.string());
        if (drive.openFolder(inside, error, &real))
            return real;
    }
    if (drive.openFolder(profile, error, &real))
        return real;
    return {};
}

int removeContents(SystemCalls& calls, Descriptor top, const DrivePath& kept)
{
    constexpr std::size_t OffTheWay = std::string::npos;
    struct Level {
        Descriptor folder;
        std::vector<std::string> names;
        std::size_t next = 0;
        std::size_t keptDepth = OffTheWay; // how far down `kept` this folder lies
    };
    auto list = [&calls](Level& level) { return calls.listFolder(level.folder.get(), level.names) == 0 ? 0 : errno; };
    auto onTheWay = [&](const Level& level, const std::string& name) {
        return level.keptDepth != OffTheWay && level.keptDepth < kept.size() && name == kept[level.keptDepth];
    };
    // No recursion: a deep tree costs one descriptor per level.
    std::vector<Level> stack;
    stack.push_back({std::move(top), {}, 0, 0});
    int failure = list(stack.back());
    while (!stack.empty() && !failure) {
        Level& level = stack.back();
        if (level.next == level.names.size()) {
            stack.pop_back();
            if (stack.empty())
                break;
            // The folder just emptied goes too, unless it leads to the kept one.
            Level& parent = stack.back();
            const std::string& name = parent.names[parent.next - 1];
            if (!onTheWay(parent, name) && calls.unlinkat(parent.folder.get(), name.c_str(), AT_REMOVEDIR) != 0 &&
                errno != ENOENT)
                failure = errno;
            continue;
        }
        const std::string& name = level.names[level.next++];
        struct stat info {};
        if (calls.fstatat(level.folder.get(), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno != ENOENT)
                failure = errno;
            continue;
        }
        if (!S_ISDIR(info.st_mode)) {
            if (calls.unlinkat(level.folder.get(), name.c_str(), 0) != 0 && errno != ENOENT)
                failure = errno;
            continue;
        }
        Descriptor sub(calls, calls.openat(level.folder.get(), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW));
        if (!sub) {
            failure = errno;
            continue;
        }
        Level inner{std::move(sub), {}, 0, onTheWay(level, name) ? level.keptDepth + 1 : OffTheWay};
        // The kept folder itself keeps everything in it.
        if (inner.keptDepth != kept.size())
            failure = list(inner);
        stack.push_back(std::move(inner));
    }
    return failure;
}

int readAll(SystemCalls& calls, int file, std::string& contents, std::size_t limit)
{
    contents.clear();
    char buffer[CopyPiece];
    for (;;) {
        const ssize_t n = calls.read(file, buffer, sizeof buffer);
        if (n == 0)
            return 0;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (static_cast<std::size_t>(n) > limit - contents.size())
            return EFBIG;
        contents.append(buffer, static_cast<std::size_t>(n));
    }
}

int copyFile(SystemCalls& calls, int input, int folder, const std::string& name, mode_t mode)
{
    std::string temporary;
    Descriptor output;
    for (int attempt = 0; attempt < 100 && !output; ++attempt) {
        temporary = io::temporaryName(name);
        output =
            Descriptor(calls, calls.openat(folder, temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, mode));
        if (!output && errno != EEXIST)
            break;
    }
    if (!output)
        return errno;
    int failure = 0;
    std::vector<char> buffer(CopyPiece);
    while (!failure) {
        const ssize_t n = calls.read(input, buffer.data(), buffer.size());
        if (n == 0)
            break;
        if (n < 0) {
            if (errno != EINTR)
                failure = errno;
            continue;
        }
        for (std::size_t written = 0; written < static_cast<std::size_t>(n) && !failure;) {
            const ssize_t w = calls.write(output.get(), buffer.data() + written, static_cast<std::size_t>(n) - written);
            if (w < 0 && errno != EINTR)
                failure = errno;
            else if (w > 0)
                written += static_cast<std::size_t>(w);
        }
    }
    if (!failure && (calls.fsync(output.get()) != 0 || calls.close(output.release()) != 0))
        failure = errno;
    if (!failure && calls.renameat(folder, temporary.c_str(), folder, name.c_str()) != 0)
        failure = errno;
    if (failure) {
        calls.unlinkat(folder, temporary.c_str(), 0);
        return failure;
    }
    calls.fsync(folder);
    return 0;
}

} // namespace core
