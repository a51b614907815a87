#include "core/shell/host_shell.h"
#include "core/shell/shell_command.h"

#include "core/platform/win32/win32_text.h"

#include <windows.h>

#include <cstring>

namespace core {
namespace {

namespace fs = std::filesystem;

// An argument quoted the way the C runtime's command-line parser takes it apart again.
void appendQuoted(std::wstring& line, const std::wstring& argument)
{
    if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
        line += argument;
        return;
    }
    line += L'"';
    size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        line.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        line += c;
    }
    line.append(backslashes * 2, L'\\');
    line += L'"';
}

class HostProcessRunner final : public ProcessRunner {
public:
    bool runAndWait(const fs::path& program, const std::vector<std::string>& arguments,
                    const Environment& environment) override
    {
        std::wstring line;
        appendQuoted(line, program.wstring());
        // cmd.exe takes everything after /c as it stands, so the last argument of
        // "/c LINE" is not quoted: quotes in the line keep their meaning to cmd.
        for (size_t i = 0; i < arguments.size(); ++i) {
            line += L' ';
            if (i + 1 == arguments.size() && i > 0 && arguments[i - 1] == "/c")
                line += win32::wide(arguments[i]);
            else
                appendQuoted(line, win32::wide(arguments[i]));
        }
        // The environment block: NAME=value strings, each ended by a null, and one null after all.
        std::wstring block;
        for (const std::string& entry : environment.entries()) {
            block += win32::wide(entry);
            block += L'\0';
        }
        block += L'\0';
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        if (!CreateProcessW(program.wstring().c_str(), line.data(), nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT,
                            block.data(), nullptr, &startup, &process))
            return false;
        WaitForSingleObject(process.hProcess, INFINITE);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        return true;
    }
};

} // namespace

const char PathListSeparator = ';';

bool isExecutableFile(const fs::path& path)
{
    const DWORD attributes = GetFileAttributesW(path.wstring().c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string restoreToolCommand(const Environment& environment)
{
    // Windows spells the variable "windir"; its names are compared without regard to case.
    fs::path windows;
    for (const std::string& entry : environment.entries()) {
        if (entry.size() > 7 && _strnicmp(entry.c_str(), "WinDir=", 7) == 0)
            windows = win32::wide(entry.substr(7));
    }
    const fs::path system32 = windows / L"System32";
    if (!windows.empty() && !isExecutableFile(system32 / L"Restore" / L"rstrui.exe") &&
        isExecutableFile(system32 / L"rstrui.exe"))
        return "start %WinDir%\\System32\\rstrui.exe";
    return "start %WinDir%\\System32\\Restore\\rstrui.exe";
}

ProcessRunner& hostProcessRunner()
{
    // Stateless, so one shared instance is as good as many.
    static HostProcessRunner runner;
    return runner;
}

} // namespace core
