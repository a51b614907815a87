#include "ui/qt/picture_check.h"

#include "core/error.h"
#include "ui/qt/wallpaper/picture_files.h"

#include <QGuiApplication>

#include <cstdio>
#include <filesystem>
#include <vector>

namespace app {

int checkPictures(int argc, char** argv)
{
    // Drawing a metafile needs a GUI application, and this check needs no display.
    std::vector<char*> arguments{argv[0], const_cast<char*>("-platform"), const_cast<char*>("offscreen")};
    int count = static_cast<int>(arguments.size());
    QGuiApplication application(count, arguments.data());

    int status = 0;
    for (int i = 2; i < argc; ++i) {
        const std::filesystem::path file(argv[i]);
        try {
            const QImage picture = removal::loadPictureFile(file);
            std::printf("%s: %d x %d\n", argv[i], picture.width(), picture.height());
        } catch (const core::Error& error) {
            std::fprintf(stderr, "dostrojnik: %s\n", error.what());
            status = 1;
        }
    }
    std::fflush(stdout);
    return status;
}

} // namespace app
