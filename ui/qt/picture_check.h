#pragma once

namespace app {

// `dostrojnik --check-pictures FILE...` (argv[1] is the option): decodes each picture file as the wallpaper preview
// does and prints its size, without a window, the machine or the settings file. It tells whether an installation has
// every library and data file that the preview needs. 0 when every file decoded, 1 otherwise, each failure on standard
// error.
int checkPictures(int argc, char** argv);

} // namespace app
