#include "core/io/atomic_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <functional>
#include <random>

namespace core::io {
namespace {

std::error_code lastError()
{
    return {errno, std::generic_category()};
}

// Closes a descriptor on every path out of a scope.
class Descriptor {
public:
    Descriptor(SystemCalls& calls, int fd) : m_calls(calls), m_fd(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor()
    {
        if (m_fd >= 0)
            m_calls.close(m_fd);
    }
    int get() const { return m_fd; }
    void reset(int fd)
    {
        if (m_fd >= 0)
            m_calls.close(m_fd);
        m_fd = fd;
    }
    // Closes now and reports the result, since a failed close can mean lost data.
    int close()
    {
        const int rc = m_calls.close(m_fd);
        m_fd = -1;
        return rc;
    }

private:
    SystemCalls& m_calls;
    int m_fd;
};

std::filesystem::path folderOf(const std::filesystem::path& path)
{
    auto folder = path.parent_path();
    return folder.empty() ? std::filesystem::path(".") : folder;
}

// Creates a new file under an unpredictable name beside `path`; returns its descriptor or -1.
int createTemporary(SystemCalls& calls, const std::filesystem::path& path, mode_t mode,
                    std::filesystem::path& temporary)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary.replace_filename(temporaryName(path.filename().string()));
        const int fd = calls.open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, mode);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

// Times to the nanosecond where the system tells them: a file rewritten in place within the same
// second keeps its size and its times in seconds.
template <typename Stat>
bool sameTimes(const Stat& a, const Stat& b)
{
    if constexpr (requires { a.st_mtim.tv_nsec; })
        return a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec &&
               a.st_ctim.tv_sec == b.st_ctim.tv_sec && a.st_ctim.tv_nsec == b.st_ctim.tv_nsec;
    else
        return false; // times in seconds cannot tell a file rewritten in place within the same second
}

bool sameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size && sameTimes(a, b);
}

// The source to copy from, open, or -1 when it is no longer the file whose text is in memory.
int openSource(SystemCalls& calls, const CopySource* source)
{
    if (!source)
        return -1;
    const int fd = calls.open(source->path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW);
    if (fd < 0)
        return -1;
    struct stat info {};
    if (calls.fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || !sameFile(info, source->identity) ||
        static_cast<std::uint64_t>(info.st_size) != source->text.size()) {
        calls.close(fd);
        return -1;
    }
    return fd;
}

} // namespace

bool systemTellsRewrittenFiles()
{
    struct stat none {};
    return sameTimes(none, none);
}

std::string temporaryName(std::string_view target)
{
    static constexpr char Letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::random_device random;
    std::string name = "." + std::string(target) + ".";
    for (int i = 0; i < 8; ++i)
        name += Letters[random() % (sizeof Letters - 1)];
    return name;
}

std::error_code notARegularFile()
{
    return std::make_error_code(std::errc::invalid_seek);
}

std::error_code tooLarge()
{
    return std::make_error_code(std::errc::file_too_large);
}

std::string describe(std::error_code error)
{
    return error == notARegularFile() ? std::string("it is not a regular file") : error.message();
}

namespace {

// Opens a file for readFile and checks that it may be read whole.
std::error_code openToRead(SystemCalls& calls, const std::filesystem::path& path, Links links, Descriptor& fd,
                           struct stat& info, std::uint64_t largest)
{
    const int noFollow = links == Links::Refuse ? O_NOFOLLOW : 0;
    fd.reset(calls.open(path.c_str(), O_RDONLY | O_NONBLOCK | noFollow));
    if (fd.get() < 0)
        return links == Links::Refuse && errno == ELOOP ? notARegularFile() : lastError();
    if (calls.fstat(fd.get(), &info) != 0)
        return lastError();
    if (S_ISDIR(info.st_mode))
        return std::make_error_code(std::errc::is_a_directory);
    if (!S_ISREG(info.st_mode))
        return notARegularFile();
    if (static_cast<std::uint64_t>(info.st_size) > largest)
        return tooLarge();
    return {};
}

std::error_code readOpen(SystemCalls& calls, int fd, const struct stat& info, std::string& contents,
                         std::uint64_t largest)
{
    // Read straight into the text, sized by what fstat tells; a file that grows meanwhile goes on,
    // up to one byte past `largest`, which tells that it grew too large.
    const std::uint64_t most = std::min<std::uint64_t>(largest, contents.max_size() - 1) + 1;
    std::size_t size = 0;
    contents.resize(static_cast<std::size_t>(
        std::min<std::uint64_t>(info.st_size > 0 ? static_cast<std::uint64_t>(info.st_size) + 1 : 1 << 16, most)));
    for (;;) {
        if (size == contents.size()) {
            if (size >= most) {
                contents.clear();
                return tooLarge();
            }
            contents.resize(static_cast<std::size_t>(std::min<std::uint64_t>(std::uint64_t(size) * 2, most)));
        }
        const ssize_t n = calls.read(fd, contents.data() + size, contents.size() - size);
        if (n < 0) {
            contents.clear();
            return lastError();
        }
        if (n == 0)
            break;
        size += static_cast<std::size_t>(n);
    }
    contents.resize(size);
    return {};
}

} // namespace

std::error_code readFile(SystemCalls& calls, const std::filesystem::path& path, std::string& contents, Links links,
                         struct stat* identity, std::uint64_t largest)
{
    contents.clear();
    Descriptor fd(calls, -1);
    struct stat info {};
    if (const auto error = openToRead(calls, path, links, fd, info, largest))
        return error;
    if (identity)
        *identity = info;
    return readOpen(calls, fd.get(), info, contents, largest);
}

std::error_code readFile(SystemCalls& calls, const std::filesystem::path& path, FileText& contents, Links links,
                         struct stat* identity, std::uint64_t largest)
{
    contents = FileText();
    Descriptor fd(calls, -1);
    struct stat info {};
    if (const auto error = openToRead(calls, path, links, fd, info, largest))
        return error;
    if (identity)
        *identity = info;
    if (info.st_size > 0)
        if (const void* at = calls.mapFile(fd.get(), static_cast<std::size_t>(info.st_size))) {
            contents = FileText::mapped(calls, at, static_cast<std::size_t>(info.st_size));
            return {};
        }
    std::string text;
    const auto error = readOpen(calls, fd.get(), info, text, largest);
    contents = FileText(std::move(text));
    return error;
}

bool canReplace(SystemCalls& calls, const std::filesystem::path& path)
{
    if (calls.access(folderOf(path).c_str(), W_OK | X_OK) != 0)
        return false;
    if (calls.access(path.c_str(), F_OK) != 0)
        return true;
    return calls.access(path.c_str(), W_OK) == 0;
}

std::error_code replaceFile(SystemCalls& calls, const std::filesystem::path& path, std::string_view contents)
{
    return replaceFile(calls, path, std::span<const std::string_view>(&contents, 1));
}

std::error_code replaceFile(SystemCalls& calls, const std::filesystem::path& path,
                            std::span<const std::string_view> pieces, const CopySource* source,
                            const std::function<std::error_code()>& beforeReplace)
{
    if (!canReplace(calls, path))
        return std::make_error_code(std::errc::permission_denied);

    mode_t mode = 0644;
    struct stat info {};
    if (calls.stat(path.c_str(), &info) == 0)
        mode = info.st_mode & 07777;

    auto temporary = path;
    {
        Descriptor fd(calls, createTemporary(calls, path, mode, temporary));
        if (fd.get() < 0)
            return lastError();
        const auto writeAll = [&](std::string_view contents) {
            size_t written = 0;
            while (written < contents.size()) {
                const ssize_t n = calls.write(fd.get(), contents.data() + written, contents.size() - written);
                if (n <= 0)
                    return n < 0 ? lastError() : std::make_error_code(std::errc::io_error);
                written += static_cast<size_t>(n);
            }
            return std::error_code();
        };
        Descriptor from(calls, openSource(calls, source));
        bool copying = from.get() >= 0;
        // Copies the piece from the source file; the part the kernel refuses is written from memory.
        const auto copyOrWrite = [&](std::string_view contents) {
            const std::string_view text = source ? source->text : std::string_view();
            const std::less_equal<const char*> notAfter;
            if (copying && notAfter(text.data(), contents.data()) &&
                notAfter(contents.data() + contents.size(), text.data() + text.size())) {
                auto offset = static_cast<std::uint64_t>(contents.data() - text.data());
                while (!contents.empty()) {
                    const ssize_t n = calls.copyFileRange(from.get(), offset, fd.get(), contents.size());
                    if (n <= 0) {
                        copying = false;
                        break;
                    }
                    contents.remove_prefix(static_cast<std::size_t>(n));
                }
            }
            return writeAll(contents);
        };
        // Small pieces (a hive's changed keys, thousands after an import) are gathered into
        // one write, so that each does not cost a system call of its own.
        constexpr std::size_t Gathered = 64 * 1024;
        std::string gathered;
        gathered.reserve(Gathered);
        std::error_code failure;
        for (const std::string_view contents : pieces) {
            if (gathered.size() + contents.size() > Gathered && !gathered.empty()) {
                if ((failure = writeAll(gathered)))
                    break;
                gathered.clear();
            }
            if (contents.size() >= Gathered) {
                if ((failure = copyOrWrite(contents)))
                    break;
            } else {
                gathered += contents;
            }
        }
        if (!failure && !gathered.empty())
            failure = writeAll(gathered);
        if (failure) {
            calls.unlink(temporary.c_str());
            return failure;
        }
        if (calls.fsync(fd.get()) != 0 || fd.close() != 0) {
            const auto error = lastError();
            calls.unlink(temporary.c_str());
            return error;
        }
    }
    if (beforeReplace)
        if (const auto refused = beforeReplace()) {
            calls.unlink(temporary.c_str());
            return refused;
        }
    if (calls.rename(temporary.c_str(), path.c_str()) != 0) {
        const auto error = lastError();
        calls.unlink(temporary.c_str());
        return error;
    }
    // The rename itself is durable only once the folder is flushed.
    Descriptor folder(calls, calls.open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY));
    if (folder.get() >= 0)
        calls.fsync(folder.get());
    return {};
}

FolderLock::FolderLock(FolderLock&& other) noexcept : m_calls(other.m_calls), m_fd(other.m_fd)
{
    other.m_fd = -1;
}

FolderLock& FolderLock::operator=(FolderLock&& other) noexcept
{
    if (this != &other) {
        release();
        m_calls = other.m_calls;
        m_fd = other.m_fd;
        other.m_fd = -1;
    }
    return *this;
}

FolderLock::~FolderLock()
{
    release();
}

std::error_code FolderLock::acquire(SystemCalls& calls, const std::filesystem::path& folder, FolderLock& lock)
{
    lock.release();
    // flock works on a folder opened for reading, so a read-only folder can still be locked
    // by readers that then find out they may not write.
    const int fd = calls.open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return lastError();
    if (calls.flock(fd, LOCK_EX) != 0) {
        const auto error = lastError();
        calls.close(fd);
        return error;
    }
    lock.m_calls = &calls;
    lock.m_fd = fd;
    return {};
}

void FolderLock::release()
{
    if (m_fd >= 0) {
        m_calls->flock(m_fd, LOCK_UN);
        m_calls->close(m_fd);
        m_fd = -1;
    }
}

} // namespace core::io
