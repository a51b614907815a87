#pragma once

#include "tools/cmd/command.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cmdtool {

// A program to start: a file of the drive, open, or one of the machine's own programs.
struct Program {
    Descriptor file;
    std::filesystem::path sibling; // one of our tools beside the interpreter
};

// Looks a program up inside the machine only: a path as given, else in %WinDir%\system32 and
// %WinDir%, as name, name.exe, name.com and name.bat.
std::optional<Program> findProgram(const Session& session, const std::string& name);

// Starts a program found by findProgram in `folder` and, unless `detached`, waits for it.
// Returns the exit status, or -1 when it could not be started.
int startProgram(const Session& session, const Program& program, const std::vector<std::string>& arguments,
                 const Descriptor& folder, bool detached);

// The arguments of a program, split as Windows' C runtime splits a command line.
std::vector<std::string> programArguments(std::string_view text);

// A line whose first word is no built-in command: the program of that name, with the rest of
// the line as its arguments, in the current folder.
int runProgram(Session& session, const std::string& name, std::string_view rest);

} // namespace cmdtool
