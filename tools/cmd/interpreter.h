#pragma once

#include "core/machine/machine.h"
#include "core/machine/drive.h"

#include <cstdio>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cmdtool {

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

    // Runs the line; returns the exit status.
    int run(std::string_view line);

    // %NAME% replaced by the variable's value; an undefined name stays as written.
    std::string expand(std::string_view line) const;


private:
    struct Token {
        std::string text; // without its quotes
        bool quoted = false;
        std::size_t end = 0; // where it ends in the line
    };
    static std::vector<Token> tokenize(std::string_view text);

    int echo(std::string_view rest);
    int changeFolder(const std::vector<Token>& args);
    int makeFolders(const std::vector<Token>& args);
    int removeFolders(const std::vector<Token>& args);
    int copy(const std::vector<Token>& args);
    int start(std::string_view rest);
    int runProgram(const std::string& name, std::string_view rest);

    // The path below C:\ of a Windows path, absolute or relative to the current folder; empty
    // when it is not on drive C:, climbs above it or breaks Windows' rules, `problem` telling why.
    std::optional<DrivePath> resolve(std::string_view windowsPath, core::PathProblem* problem = nullptr) const;
    // The open folder that a path names, with its names as they exist; no descriptor when it
    // names no folder of the drive.
    Descriptor openFolder(std::string_view windowsPath, DrivePath* realPath = nullptr) const;
    // A program to start: a file of the drive, open, or one of the machine's own programs.
    struct Program {
        Descriptor file;
        std::filesystem::path sibling;
    };
    std::optional<Program> findProgram(const std::string& name) const;
    int spawn(const Program& program, const std::vector<std::string>& arguments, const Descriptor& folder,
              bool detached) const;
    int removeFolder(const std::string& path, bool tree, bool quiet);
    std::string windowsFolder() const;
    // The current folder in Windows notation.
    std::string currentFolderName() const;
    bool confirm(const std::string& question);
    void error(const std::string& message);
    // Tells what the failure `errorNumber` (an errno) of a system call means; returns its Windows
    // error code, which rd ends with.
    int systemError(int errorNumber);

    core::SystemCalls& m_calls;
    core::Machine m_machine;
    core::Drive m_drive;
    DrivePath m_current; // as the names exist
    VariableLookup m_variables;
    Streams m_streams;
    std::filesystem::path m_programFolder;
};

// The help of `dostrojnik-cmd /?`.
const char* interpreterHelp();

} // namespace cmdtool
