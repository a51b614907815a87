// RD, RMDIR: removes a folder; with /S everything in it, links as links.

#include "tools/cmd/command.h"

#include "core/text/ascii.h"
#include "core/text/unicode.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace cmdtool {
namespace {

int removeFolder(Session& session, const std::string& windowsPath, bool tree, bool quiet)
{
    core::PathProblem problem = core::PathProblem::None;
    const auto path = session.resolve(windowsPath, &problem);
    if (!path) {
        session.error(refusal(problem, PathNotFound));
        return ErrorPathNotFound;
    }
    if (path->empty()) { // drive C: itself stays
        session.error(tr(AccessDenied));
        return ErrorAccessDenied;
    }
    core::SystemCalls& calls = session.calls();
    int walkError = 0;
    const Place place = session.drive().locate(*path, walkError);
    if (!place.folder)
        return session.systemError(walkError == ELOOP || walkError == ENOTDIR ? EACCES : walkError);
    if (!place.exists)
        return session.systemError(ENOENT);
    struct stat info {};
    if (core::isDeviceName(place.name) ||
        calls.fstatat(place.folder.get(), place.name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0 ||
        (!S_ISDIR(info.st_mode) && !S_ISLNK(info.st_mode))) {
        session.error(tr(InvalidFolderName));
        return ErrorDirectoryName;
    }
    if (S_ISLNK(info.st_mode)) {
        // A link to a folder goes as a link, like a junction on Windows; never its target.
        struct stat target {};
        if (calls.fstatat(place.folder.get(), place.name.c_str(), &target, 0) != 0 || !S_ISDIR(target.st_mode)) {
            session.error(tr(InvalidFolderName));
            return ErrorDirectoryName;
        }
        return calls.unlinkat(place.folder.get(), place.name.c_str(), 0) != 0 ? session.systemError(errno) : 0;
    }
    if (tree && !quiet && !session.confirm(format(tr("%1, Are you sure (Y/N)? "), {windowsPath})))
        return 0;

    // The current folder, or one that holds it, is in use: what is in it goes, the way to the
    // current folder stays, as on Windows.
    const DrivePath& current = session.current();
    DrivePath real(path->begin(), path->end() - 1);
    real.push_back(place.name);
    const bool holdsCurrent = real.size() <= current.size() &&
                              std::equal(real.begin(), real.end(), current.begin(),
                                         [](const auto& a, const auto& b) { return core::text::equalNoCase(a, b); });
    int failure = 0;
    if (tree || holdsCurrent) {
        Descriptor folder(calls,
                          calls.openat(place.folder.get(), place.name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW));
        if (!folder)
            failure = errno;
        else if (tree)
            failure = core::removeContents(
                calls, std::move(folder),
                holdsCurrent ? DrivePath(current.begin() + std::ptrdiff_t(real.size()), current.end()) : DrivePath());
    }
    if (!failure && holdsCurrent) {
        session.error(tr(InUse));
        return ErrorSharingViolation;
    }
    if (!failure && calls.unlinkat(place.folder.get(), place.name.c_str(), AT_REMOVEDIR) != 0)
        failure = errno;
    return failure ? session.systemError(failure) : 0;
}

int removeFolders(Session& session, const CommandLine& line)
{
    bool tree = false;
    bool quiet = false;
    std::vector<std::string> paths;
    for (const auto& arg : line.args) {
        const std::string option = core::text::asciiLower(arg.text);
        if (!arg.quoted && option == "/s") {
            tree = true;
        } else if (!arg.quoted && option == "/q") {
            quiet = true;
        } else if (!arg.quoted && option.starts_with('/')) {
            session.error(format(tr("Invalid switch - \"%1\"."), {arg.text.substr(1)}));
            return 1;
        } else {
            paths.push_back(arg.text);
        }
    }
    if (paths.empty()) {
        session.error(tr(SyntaxError));
        return 1;
    }
    int result = 0;
    for (const auto& path : paths)
        if (const int status = removeFolder(session, path, tree, quiet))
            result = status;
    return result;
}

} // namespace

const Command RemoveFolderCommand{{"rd", "rmdir"}, removeFolders};

} // namespace cmdtool
