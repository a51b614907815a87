#include "core/platform/win32/win32_platform.h"

#include "core/platform/win32/win32_text.h"

#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <cwctype>
#include <utility>

namespace core {
namespace {

int errnoOf(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH: return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT: return EACCES;
    case ERROR_DIRECTORY: return ENOTDIR;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY: return ENOMEM;
    default: return EIO;
    }
}

// One entry of a folder by its name; a name with a wildcard names none.
bool findEntry(const std::wstring& path, WIN32_FIND_DATAW& found, int& error)
{
    if (path.find_first_of(L"*?", path.find_last_of(L'\\') + 1) != std::wstring::npos) {
        error = ENOENT;
        return false;
    }
    const HANDLE search = FindFirstFileW(path.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        error = errnoOf(GetLastError());
        return false;
    }
    FindClose(search);
    return true;
}

bool startsWithNoCase(const std::wstring& text, const std::wstring& prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (std::towlower(text[i]) != std::towlower(prefix[i]))
            return false;
    }
    return true;
}

} // namespace

Win32DriveFiles::Win32DriveFiles(std::wstring root) : m_root(std::move(root))
{
    if (m_root.empty() || m_root.back() != L'\\')
        m_root += L'\\';
}

std::wstring Win32DriveFiles::pathOf(const DrivePath& path) const
{
    std::wstring result = m_root;
    for (std::size_t i = 0; i < path.size(); ++i)
        result += (i ? L"\\" : L"") + win32::wide(path[i]);
    return result;
}

bool Win32DriveFiles::findFolder(const DrivePath& path, DrivePath& real) const
{
    DrivePath walked;
    for (const std::string& name : path) {
        WIN32_FIND_DATAW found{};
        int error = 0;
        walked.push_back(name);
        if (!findEntry(pathOf(walked), found, error))
            return false;
        // A junction or a link is never a folder of the walk.
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
            (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
            return false;
        walked.back() = win32::utf8(found.cFileName);
    }
    real = std::move(walked);
    return GetFileAttributesW(m_root.c_str()) != INVALID_FILE_ATTRIBUTES;
}

int Win32DriveFiles::listFiles(const DrivePath& folder, std::vector<std::string>& names) const
{
    DrivePath real;
    if (!findFolder(folder, real))
        return ENOENT;
    const std::wstring path = pathOf(real);
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW((path + (real.empty() ? L"*" : L"\\*")).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND)
            return errnoOf(error);
    } else {
        do {
            constexpr DWORD unlisted = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN;
            if (!(found.dwFileAttributes & unlisted) && found.cFileName[0] != L'.')
                names.push_back(win32::utf8(found.cFileName));
        } while (FindNextFileW(search, &found));
        const DWORD error = GetLastError();
        FindClose(search);
        if (error != ERROR_NO_MORE_FILES)
            return errnoOf(error);
    }
    return SetCurrentDirectoryW(path.c_str()) ? 0 : errnoOf(GetLastError());
}

int Win32DriveFiles::place(const DrivePath& file, std::wstring& where) const
{
    if (file.empty())
        return EISDIR;
    DrivePath folder(file.begin(), file.end() - 1);
    DrivePath real;
    if (!findFolder(folder, real))
        return ENOENT;
    real.push_back(file.back());
    where = pathOf(real);
    WIN32_FIND_DATAW found{};
    int error = 0;
    if (!findEntry(where, found, error))
        return error;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
        return ELOOP;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        return EISDIR;
    return 0;
}

int Win32DriveFiles::readFile(const DrivePath& file, std::string& contents, std::size_t limit) const
{
    std::wstring path;
    if (const int error = place(file, path))
        return error;
    const HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return errnoOf(GetLastError());
    int error = 0;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(handle, &size)) {
        error = errnoOf(GetLastError());
    } else if (static_cast<unsigned long long>(size.QuadPart) > limit) {
        error = EFBIG;
    } else {
        contents.assign(static_cast<std::size_t>(size.QuadPart), '\0');
        std::size_t done = 0;
        while (done < contents.size()) {
            DWORD read = 0;
            if (!ReadFile(handle, contents.data() + done, static_cast<DWORD>(contents.size() - done), &read, nullptr)) {
                error = errnoOf(GetLastError());
                break;
            }
            if (read == 0)
                break; // cut short meanwhile
            done += read;
        }
        contents.resize(done);
    }
    CloseHandle(handle);
    return error;
}

int Win32DriveFiles::removeFile(const DrivePath& file) const
{
    std::wstring path;
    const int error = place(file, path);
    if (error && error != ELOOP)
        return error;
    return DeleteFileW(path.c_str()) ? 0 : errnoOf(GetLastError());
}

DrivePath Win32DriveFiles::currentFolder() const
{
    DrivePath real;
    auto inside = [this, &real](const std::wstring& folder) {
        if (!startsWithNoCase(folder + L"\\", m_root))
            return false;
        DrivePath path;
        const std::string below = win32::utf8(folder.substr(std::min(folder.size(), m_root.size())));
        return parseWindowsPath("\\" + below, {}, path) == PathProblem::None && findFolder(path, real);
    };
    wchar_t here[MAX_PATH] = {};
    const DWORD length = GetCurrentDirectoryW(MAX_PATH, here);
    if (length > 0 && length < MAX_PATH && inside(std::wstring(here, length)))
        return real;
    wchar_t profile[MAX_PATH] = {};
    const DWORD profileLength = GetEnvironmentVariableW(L"USERPROFILE", profile, MAX_PATH);
    if (profileLength > 0 && profileLength < MAX_PATH && inside(std::wstring(profile, profileLength)))
        return real;
    return {};
}

} // namespace core
