#pragma once

#include "chrome/definition.h"

#include <string>

namespace chrome {

// The file name of a picture component's JPEG. Pictures that look the same everywhere (the
// corner symbols, the plain "Włącz"/"Wyłącz" targets of one size) share one file, so each is
// drawn, stored and decoded once.
std::string pictureFile(const WindowDefinition& window, const Component& component);

} // namespace chrome
