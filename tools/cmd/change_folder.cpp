// CD, CHDIR: shows or changes the current folder.

#include "tools/cmd/command.h"

#include "core/text/ascii.h"

namespace cmdtool {
namespace {

int changeFolder(Session& session, const CommandLine& line)
{
    std::vector<const Token*> paths;
    for (const auto& arg : line.args)
        if (core::text::asciiLower(arg.text) != "/d")
            paths.push_back(&arg);
    if (paths.empty()) {
        session.say(core::windowsName(session.current()));
        return 0;
    }
    DrivePath real;
    if (!session.openFolder(paths[0]->text, &real)) {
        session.error(tr(PathNotFound));
        return 1;
    }
    session.setCurrent(std::move(real));
    return 0;
}

} // namespace

const Command ChangeFolderCommand{{"cd", "chdir"}, changeFolder};

} // namespace cmdtool
