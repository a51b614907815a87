#include "app/application.h"
#include "app/picture_check.h"

#include <cstring>

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--check-pictures") == 0)
        return app::checkPictures(argc, argv);
    return app::run(argc, argv);
}
