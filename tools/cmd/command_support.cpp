#include "tools/cmd/command.h"

#include <cerrno>
#include <cstring>
#include <utility>

namespace cmdtool {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view trimLeft(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    return text;
}

std::vector<Token> tokenize(std::string_view text)
{
    std::vector<Token> tokens;
    std::size_t i = 0;
    for (;;) {
        while (i < text.size() && isBlank(text[i]))
            ++i;
        if (i >= text.size())
            return tokens;
        Token token;
        bool inQuotes = false;
        while (i < text.size() && (inQuotes || !isBlank(text[i]))) {
            if (text[i] == '"') {
                inQuotes = !inQuotes;
                token.quoted = true;
            } else {
                token.text += text[i];
            }
            ++i;
        }
        token.end = i;
        tokens.push_back(std::move(token));
    }
}

std::string refusal(core::PathProblem problem, const char* otherwise)
{
    switch (problem) {
    case core::PathProblem::Network:
    case core::PathProblem::DevicePath:
    case core::PathProblem::InvalidName: return tr(core::pathProblemMessage(problem));
    default: return tr(otherwise);
    }
}

std::string systemMessage(int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
    case EROFS: return tr(AccessDenied);
    case EBUSY: return tr(InUse);
    case ENOENT: return tr(FileNotFound);
    case ENOTEMPTY:
    case EEXIST: return tr("The directory is not empty.");
    // The C library's words come in the locale's character set.
    default: return localetext::Encoder({}, localetext::Encoder::Towards::Utf8).encode(std::strerror(error));
    }
}

namespace {

int errorCode(int error)
{
    switch (error) {
    case ENOENT: return ErrorFileNotFound;
    case ENOTEMPTY:
    case EEXIST: return ErrorDirNotEmpty;
    default: return ErrorAccessDenied;
    }
}

} // namespace

Session::Session(core::SystemCalls& calls, core::Machine machine, const std::filesystem::path& currentFolder,
                 VariableLookup variables, Streams streams, std::filesystem::path programFolder)
    : m_calls(calls)
    , m_machine(std::move(machine))
    , m_drive(calls, m_machine.driveC())
    , m_variables(std::move(variables))
    , m_streams(streams)
    , m_programFolder(std::move(programFolder))
{
    DrivePath profile;
    if (const auto name = m_variables("USERPROFILE"))
        if (const auto path = resolve(*name))
            profile = *path;
    m_current = core::currentFolder(m_drive, m_machine.driveC(), currentFolder, profile);
}

std::string Session::windowsFolder() const
{
    const auto value = m_variables("WinDir");
    if (value && value->size() >= 2 && (*value)[1] == ':')
        return *value;
    return "C:\\windows";
}

std::optional<DrivePath> Session::resolve(std::string_view windowsPath, core::PathProblem* problem) const
{
    DrivePath path;
    const core::PathProblem found = windowsPath.find('\0') != std::string_view::npos
                                        ? core::PathProblem::InvalidName
                                        : core::parseWindowsPath(windowsPath, m_current, path);
    if (problem)
        *problem = found;
    if (found != core::PathProblem::None)
        return std::nullopt;
    return path;
}

Descriptor Session::openFolder(std::string_view windowsPath, DrivePath* realPath) const
{
    const auto path = resolve(windowsPath);
    if (!path)
        return {};
    int error = 0;
    return m_drive.openFolder(*path, error, realPath);
}

void Session::say(std::string_view line)
{
    const std::string text = m_encoder.encode(line);
    std::fprintf(m_streams.out, "%s\n", text.c_str());
    std::fflush(m_streams.out);
}

void Session::write(const char* bytes, std::size_t size)
{
    std::fwrite(bytes, 1, size, m_streams.out);
    std::fflush(m_streams.out);
}

void Session::error(std::string_view message)
{
    const std::string text = m_encoder.encode(message);
    std::fprintf(m_streams.err, "%s\n", text.c_str());
    std::fflush(m_streams.err);
}

int Session::systemError(int errorNumber)
{
    error(systemMessage(errorNumber));
    return errorCode(errorNumber);
}

bool Session::confirm(const std::string& question)
{
    std::fprintf(m_streams.out, "%s", m_encoder.encode(question).c_str());
    std::fflush(m_streams.out);
    char buffer[256];
    if (!std::fgets(buffer, sizeof buffer, m_streams.in)) {
        std::fprintf(m_streams.out, "\n");
        return false;
    }
    const std::string_view answer = trimLeft(buffer);
    // "Y", or the first letter of the user's language's word for yes.
    const char yes = tr("yes")[0];
    const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
    return !answer.empty() && (upper(answer.front()) == 'Y' || upper(answer.front()) == upper(yes));
}

} // namespace cmdtool
