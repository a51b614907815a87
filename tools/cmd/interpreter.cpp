#include "tools/cmd/interpreter.h"

#include "core/text/ascii.h"
#include "tools/cmd/command.h"
#include "tools/cmd/external_program.h"

#include <algorithm>
#include <utility>

namespace cmdtool {
namespace {

// Every built-in command; any other name is a program.
const Command* const Commands[] = {&EchoCommand, &ChangeFolderCommand, &MakeFolderCommand, &RemoveFolderCommand,
                                   &CopyCommand, &StartCommand,        &RemarkCommand,     &ExitCommand};

// The command that the first word names, and the name by which the table knows it.
const Command* findCommand(const std::string& word, std::string_view& name)
{
    for (const Command* command : Commands) {
        for (const std::string_view known : command->names) {
            const bool joined = command->textFollowsName && word.size() > known.size() && word.starts_with(known) &&
                                (word[known.size()] == '.' || word[known.size()] == ':');
            if (!known.empty() && (word == known || joined)) {
                name = known;
                return command;
            }
        }
    }
    return nullptr;
}

} // namespace

Interpreter::Interpreter(core::SystemCalls& calls, core::Machine machine, const std::filesystem::path& currentFolder,
                         VariableLookup variables, Streams streams, std::filesystem::path programFolder)
    : m_session(std::make_unique<Session>(calls, std::move(machine), currentFolder, std::move(variables), streams,
                                          std::move(programFolder)))
{
}

Interpreter::~Interpreter() = default;

std::string Interpreter::expand(std::string_view line) const
{
    std::string out;
    std::size_t i = 0;
    while (i < line.size()) {
        const std::size_t open = line.find('%', i);
        if (open == std::string_view::npos) {
            out.append(line.substr(i));
            break;
        }
        out.append(line.substr(i, open - i));
        const std::size_t close = line.find('%', open + 1);
        if (close == std::string_view::npos) {
            out.append(line.substr(open));
            break;
        }
        const std::string_view name = line.substr(open + 1, close - open - 1);
        const auto value = name.empty() ? std::nullopt : m_session->variable(name);
        if (value) {
            out += *value;
            i = close + 1;
        } else if (name.empty()) {
            out += '%';
            i = open + 1;
        } else {
            out.append(line.substr(open, close - open + 1));
            i = close + 1;
        }
    }
    return out;
}

int Interpreter::run(std::string_view rawLine)
{
    const std::string expanded = expand(rawLine);
    CommandLine line;
    line.text = trimLeft(expanded);
    if (line.text.empty())
        return 0;
    std::vector<Token> tokens = tokenize(line.text);
    line.rest = tokens[0].end < line.text.size() ? line.text.substr(tokens[0].end) : std::string_view();
    const Command* command =
        tokens[0].quoted ? nullptr : findCommand(core::text::asciiLower(tokens[0].text), line.name);
    if (!command)
        return runProgram(*m_session, tokens[0].text, line.rest);
    line.args.assign(std::make_move_iterator(tokens.begin() + 1), std::make_move_iterator(tokens.end()));
    return command->run(*m_session, line);
}

const char* interpreterHelp()
{
    return tr("Starts the command interpreter of the emulated Windows machine.\n"
              "\n"
              "DOSTROJNIK-CMD /C string\n"
              "\n"
              "  /C      Carries out the command specified by string and then terminates.\n"
              "          Everything after /C, joined by single blanks, is the command line.\n"
              "\n"
              "%NAME% in the line is replaced by the variable NAME of the session (WinDir, TMP,\n"
              "USERPROFILE, ...; the name without regard to case); an undefined name stays as\n"
              "written.\n"
              "\n"
              "Commands:\n"
              "  START [\"title\"] [/D path] [/WAIT] [/B] program [arguments]\n"
              "                       Starts a program and returns at once; it runs on by itself.\n"
              "  COPY source [destination]\n"
              "                       Copies one file; a destination folder keeps the file's name.\n"
              "  MD path, MKDIR path  Creates a folder, with the folders above it that are missing.\n"
              "  RD [/S] [/Q] path, RMDIR [/S] [/Q] path\n"
              "                       Removes an empty folder; /S also removes everything in it,\n"
              "                       symbolic links as links, never what they point to; /Q does\n"
              "                       not ask first.\n"
              "  CD, CHDIR            Displays the current folder.\n"
              "  ECHO message         Displays the message.\n"
              "  EXIT [code]          Ends with the exit code.\n"
              "\n"
              "Any other program is looked up only inside the machine, in %WinDir%\\system32 and\n"
              "%WinDir%, as name, name.exe, name.com and name.bat, and runs when it is a program of\n"
              "this system there (a link into the host is none); a program of the host is never\n"
              "started for a Windows command. The machine's own programs (C:\\Windows\\System32\\\n"
              "Restore\\rstrui.exe) start the tools beside this interpreter.\n"
              "\n"
              "NUL, CON, AUX, PRN, COM1-COM9 and LPT1-LPT9 are devices, never files: COPY to NUL\n"
              "discards, to CON shows. RD /S /Q of the current folder empties it and keeps it.\n"
              "\n"
              "Paths are Windows paths on drive C:, which is the folder drive_c of the machine (the\n"
              "folder named by WINEPREFIX, else ~/.local/share/kwintor-dostrojnik/machine); relative\n"
              "names are taken from the current folder, which is the user's profile when the\n"
              "interpreter is started outside drive C:. Nothing outside drive C: is ever written or\n"
              "removed: every path is followed from C:\\ one folder at a time, never through a\n"
              "symbolic link. Names follow Windows' rules: a letter's case does not matter, trailing\n"
              "dots and blanks are dropped, < > : \" / \\ | ? * and control characters are refused,\n"
              "and network (\\\\server\\share) and device (\\\\?\\, \\\\.\\) paths are not drive C:.\n");
}

} // namespace cmdtool
