#include "core/io/drive_path.h"

#include "core/text/ascii.h"

namespace core {
namespace {

bool isSeparator(char c)
{
    return c == '\\' || c == '/';
}

// Windows refuses these in a name, and every control character.
bool refusedInName(char c)
{
    const auto unit = static_cast<unsigned char>(c);
    return unit < 32 || c == '<' || c == '>' || c == ':' || c == '"' || c == '|' || c == '?' || c == '*';
}

} // namespace

bool isDeviceName(std::string_view name)
{
    const std::string base = text::asciiLower(name.substr(0, name.find_first_of(".:")));
    if (base == "nul" || base == "con" || base == "aux" || base == "prn")
        return true;
    return base.size() == 4 && (base.starts_with("com") || base.starts_with("lpt")) && base[3] >= '1' && base[3] <= '9';
}

PathProblem parseWindowsPath(std::string_view text, const DrivePath& current, DrivePath& out)
{
    out.clear();
    if (text.empty())
        return PathProblem::InvalidName;
    if (text.size() >= 2 && isSeparator(text[0]) && isSeparator(text[1])) {
        // "\\?\", "\\.\" and "\\?" alone are the device namespaces; anything else is a server.
        if (text.size() >= 3 && (text[2] == '?' || text[2] == '.') && (text.size() == 3 || isSeparator(text[3])))
            return PathProblem::DevicePath;
        return PathProblem::Network;
    }
    std::string_view rest = text;
    bool relative = true;
    if (rest.size() >= 2 && rest[1] == ':') {
        if (rest[0] != 'c' && rest[0] != 'C')
            return (rest[0] >= 'a' && rest[0] <= 'z') || (rest[0] >= 'A' && rest[0] <= 'Z') ? PathProblem::OtherDrive
                                                                                            : PathProblem::InvalidName;
        rest.remove_prefix(2);
    }
    if (!rest.empty() && isSeparator(rest[0]))
        relative = false;
    if (relative)
        out = current;
    while (!rest.empty()) {
        std::size_t separator = 0;
        while (separator < rest.size() && !isSeparator(rest[separator]))
            ++separator;
        std::string_view name = rest.substr(0, separator);
        rest.remove_prefix(separator < rest.size() ? separator + 1 : separator);
        if (name == "..") {
            if (out.empty())
                return PathProblem::AboveDrive;
            out.pop_back();
            continue;
        }
        // "a. " is "a"; a name of dots and blanks alone ("...") is no name, like ".".
        while (!name.empty() && (name.back() == '.' || name.back() == ' '))
            name.remove_suffix(1);
        if (name.empty())
            continue;
        std::string_view checked = name;
        if (checked.back() == ':' && isDeviceName(checked))
            checked.remove_suffix(1);
        for (const char c : checked)
            if (refusedInName(c))
                return PathProblem::InvalidName;
        out.emplace_back(name);
    }
    return PathProblem::None;
}

const char* pathProblemMessage(PathProblem problem)
{
    switch (problem) {
    case PathProblem::None: return "";
    case PathProblem::Network: return "The network path was not found.";
    case PathProblem::DevicePath:
    case PathProblem::InvalidName: return "The filename, directory name, or volume label syntax is incorrect.";
    case PathProblem::OtherDrive:
    case PathProblem::AboveDrive: return "The system cannot find the path specified.";
    }
    return "";
}

std::string windowsName(const DrivePath& path)
{
    std::string name = "C:\\";
    for (std::size_t i = 0; i < path.size(); ++i)
        name += (i ? "\\" : "") + path[i];
    return name;
}

} // namespace core
