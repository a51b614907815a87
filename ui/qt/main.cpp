#include "ui/qt/application.h"
#include "app/command_line.h"
#include "ui/qt/picture_check.h"
#include "tools/locale/locale_text.h"

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--check-pictures") == 0)
        return app::checkPictures(argc, argv);
    // Help, version and mistakes are answered before the display, the machine or the settings
    // are touched; only then does the locale choose their language, so the windows never see it.
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    if (!app::readCommandLine(arguments).start) {
        localetext::initialise(argv[0]);
        const app::CommandLineAnswer answer = app::readCommandLine(arguments);
        std::fputs(answer.out.c_str(), stdout);
        std::fputs(answer.err.c_str(), stderr);
        return answer.status;
    }
    return app::run(argc, argv);
}
