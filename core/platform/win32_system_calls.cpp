#include "core/platform/system_calls.h"

#include "core/platform/win32/win32_text.h"

#include <sys/file.h>
#include <windows.h>

#include <cerrno>
#include <mutex>

namespace core {
namespace {

int errnoFrom(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH: return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_CURRENT_DIRECTORY: return EACCES;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return EEXIST;
    case ERROR_SHARING_VIOLATION: return EBUSY;
    case ERROR_LOCK_VIOLATION:
    case ERROR_IO_PENDING: return EWOULDBLOCK;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return ENOSPC;
    case ERROR_DIR_NOT_EMPTY: return ENOTEMPTY;
    case ERROR_DIRECTORY: return ENOTDIR;
    case ERROR_INVALID_HANDLE: return EBADF;
    case ERROR_INVALID_NAME:
    case ERROR_INVALID_PARAMETER: return EINVAL;
    case ERROR_FILENAME_EXCED_RANGE: return ENAMETOOLONG;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY: return ENOMEM;
    default: return EIO;
    }
}

int failWith(int error)
{
    errno = error;
    return -1;
}

int failLast()
{
    return failWith(errnoFrom(GetLastError()));
}

// 100 ns units since 1601 to seconds since 1970.
constexpr long long UnixEpoch = 116444736000000000LL;
long long unixSeconds(const FILETIME& time)
{
    const long long ticks =
        static_cast<long long>((static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
    return (ticks - UnixEpoch) / 10000000LL;
}

struct OpenFile {
    HANDLE handle = INVALID_HANDLE_VALUE;
    std::wstring path; // as opened, for the calls relative to a folder and the folder's lock
    bool folder = false;
    HANDLE folderLock = nullptr; // the named mutex that stands for flock on a folder
};

// POSIX descriptors over Win32 handles: core keeps ints, Windows gives HANDLEs.
class Win32SystemCalls final : public SystemCalls {
public:
    int open(const char* path, int flags, mode_t mode) override { return openWide(win32::widePath(path), flags, mode); }
    int close(int fd) override
    {
        OpenFile file;
        {
            std::lock_guard guard(m_mutex);
            if (!valid(fd))
                return failWith(EBADF);
            file = m_files[static_cast<size_t>(fd)];
            m_files[static_cast<size_t>(fd)] = OpenFile{};
        }
        if (file.folderLock) {
            ReleaseMutex(file.folderLock);
            CloseHandle(file.folderLock);
        }
        return CloseHandle(file.handle) ? 0 : failLast();
    }
    ssize_t read(int fd, void* buffer, size_t size) override
    {
        const HANDLE handle = handleOf(fd);
        if (handle == INVALID_HANDLE_VALUE)
            return failWith(EBADF);
        DWORD done = 0;
        const DWORD wanted = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
        if (!ReadFile(handle, buffer, wanted, &done, nullptr))
            return GetLastError() == ERROR_BROKEN_PIPE ? 0 : failLast();
        return static_cast<ssize_t>(done);
    }
    ssize_t copyFileRange(int, std::uint64_t&, int, size_t) override { return failWith(ENOSYS); }
    // Files are read into memory instead.
    const void* mapFile(int, size_t) override
    {
        errno = ENOSYS;
        return nullptr;
    }
    int unmapFile(const void*, size_t) override { return failWith(ENOSYS); }
    int forgetMapped(const void*, size_t) override { return failWith(ENOSYS); }
    ssize_t write(int fd, const void* buffer, size_t size) override
    {
        const HANDLE handle = handleOf(fd);
        if (handle == INVALID_HANDLE_VALUE)
            return failWith(EBADF);
        DWORD done = 0;
        const DWORD wanted = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
        if (!WriteFile(handle, buffer, wanted, &done, nullptr))
            return failLast();
        return static_cast<ssize_t>(done);
    }
    int fsync(int fd) override
    {
        OpenFile file = fileOf(fd);
        if (file.handle == INVALID_HANDLE_VALUE)
            return failWith(EBADF);
        // A folder cannot be flushed on Windows; renames made with MOVEFILE_WRITE_THROUGH are
        // on the disk before they return.
        if (file.folder)
            return 0;
        return FlushFileBuffers(file.handle) ? 0 : failLast();
    }
    int fstat(int fd, struct stat* info) override
    {
        const HANDLE handle = handleOf(fd);
        if (handle == INVALID_HANDLE_VALUE)
            return failWith(EBADF);
        return describe(handle, info);
    }
    int stat(const char* path, struct stat* info) override
    {
        const HANDLE handle =
            CreateFileW(win32::widePath(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (handle == INVALID_HANDLE_VALUE)
            return failLast();
        const int rc = describe(handle, info);
        CloseHandle(handle);
        return rc;
    }
    int rename(const char* from, const char* to) override
    {
        return MoveFileExW(win32::widePath(from).c_str(), win32::widePath(to).c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
                   ? 0
                   : failLast();
    }
    int unlink(const char* path) override
    {
        const std::wstring wide = win32::widePath(path);
        if (DeleteFileW(wide.c_str()))
            return 0;
        // POSIX removes a read-only file from a writable folder; Windows wants the mark off first.
        const DWORD attributes = GetFileAttributesW(wide.c_str());
        if (GetLastError() == ERROR_ACCESS_DENIED && attributes != INVALID_FILE_ATTRIBUTES &&
            (attributes & FILE_ATTRIBUTE_READONLY) && !(attributes & FILE_ATTRIBUTE_DIRECTORY) &&
            SetFileAttributesW(wide.c_str(), attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY))) {
            if (DeleteFileW(wide.c_str()))
                return 0;
            const DWORD error = GetLastError();
            SetFileAttributesW(wide.c_str(), attributes);
            return failWith(errnoFrom(error));
        }
        return failLast();
    }
    int link(const char* from, const char* to) override
    {
        return CreateHardLinkW(win32::widePath(to).c_str(), win32::widePath(from).c_str(), nullptr) ? 0 : failLast();
    }
    int access(const char* path, int mode) override
    {
        const DWORD attributes = GetFileAttributesW(win32::widePath(path).c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES)
            return failLast();
        // A read-only mark means something only on files; a folder's own is a display hint.
        if ((mode & W_OK) && (attributes & FILE_ATTRIBUTE_READONLY) && !(attributes & FILE_ATTRIBUTE_DIRECTORY))
            return failWith(EACCES);
        return 0;
    }
    int mkdir(const char* path, mode_t) override
    {
        return CreateDirectoryW(win32::widePath(path).c_str(), nullptr) ? 0 : failLast();
    }
    int flock(int fd, int operation) override
    {
        OpenFile file = fileOf(fd);
        if (file.handle == INVALID_HANDLE_VALUE)
            return failWith(EBADF);
        if (file.folder)
            return lockFolder(fd, file, operation);
        OVERLAPPED whole{};
        if (operation & LOCK_UN)
            return UnlockFileEx(file.handle, 0, MAXDWORD, MAXDWORD, &whole) ? 0 : failLast();
        DWORD lockFlags = (operation & LOCK_EX) ? LOCKFILE_EXCLUSIVE_LOCK : 0;
        if (operation & LOCK_NB)
            lockFlags |= LOCKFILE_FAIL_IMMEDIATELY;
        return LockFileEx(file.handle, lockFlags, 0, MAXDWORD, MAXDWORD, &whole) ? 0 : failLast();
    }
    int fcntlLock(int fd, int command, struct flock* lock) override
    {
        const HANDLE handle = handleOf(fd);
        if (handle == INVALID_HANDLE_VALUE)
            return failWith(EBADF);
        if (lock->l_whence != SEEK_SET || lock->l_start < 0 || lock->l_len < 0)
            return failWith(EINVAL);
        OVERLAPPED at{};
        const auto start = static_cast<unsigned long long>(lock->l_start);
        at.Offset = static_cast<DWORD>(start);
        at.OffsetHigh = static_cast<DWORD>(start >> 32);
        const unsigned long long length = lock->l_len == 0 ? ~0ULL : static_cast<unsigned long long>(lock->l_len);
        const auto low = static_cast<DWORD>(length);
        const auto high = static_cast<DWORD>(length >> 32);
        if (lock->l_type == F_UNLCK && command != F_GETLK)
            return UnlockFileEx(handle, 0, low, high, &at) ? 0 : failLast();
        DWORD lockFlags = lock->l_type == F_WRLCK ? LOCKFILE_EXCLUSIVE_LOCK : 0;
        if (command != F_SETLKW)
            lockFlags |= LOCKFILE_FAIL_IMMEDIATELY;
        const bool locked = LockFileEx(handle, lockFlags, 0, low, high, &at);
        if (command != F_GETLK)
            return locked ? 0 : failLast();
        // Windows cannot name the holder: a lock that could be taken is given back at once.
        if (locked) {
            UnlockFileEx(handle, 0, low, high, &at);
            lock->l_type = F_UNLCK;
        }
        lock->l_pid = 0;
        return 0;
    }
    uid_t getuid() override { return 0; }
    int openat(int folder, const char* path, int flags, mode_t mode) override
    {
        std::wstring full;
        if (!resolve(folder, path, full))
            return -1;
        return openWide(full, flags, mode);
    }
    int fstatat(int folder, const char* path, struct stat* info, int) override
    {
        std::wstring full;
        if (!resolve(folder, path, full))
            return -1;
        return stat(win32::utf8(full).c_str(), info);
    }
    int mkdirat(int folder, const char* path, mode_t mode) override
    {
        std::wstring full;
        if (!resolve(folder, path, full))
            return -1;
        return mkdir(win32::utf8(full).c_str(), mode);
    }
    int unlinkat(int folder, const char* path, int flags) override
    {
        std::wstring full;
        if (!resolve(folder, path, full))
            return -1;
        if (flags != 0)
            return RemoveDirectoryW(full.c_str()) ? 0 : failLast();
        return unlink(win32::utf8(full).c_str());
    }
    int renameat(int fromFolder, const char* from, int toFolder, const char* to) override
    {
        std::wstring fullFrom;
        std::wstring fullTo;
        if (!resolve(fromFolder, from, fullFrom) || !resolve(toFolder, to, fullTo))
            return -1;
        return rename(win32::utf8(fullFrom).c_str(), win32::utf8(fullTo).c_str());
    }
    int linkat(int fromFolder, const char* from, int toFolder, const char* to) override
    {
        std::wstring fullFrom;
        std::wstring fullTo;
        if (!resolve(fromFolder, from, fullFrom) || !resolve(toFolder, to, fullTo))
            return -1;
        return link(win32::utf8(fullFrom).c_str(), win32::utf8(fullTo).c_str());
    }
    int listFolderEntries(int folder, std::vector<FolderEntry>& entries) override
    {
        // The kinds stay unknown (0), so a caller looks at each entry itself.
        std::vector<std::string> names;
        entries.clear();
        if (listFolder(folder, names) != 0)
            return -1;
        for (std::string& name : names)
            entries.push_back({std::move(name), 0});
        return 0;
    }
    int listFolder(int folder, std::vector<std::string>& names) override
    {
        names.clear();
        const OpenFile file = fileOf(folder);
        if (file.handle == INVALID_HANDLE_VALUE)
            return failWith(EBADF);
        if (!file.folder)
            return failWith(ENOTDIR);
        WIN32_FIND_DATAW found{};
        const HANDLE search = FindFirstFileW((file.path + L"\\*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE)
            return GetLastError() == ERROR_FILE_NOT_FOUND ? 0 : failLast();
        do {
            const std::wstring_view name = found.cFileName;
            if (name != L"." && name != L"..")
                names.push_back(win32::utf8(name));
        } while (FindNextFileW(search, &found));
        const DWORD error = GetLastError();
        FindClose(search);
        return error == ERROR_NO_MORE_FILES ? 0 : failWith(errnoFrom(error));
    }

private:
    int openWide(const std::wstring& path, int flags, mode_t mode)
    {
        const int accessMode = flags & (O_RDONLY | O_WRONLY | O_RDWR);
        DWORD access = accessMode == O_WRONLY ? GENERIC_WRITE
                       : accessMode == O_RDWR ? GENERIC_READ | GENERIC_WRITE
                                              : GENERIC_READ;
        if (flags & O_APPEND)
            access = (access & ~static_cast<DWORD>(GENERIC_WRITE)) | FILE_APPEND_DATA;
        DWORD disposition = OPEN_EXISTING;
        if ((flags & O_CREAT) && (flags & O_EXCL))
            disposition = CREATE_NEW;
        else if ((flags & O_CREAT) && (flags & O_TRUNC))
            disposition = CREATE_ALWAYS;
        else if (flags & O_CREAT)
            disposition = OPEN_ALWAYS;
        else if (flags & O_TRUNC)
            disposition = TRUNCATE_EXISTING;
        // Folders open only with backup semantics; reparse points (links) are opened themselves
        // when they may not be followed, and then refused as POSIX refuses a symbolic link.
        DWORD attributes = FILE_FLAG_BACKUP_SEMANTICS;
        if (flags & O_NOFOLLOW)
            attributes |= FILE_FLAG_OPEN_REPARSE_POINT;
        if ((flags & O_CREAT) && !(mode & 0200))
            attributes |= FILE_ATTRIBUTE_READONLY;
        SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, (flags & O_CLOEXEC) ? FALSE : TRUE};
        // Others may read, write, rename and delete the file meanwhile, as on POSIX.
        const HANDLE handle = CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          &inherit, disposition, attributes, nullptr);
        if (handle == INVALID_HANDLE_VALUE)
            return failLast();
        BY_HANDLE_FILE_INFORMATION information{};
        if (!GetFileInformationByHandle(handle, &information)) {
            const DWORD error = GetLastError();
            CloseHandle(handle);
            return failWith(errnoFrom(error));
        }
        const bool folder = information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
        int refusal = 0;
        if ((flags & O_NOFOLLOW) && (information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
            refusal = ELOOP;
        else if ((flags & O_DIRECTORY) && !folder)
            refusal = ENOTDIR;
        else if (folder && accessMode != O_RDONLY)
            refusal = EISDIR;
        if (refusal) {
            CloseHandle(handle);
            return failWith(refusal);
        }
        std::lock_guard guard(m_mutex);
        size_t fd = 3;
        while (fd < m_files.size() && m_files[fd].handle != INVALID_HANDLE_VALUE)
            ++fd;
        if (fd >= m_files.size())
            m_files.resize(fd + 1);
        m_files[fd] = OpenFile{handle, path, folder, nullptr};
        return static_cast<int>(fd);
    }

    bool valid(int fd) const
    {
        return fd >= 0 && static_cast<size_t>(fd) < m_files.size() &&
               m_files[static_cast<size_t>(fd)].handle != INVALID_HANDLE_VALUE;
    }
    OpenFile fileOf(int fd)
    {
        std::lock_guard guard(m_mutex);
        return valid(fd) ? m_files[static_cast<size_t>(fd)] : OpenFile{};
    }
    HANDLE handleOf(int fd) { return fileOf(fd).handle; }

    bool resolve(int folder, const char* path, std::wstring& full)
    {
        const std::wstring wide = win32::widePath(path);
        const bool absolute = wide.size() >= 2 && (wide[1] == L':' || (wide[0] == L'\\' && wide[1] == L'\\'));
        if (absolute) {
            full = wide;
            return true;
        }
        const OpenFile file = fileOf(folder);
        if (file.handle == INVALID_HANDLE_VALUE || !file.folder) {
            errno = file.handle == INVALID_HANDLE_VALUE ? EBADF : ENOTDIR;
            return false;
        }
        full = file.path + L"\\" + wide;
        return true;
    }

    // flock on a folder: Windows locks only byte ranges of files, so the lock is a mutex named
    // after the folder's full path, which every process of ours opens alike.
    int lockFolder(int fd, const OpenFile& file, int operation)
    {
        if (operation & LOCK_UN) {
            std::lock_guard guard(m_mutex);
            OpenFile& held = m_files[static_cast<size_t>(fd)];
            if (held.folderLock) {
                ReleaseMutex(held.folderLock);
                CloseHandle(held.folderLock);
                held.folderLock = nullptr;
            }
            return 0;
        }
        if (file.folderLock)
            return 0;
        wchar_t full[32768];
        const DWORD length = GetFullPathNameW(file.path.c_str(), 32768, full, nullptr);
        if (length == 0 || length >= 32768)
            return failLast();
        CharLowerBuffW(full, length);
        std::wstring name = L"Local\\dostrojnik-folder-";
        for (DWORD i = 0; i < length; ++i)
            name += full[i] == L'\\' || full[i] == L'/' ? L'|' : full[i];
        const HANDLE mutex = CreateMutexW(nullptr, FALSE, name.c_str());
        if (!mutex)
            return failLast();
        const DWORD waited = WaitForSingleObject(mutex, (operation & LOCK_NB) ? 0 : INFINITE);
        if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
            CloseHandle(mutex);
            return failWith(waited == WAIT_TIMEOUT ? EWOULDBLOCK : EIO);
        }
        std::lock_guard guard(m_mutex);
        m_files[static_cast<size_t>(fd)].folderLock = mutex;
        return 0;
    }

    static int describe(HANDLE handle, struct stat* info)
    {
        BY_HANDLE_FILE_INFORMATION information{};
        if (!GetFileInformationByHandle(handle, &information))
            return failLast();
        *info = {};
        const bool folder = information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
        const bool readOnly = information.dwFileAttributes & FILE_ATTRIBUTE_READONLY;
        info->st_mode = static_cast<mode_t>(folder ? (S_IFDIR | 0755) : (S_IFREG | (readOnly ? 0444 : 0644)));
        info->st_size = static_cast<decltype(info->st_size)>(
            (static_cast<unsigned long long>(information.nFileSizeHigh) << 32) | information.nFileSizeLow);
        info->st_nlink = static_cast<decltype(info->st_nlink)>(information.nNumberOfLinks);
        info->st_dev = static_cast<decltype(info->st_dev)>(information.dwVolumeSerialNumber);
        info->st_ino = static_cast<decltype(info->st_ino)>(information.nFileIndexLow);
        info->st_mtime = static_cast<decltype(info->st_mtime)>(unixSeconds(information.ftLastWriteTime));
        info->st_atime = static_cast<decltype(info->st_atime)>(unixSeconds(information.ftLastAccessTime));
        info->st_ctime = static_cast<decltype(info->st_ctime)>(unixSeconds(information.ftCreationTime));
        return 0;
    }

    std::mutex m_mutex;
    std::vector<OpenFile> m_files;
};

} // namespace

SystemCalls& posixSystemCalls()
{
    // One table of descriptors for the whole process, as the system keeps one.
    static Win32SystemCalls calls;
    return calls;
}

} // namespace core
