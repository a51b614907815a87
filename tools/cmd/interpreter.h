#pragma once

#include "core/machine/machine.h"
#include "core/machine/drive.h"

#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cmdtool {

class Session;

using core::Descriptor;
using core::DrivePath;
using core::Place;

// The streams a command line talks through: messages as Windows' interpreter gives them go to
// `out` or `err`; questions read a line of `in`.
struct Streams {
    std::FILE* out = stdout;
    std::FILE* err = stderr;
    std::FILE* in = stdin;
};

// Looks up a variable of the session; the name without regard to case.
using VariableLookup = std::function<std::optional<std::string>(std::string_view name)>;

// The command interpreter of the emulated machine: one command line, run the way Windows' runs
// the lines that the program hands it. Every file it writes or removes lies inside drive_c/,
// and only programs inside the machine are ever started.
class Interpreter {
public:
    // `currentFolder` is the process's; when it lies outside drive_c/ the interpreter works in
    // the user's profile instead, since a Windows interpreter is always in a Windows folder.
    // `programFolder` holds the interpreter's own executable and the machine's own programs.
    // Every file-system call goes through `calls`.
    Interpreter(core::SystemCalls& calls, core::Machine machine, const std::filesystem::path& currentFolder,
                VariableLookup variables, Streams streams = {}, std::filesystem::path programFolder = {});
    ~Interpreter();

    // Runs the line; returns the exit status.
    int run(std::string_view line);

    // %NAME% replaced by the variable's value; an undefined name stays as written.
    std::string expand(std::string_view line) const;

private:
    std::unique_ptr<Session> m_session;
};

// The help of `dostrojnik-cmd /?`.
const char* interpreterHelp();

} // namespace cmdtool
