// Stands in for the command interpreter: appends what follows "/c " on its command line to the
// file that DOSTROJNIK_SHELL_LOG names, one line each (UTF-8), and runs nothing.

#include <windows.h>

#include <string>

int main()
{
    std::wstring line = GetCommandLineW();
    // Past the program's own name, quoted or not.
    std::size_t end = line[0] == L'"' ? line.find(L'"', 1) : line.find(L' ');
    if (end == std::wstring::npos || line.compare(end + (line[0] == L'"' ? 1 : 0), 4, L" /c ") != 0)
        return 2;
    line = line.substr(end + (line[0] == L'"' ? 1 : 0) + 4) + L"\n";

    wchar_t path[MAX_PATH] = {};
    if (GetEnvironmentVariableW(L"DOSTROJNIK_SHELL_LOG", path, MAX_PATH) == 0)
        return 3;
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), text.data(), size, nullptr, nullptr);
    HANDLE log = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (log == INVALID_HANDLE_VALUE)
        return 4;
    DWORD written = 0;
    WriteFile(log, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(log);
    return 0;
}
