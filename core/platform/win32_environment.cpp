#include "core/platform/environment.h"

#include "core/platform/win32/win32_text.h"

#include <windows.h>

#include <cwchar>

namespace core {

EnvironmentLookup hostEnvironment()
{
    // The wide environment, so that values outside the ANSI code page come through whole.
    return [](std::string_view name) -> std::optional<std::string> {
        const std::wstring wideName = win32::wide(name);
        std::wstring value(256, L'\0');
        for (;;) {
            SetLastError(ERROR_SUCCESS);
            const DWORD length = GetEnvironmentVariableW(wideName.c_str(), value.data(), static_cast<DWORD>(value.size()));
            if (length == 0) {
                if (GetLastError() == ERROR_ENVVAR_NOT_FOUND)
                    return std::nullopt;
                return std::string();
            }
            if (length < value.size()) {
                value.resize(length);
                return win32::utf8(value);
            }
            value.resize(length);
        }
    };
}

Environment thisProcessEnvironment()
{
    // The block holds NAME=value strings one after another, ended by an empty one; the entries
    // of the drives' current folders ("=C:=C:\\...") are the system's own and stay out.
    std::vector<std::string> entries;
    if (wchar_t* block = GetEnvironmentStringsW()) {
        for (const wchar_t* entry = block; *entry; entry += std::wcslen(entry) + 1) {
            if (*entry != L'=')
                entries.push_back(win32::utf8(entry));
        }
        FreeEnvironmentStringsW(block);
    }
    return Environment::fromEntries(std::move(entries));
}

} // namespace core
