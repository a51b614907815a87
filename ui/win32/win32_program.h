#pragma once

#include "ui/win32/resource_pictures.h"

#include <filesystem>

namespace ui::win32 {

// The program on Windows: every skinned window of the window table on the Win32 parts, with the
// shared behaviour of its definition; the main window's menu opens the section windows. Returns
// the exit code when the main window has closed.
int runProgram(HINSTANCE instance, const std::filesystem::path& executable, ResourcePictures& pictures);

} // namespace ui::win32
