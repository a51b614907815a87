// dostrojnik-cmd: the command interpreter of the emulated Windows machine, `dostrojnik-cmd /c LINE`.

#include "core/machine/machine.h"
#include "core/platform/system_calls.h"
#include "core/text/unicode.h"
#include "tools/cmd/interpreter.h"
#include "tools/locale/locale_text.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

extern char** environ;

namespace {

// Windows' variable names are without regard to case; a name spelt exactly so is taken first.
std::optional<std::string> variable(std::string_view name)
{
    std::optional<std::string> found;
    for (char** entry = environ; *entry; ++entry) {
        const std::string_view text(*entry);
        const std::size_t equals = text.find('=');
        if (equals == std::string_view::npos || !core::text::equalNoCase(text.substr(0, equals), name))
            continue;
        if (text.substr(0, equals) == name)
            return std::string(text.substr(equals + 1));
        if (!found)
            found = std::string(text.substr(equals + 1));
    }
    return found;
}

bool isWindowsPath(const std::string& value)
{
    return value.size() >= 2 && value[1] == ':';
}

// Text of ours (UTF-8) in the locale's character set.
void print(std::FILE* stream, std::string_view text)
{
    const std::string bytes = localetext::Encoder().encode(text);
    std::fwrite(bytes.data(), 1, bytes.size(), stream);
}

} // namespace

int main(int argc, char** argv)
{
    localetext::initialise(argv[0]);
    int lineStart = -1;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "/?") == 0 || std::strcmp(argv[i], "-?") == 0 || std::strcmp(argv[i], "--help") == 0) {
            print(stdout, cmdtool::interpreterHelp());
            return 0;
        }
        if (core::text::equalNoCase(argv[i], "/c")) {
            lineStart = i + 1;
            break;
        }
    }
    if (lineStart < 0) {
        print(stderr, localetext::tr("dostrojnik-cmd runs one command line: dostrojnik-cmd /c LINE (dostrojnik-cmd /? "
                                     "explains it)\n"));
        return 1;
    }
    std::string line;
    for (int i = lineStart; i < argc; ++i) {
        if (i > lineStart)
            line += ' ';
        line += argv[i];
    }
    // The line comes in the locale's character set; the interpreter and the drive's names are UTF-8.
    line = localetext::Encoder({}, localetext::Encoder::Towards::Utf8).encode(line);

    try {
        core::SystemCalls& calls = core::posixSystemCalls();
        const core::Machine machine(core::Machine::locateRoot(core::hostEnvironment()), core::hostUserName());
        machine.ensureExists(calls);
        // The session's variables as the program sets them; a value already in Windows
        // notation stays, but a host path ("TMP=/tmp") never stands for a Windows folder.
        std::error_code ignored;
        const auto self = std::filesystem::read_symlink("/proc/self/exe", ignored);
        for (const auto& [name, value] : machine.sessionEnvironment(self.empty() ? argv[0] : self)) {
            const auto current = variable(name);
            if (name == "COMSPEC" || !current || !isWindowsPath(*current))
                setenv(name.c_str(), value.c_str(), 1);
        }
        std::error_code cwdError;
        const auto current = std::filesystem::current_path(cwdError);
        // The machine's own programs are the tools beside this one.
        cmdtool::Interpreter interpreter(calls, machine, cwdError ? machine.driveC() : current, variable, {},
                                         self.empty() ? std::filesystem::path() : self.parent_path());
        return interpreter.run(line);
    } catch (const std::exception& error) {
        print(stderr, std::string(error.what()) + "\n");
        return 1;
    }
}
