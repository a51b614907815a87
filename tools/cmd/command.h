#pragma once

#include "core/machine/drive.h"
#include "core/machine/machine.h"
#include "tools/cmd/interpreter.h"
#include "tools/locale/locale_text.h"

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cmdtool {

using localetext::format;
using localetext::N_;
using localetext::tr;

// Windows' messages, in English; they go out through tr().
inline constexpr const char* FileNotFound = N_("The system cannot find the file specified.");
inline constexpr const char* PathNotFound = N_("The system cannot find the path specified.");
inline constexpr const char* AccessDenied = N_("Access is denied.");
inline constexpr const char* SyntaxError = N_("The syntax of the command is incorrect.");
inline constexpr const char* InvalidFolderName = N_("The directory name is invalid.");
inline constexpr const char* InUse =
    N_("The process cannot access the file because it is being used by another process.");

// The exit status of rd is the Windows error code of its failure.
inline constexpr int ErrorFileNotFound = 2;
inline constexpr int ErrorPathNotFound = 3;
inline constexpr int ErrorAccessDenied = 5;
inline constexpr int ErrorSharingViolation = 32;
inline constexpr int ErrorDirNotEmpty = 145;
inline constexpr int ErrorDirectoryName = 267;

bool isBlank(char c);
std::string_view trimLeft(std::string_view text);

// A word of the line as the interpreter splits it: quotes group blanks and are dropped.
struct Token {
    std::string text; // without its quotes
    bool quoted = false;
    std::size_t end = 0; // where it ends in the line
};
std::vector<Token> tokenize(std::string_view text);

// Windows' own message for a path that breaks its rules; `otherwise` for one that is just not
// on drive C:.
std::string refusal(core::PathProblem problem, const char* otherwise);
// Windows' message for the failure `error` (an errno) of a system call.
std::string systemMessage(int error);

// What every command works with: the drive, the current folder, the session's variables and
// the streams, and the messages and questions that the commands word alike.
class Session {
public:
    Session(core::SystemCalls& calls, core::Machine machine, const std::filesystem::path& currentFolder,
            VariableLookup variables, Streams streams, std::filesystem::path programFolder);

    core::SystemCalls& calls() const { return m_calls; }
    const core::Drive& drive() const { return m_drive; }
    // The current folder, with its names as they exist.
    const DrivePath& current() const { return m_current; }
    void setCurrent(DrivePath folder) { m_current = std::move(folder); }
    std::optional<std::string> variable(std::string_view name) const { return m_variables(name); }
    // The machine's folder on the host (a Wine prefix's folder when the machine is one).
    const std::filesystem::path& machineRoot() const { return m_machine.root(); }
    // The folder of the interpreter's own executable, which holds the machine's own programs.
    const std::filesystem::path& programFolder() const { return m_programFolder; }
    // %WinDir%, or C:\windows when it is not a Windows path.
    std::string windowsFolder() const;

    // The path below C:\ of a Windows path, absolute or relative to the current folder; empty
    // when it is not on drive C:, climbs above it or breaks Windows' rules, `problem` telling why.
    std::optional<DrivePath> resolve(std::string_view windowsPath, core::PathProblem* problem = nullptr) const;
    // The open folder that a path names, with its names as they exist; no descriptor when it
    // names no folder of the drive.
    Descriptor openFolder(std::string_view windowsPath, DrivePath* realPath = nullptr) const;

    // A line of output, UTF-8 here, in the locale's character set out there.
    void say(std::string_view line);
    // Bytes to the output as they are: a file copied to CON.
    void write(const char* bytes, std::size_t size);
    // A line of the error stream.
    void error(std::string_view message);
    // Tells what the failure `errorNumber` (an errno) of a system call means; returns its Windows
    // error code, which rd ends with.
    int systemError(int errorNumber);
    // Asks until a line comes; "Y" or the first letter of the user's word for yes is yes, and the
    // end of the input no.
    bool confirm(const std::string& question);

private:
    core::SystemCalls& m_calls;
    core::Machine m_machine;
    core::Drive m_drive;
    DrivePath m_current;
    VariableLookup m_variables;
    Streams m_streams;
    std::filesystem::path m_programFolder;
    localetext::Encoder m_encoder; // text goes out in the locale's character set
};

// A line as a command gets it.
struct CommandLine {
    std::string_view text;   // the whole line, expanded, without leading blanks
    std::string_view name;   // the command's name as the table has it
    std::vector<Token> args; // the words after the command's name
    std::string_view rest;   // the line after the command's name as written
};

// One built-in command: its names (lower case; a second one when it has one) and its work,
// which returns the exit status.
struct Command {
    std::array<std::string_view, 2> names;
    int (*run)(Session& session, const CommandLine& line);
    // "echo." and "echo:" : the text may follow the name at once, without a blank.
    bool textFollowsName = false;
};

extern const Command EchoCommand;
extern const Command ChangeFolderCommand;
extern const Command MakeFolderCommand;
extern const Command RemoveFolderCommand;
extern const Command CopyCommand;
extern const Command StartCommand;
extern const Command RemarkCommand;
extern const Command ExitCommand;

} // namespace cmdtool
