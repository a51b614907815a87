#include "core/registry/win32_registry.h"

#include "core/platform/win32/win32_text.h"

#include <windows.h>

#include <mutex>

namespace core {

struct Win32Registry::Keys {
    std::mutex mutex;
    std::map<std::uint32_t, HKEY> open;
    std::uint32_t next = 1;
    std::string lastFailure;
};

namespace {

// Our handles stay below the root keys' numbers, which are the HKEY values themselves.
constexpr std::uint32_t LastHandle = 0x7FFFFFFFu;

RegStatus statusOf(LONG error)
{
    switch (error) {
    case ERROR_SUCCESS: return RegStatus::Success;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return RegStatus::NotFound;
    case ERROR_ACCESS_DENIED: return RegStatus::AccessDenied;
    case ERROR_INVALID_HANDLE: return RegStatus::InvalidHandle;
    case ERROR_KEY_DELETED: return RegStatus::KeyDeleted;
    case ERROR_NO_MORE_ITEMS: return RegStatus::NoMoreItems;
    case ERROR_MORE_DATA: return RegStatus::MoreData;
    case ERROR_BADDB:
    case ERROR_BADKEY:
    case ERROR_CANTOPEN:
    case ERROR_CANTREAD:
    case ERROR_CANTWRITE:
    case ERROR_REGISTRY_CORRUPT:
    case ERROR_REGISTRY_IO_FAILED: return RegStatus::BadHive;
    default: return RegStatus::InvalidParameter;
    }
}

std::string messageOf(LONG error)
{
    wchar_t* text = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, static_cast<DWORD>(error), 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    std::string message = "error " + std::to_string(error);
    if (length && text) {
        std::wstring_view words(text, length);
        while (!words.empty() && (words.back() == L'\n' || words.back() == L'\r' || words.back() == L' '))
            words.remove_suffix(1);
        message = win32::utf8(words) + " (" + message + ")";
    }
    LocalFree(text);
    return message;
}

bool isRoot(KeyHandle key)
{
    return key.id == static_cast<std::uint32_t>(RootKey::ClassesRoot) ||
           key.id == static_cast<std::uint32_t>(RootKey::CurrentUser) ||
           key.id == static_cast<std::uint32_t>(RootKey::LocalMachine);
}

REGSAM samOf(Access access)
{
    return access == Access::AllAccess ? KEY_ALL_ACCESS : KEY_READ;
}

} // namespace

Win32Registry::Win32Registry() : m_keys(std::make_unique<Keys>()) {}

Win32Registry::~Win32Registry()
{
    for (const auto& [id, key] : m_keys->open)
        RegCloseKey(key);
}

// The HKEY behind a handle; nullptr when it is none of ours.
static HKEY hkeyOf(Win32Registry::Keys& keys, KeyHandle handle)
{
    if (isRoot(handle))
        return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(handle.id)));
    std::lock_guard guard(keys.mutex);
    const auto found = keys.open.find(handle.id);
    return found == keys.open.end() ? nullptr : found->second;
}

static RegStatus remember(Win32Registry::Keys& keys, LONG error)
{
    std::lock_guard guard(keys.mutex);
    keys.lastFailure = error == ERROR_SUCCESS ? std::string() : messageOf(error);
    return statusOf(error);
}

static KeyHandle adopt(Win32Registry::Keys& keys, HKEY key)
{
    std::lock_guard guard(keys.mutex);
    while (keys.open.count(keys.next) || keys.next == 0)
        keys.next = keys.next >= LastHandle ? 1 : keys.next + 1;
    const std::uint32_t id = keys.next;
    keys.next = keys.next >= LastHandle ? 1 : keys.next + 1;
    keys.open.emplace(id, key);
    return KeyHandle{id};
}

RegStatus Win32Registry::createKey(KeyHandle parent, std::string_view path, Access access, KeyHandle& opened)
{
    opened = {};
    const HKEY base = hkeyOf(*m_keys, parent);
    if (!base)
        return remember(*m_keys, ERROR_INVALID_HANDLE);
    HKEY key = nullptr;
    const LONG error = RegCreateKeyExW(base, win32::wide(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                       samOf(access), nullptr, &key, nullptr);
    if (error == ERROR_SUCCESS)
        opened = adopt(*m_keys, key);
    return remember(*m_keys, error);
}

RegStatus Win32Registry::openKey(KeyHandle parent, std::string_view path, Access access, KeyHandle& opened)
{
    opened = {};
    const HKEY base = hkeyOf(*m_keys, parent);
    if (!base)
        return remember(*m_keys, ERROR_INVALID_HANDLE);
    HKEY key = nullptr;
    const LONG error = RegOpenKeyExW(base, win32::wide(path).c_str(), 0, samOf(access), &key);
    if (error == ERROR_SUCCESS)
        opened = adopt(*m_keys, key);
    return remember(*m_keys, error);
}

RegStatus Win32Registry::closeKey(KeyHandle key)
{
    if (isRoot(key))
        return remember(*m_keys, ERROR_SUCCESS);
    HKEY closed = nullptr;
    {
        std::lock_guard guard(m_keys->mutex);
        const auto found = m_keys->open.find(key.id);
        if (found != m_keys->open.end()) {
            closed = found->second;
            m_keys->open.erase(found);
        }
    }
    if (!closed)
        return remember(*m_keys, ERROR_INVALID_HANDLE);
    return remember(*m_keys, RegCloseKey(closed));
}

RegStatus Win32Registry::setValue(KeyHandle key, std::string_view name, std::uint32_t type,
                                  std::span<const std::uint8_t> data)
{
    const HKEY target = hkeyOf(*m_keys, key);
    if (!target)
        return remember(*m_keys, ERROR_INVALID_HANDLE);
    if (data.size() > 0xFFFFFFFFu)
        return remember(*m_keys, ERROR_INVALID_PARAMETER);
    return remember(*m_keys, RegSetValueExW(target, win32::wide(name).c_str(), 0, type, data.data(),
                                            static_cast<DWORD>(data.size())));
}

RegStatus Win32Registry::queryValue(KeyHandle key, std::string_view name, RegValue& value)
{
    const HKEY target = hkeyOf(*m_keys, key);
    if (!target)
        return remember(*m_keys, ERROR_INVALID_HANDLE);
    const std::wstring wideName = win32::wide(name);
    std::vector<std::uint8_t> data(256);
    for (;;) {
        DWORD type = REG_NONE;
        auto size = static_cast<DWORD>(data.size());
        const LONG error = RegQueryValueExW(target, wideName.c_str(), nullptr, &type, data.data(), &size);
        if (error == ERROR_MORE_DATA) {
            // Another process may make the value longer between the two calls.
            data.resize(size > data.size() ? size : data.size() * 2);
            continue;
        }
        if (error == ERROR_SUCCESS) {
            data.resize(size);
            value.name = std::string(name);
            value.type = type;
            value.data = std::move(data);
        }
        return remember(*m_keys, error);
    }
}

RegStatus Win32Registry::deleteValue(KeyHandle key, std::string_view name)
{
    const HKEY target = hkeyOf(*m_keys, key);
    if (!target)
        return remember(*m_keys, ERROR_INVALID_HANDLE);
    return remember(*m_keys, RegDeleteValueW(target, win32::wide(name).c_str()));
}

RegStatus Win32Registry::deleteKey(KeyHandle parent, std::string_view path)
{
    const HKEY base = hkeyOf(*m_keys, parent);
    if (!base)
        return remember(*m_keys, ERROR_INVALID_HANDLE);
    const std::wstring widePath = win32::wide(path);
    const LONG error = RegDeleteKeyW(base, widePath.c_str());
    if (error == ERROR_ACCESS_DENIED) {
        // Windows refuses a key with subkeys with the same code as a key it may not delete.
        HKEY key = nullptr;
        DWORD subKeys = 0;
        if (RegOpenKeyExW(base, widePath.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS) {
            const LONG asked = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, nullptr,
                                                nullptr, nullptr, nullptr, nullptr);
            RegCloseKey(key);
            if (asked == ERROR_SUCCESS && subKeys > 0) {
                remember(*m_keys, error);
                return RegStatus::HasSubkeys;
            }
        }
    }
    return remember(*m_keys, error);
}

RegStatus Win32Registry::enumKey(KeyHandle key, std::uint32_t index, std::string& name)
{
    const HKEY target = hkeyOf(*m_keys, key);
    if (!target)
        return remember(*m_keys, ERROR_INVALID_HANDLE);
    wchar_t buffer[256];
    DWORD length = 256;
    const LONG error = RegEnumKeyExW(target, index, buffer, &length, nullptr, nullptr, nullptr, nullptr);
    if (error == ERROR_SUCCESS)
        name = win32::utf8({buffer, length});
    return remember(*m_keys, error);
}

RegStatus Win32Registry::enumValue(KeyHandle key, std::uint32_t index, RegValue& value)
{
    const HKEY target = hkeyOf(*m_keys, key);
    if (!target)
        return remember(*m_keys, ERROR_INVALID_HANDLE);
    DWORD nameLength = 0;
    DWORD dataLength = 0;
    LONG error = RegQueryInfoKeyW(target, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &nameLength,
                                  &dataLength, nullptr, nullptr);
    for (int attempt = 0; error == ERROR_SUCCESS || error == ERROR_MORE_DATA; ++attempt) {
        // Room for the longest name and data; a value that grew meanwhile gets a second try.
        std::wstring name(nameLength + 1 + static_cast<DWORD>(attempt) * 16384, L'\0');
        std::vector<std::uint8_t> data(dataLength + static_cast<DWORD>(attempt) * 65536);
        auto nameSize = static_cast<DWORD>(name.size());
        auto dataSize = static_cast<DWORD>(data.size());
        DWORD type = REG_NONE;
        error = RegEnumValueW(target, index, name.data(), &nameSize, nullptr, &type, data.data(), &dataSize);
        if (error == ERROR_SUCCESS) {
            data.resize(dataSize);
            value.name = win32::utf8({name.data(), nameSize});
            value.type = type;
            value.data = std::move(data);
        }
        if (error != ERROR_MORE_DATA || attempt == 3)
            break;
        nameLength = nameSize > nameLength ? nameSize : nameLength;
        dataLength = dataSize > dataLength ? dataSize : dataLength;
    }
    return remember(*m_keys, error);
}

RegStatus Win32Registry::queryInfoKey(KeyHandle key, KeyInfo& info)
{
    const HKEY target = hkeyOf(*m_keys, key);
    if (!target)
        return remember(*m_keys, ERROR_INVALID_HANDLE);
    wchar_t className[256] = {};
    DWORD classLength = 256;
    DWORD subKeys = 0;
    DWORD maxSubKeyLength = 0;
    DWORD values = 0;
    FILETIME written{};
    const LONG error = RegQueryInfoKeyW(target, className, &classLength, nullptr, &subKeys, &maxSubKeyLength, nullptr,
                                        &values, nullptr, nullptr, nullptr, &written);
    if (error == ERROR_SUCCESS) {
        info.subKeys = subKeys;
        info.maxSubKeyLength = maxSubKeyLength;
        info.values = values;
        info.lastWriteTime = (static_cast<std::uint64_t>(written.dwHighDateTime) << 32) | written.dwLowDateTime;
        info.className = win32::utf8({className, classLength});
    }
    return remember(*m_keys, error);
}

std::string Win32Registry::lastFailure() const
{
    std::lock_guard guard(m_keys->mutex);
    return m_keys->lastFailure;
}

} // namespace core
