// COPY: one file into a folder, onto a file, or to a device.

#include "tools/cmd/command.h"

#include "core/text/ascii.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace cmdtool {
namespace {

constexpr const char* NoneCopied = N_("        0 file(s) copied.");

int failed(Session& session, const std::string& message)
{
    session.error(message);
    session.say(tr(NoneCopied));
    return 1;
}

int copied(Session& session)
{
    session.say(tr("        1 file(s) copied."));
    return 0;
}

int copy(Session& session, const CommandLine& line)
{
    std::vector<std::string> paths;
    for (const auto& arg : line.args) {
        const std::string option = core::text::asciiLower(arg.text);
        if (!arg.quoted && (option == "/y" || option == "/-y" || option == "/b" || option == "/a" || option == "/v"))
            continue;
        paths.push_back(arg.text);
    }
    if (paths.empty() || paths.size() > 2) {
        session.error(tr(SyntaxError));
        return 1;
    }
    core::SystemCalls& calls = session.calls();
    const core::Drive& drive = session.drive();

    // The source: a regular file of the drive, opened through the walk.
    core::PathProblem problem = core::PathProblem::None;
    const auto source = session.resolve(paths[0], &problem);
    if (!source || source->empty())
        return failed(session, refusal(problem, FileNotFound));
    int walkError = 0;
    const Place from = drive.locate(*source, walkError);
    const Descriptor input(calls,
                           from.folder && from.exists && !core::isDeviceName(from.name)
                               ? calls.openat(from.folder.get(), from.name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK)
                               : -1);
    struct stat sourceInfo {};
    if (!input || calls.fstat(input.get(), &sourceInfo) != 0 || !S_ISREG(sourceInfo.st_mode))
        return failed(session, tr(FileNotFound));
    // The destination: a device, a folder that keeps the source's name, or a file in a folder.
    const std::string destinationText = paths.size() == 2 ? paths[1] : ".";
    const auto destination = session.resolve(destinationText, &problem);
    if (!destination)
        return failed(session, refusal(problem, PathNotFound));
    if (!destination->empty() && core::isDeviceName(destination->back())) {
        // NUL swallows the data; CON is the console; the machine has no ports or printers.
        if (core::text::asciiLower(destination->back()).starts_with("con")) {
            char buffer[1 << 16];
            for (ssize_t n; (n = calls.read(input.get(), buffer, sizeof buffer)) != 0;) {
                if (n < 0 && errno == EINTR)
                    continue;
                if (n < 0)
                    return failed(session, systemMessage(errno));
                session.write(buffer, static_cast<std::size_t>(n));
            }
        }
        return copied(session);
    }
    Descriptor folder = drive.openFolder(*destination, walkError);
    std::string name = from.name;
    if (!folder) {
        if (walkError == ELOOP)
            return failed(session, tr(AccessDenied));
        if (walkError != ENOENT && walkError != ENOTDIR)
            return failed(session, systemMessage(walkError));
        if (destinationText.ends_with('\\') || destinationText.ends_with('/'))
            return failed(session, tr(PathNotFound));
        Place to = drive.locate(*destination, walkError);
        if (!to.folder)
            return failed(session, walkError == ELOOP ? tr(AccessDenied) : tr(PathNotFound));
        folder = std::move(to.folder);
        name = to.name;
    }
    mode_t mode = 0644;
    struct stat existing {};
    if (calls.fstatat(folder.get(), name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0) {
        if (existing.st_dev == sourceInfo.st_dev && existing.st_ino == sourceInfo.st_ino)
            return failed(session, tr("The file cannot be copied onto itself."));
        if (S_ISREG(existing.st_mode))
            mode = existing.st_mode & 07777;
    }
    // Copied in pieces beside under a name nobody can plant, then renamed into place: the
    // target is the old file or the whole new one, whatever the size.
    if (const int failure = core::copyFile(calls, input.get(), folder.get(), name, mode))
        return failed(session, systemMessage(failure));
    return copied(session);
}

} // namespace

const Command CopyCommand{{"copy"}, copy};

} // namespace cmdtool
