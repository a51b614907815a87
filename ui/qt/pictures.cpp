#include "ui/qt/application.h"

#include <QtGlobal>

// Outside any namespace, as the resource system requires.
static void initPictureResources()
{
    Q_INIT_RESOURCE(pictures);
    Q_INIT_RESOURCE(pixels);
}

namespace app {

void initPictures()
{
    initPictureResources();
}

} // namespace app
