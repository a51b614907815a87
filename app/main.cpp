#include "app/application.h"
#include "app/command_line.h"
#include "tools/locale/locale_text.h"

#include <cstdio>

int main(int argc, char** argv)
{
    // Help and version are answered before the display, the machine or the settings are touched.
    if (argc > 1)
        localetext::initialise(argv[0]);
    const app::CommandLineAnswer answer = app::readCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (!answer.start) {
        std::fputs(answer.out.c_str(), stdout);
        std::fputs(answer.err.c_str(), stderr);
        return answer.status;
    }
    return app::run(argc, argv);
}
