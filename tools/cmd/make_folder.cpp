// MD, MKDIR: creates a folder with the folders above it that are missing.

#include "tools/cmd/command.h"

#include <cerrno>

namespace cmdtool {
namespace {

// Each folder on the way is opened without following links, or made where it is missing;
// the message of the failure, empty when the folder was made.
std::string makeFolder(Session& session, const DrivePath& path, const std::string& written)
{
    core::SystemCalls& calls = session.calls();
    int walkError = 0;
    Descriptor folder = session.drive().openFolder({}, walkError);
    for (std::size_t i = 0; i < path.size(); ++i) {
        const std::string& name = path[i];
        const bool last = i + 1 == path.size();
        std::string found;
        int findError = 0;
        if (core::isDeviceName(name))
            return tr(InvalidFolderName);
        if (core::findName(calls, folder.get(), name, found, findError)) {
            if (last)
                return format(tr("A subdirectory or file %1 already exists."), {written});
        } else if (findError != ENOENT) {
            return systemMessage(findError);
        } else if (calls.mkdirat(folder.get(), name.c_str(), 0755) != 0 && errno != EEXIST) {
            return systemMessage(errno);
        } else {
            found = name;
        }
        if (last)
            break;
        int openError = 0;
        Descriptor next = core::openSubfolder(calls, folder.get(), found, openError);
        if (!next)
            return openError == ELOOP ? tr(AccessDenied) : tr(PathNotFound); // a link would lead out of the drive
        folder = std::move(next);
    }
    return {};
}

int makeFolders(Session& session, const CommandLine& line)
{
    if (line.args.empty()) {
        session.error(tr(SyntaxError));
        return 1;
    }
    int result = 0;
    for (const auto& arg : line.args) {
        core::PathProblem problem = core::PathProblem::None;
        const auto path = session.resolve(arg.text, &problem);
        const std::string failure =
            !path || path->empty() ? refusal(problem, PathNotFound) : makeFolder(session, *path, arg.text);
        if (!failure.empty()) {
            session.error(failure);
            result = 1;
        }
    }
    return result;
}

} // namespace

const Command MakeFolderCommand{{"md", "mkdir"}, makeFolders};

} // namespace cmdtool
