#pragma once

#include <string_view>

namespace cmdtool {

// The machine's own programs: a Windows path that starts one of our tools, found beside the
// interpreter's own executable. The machine folder holds no file for them, so it never names
// a path of the host. Adding a program is adding a row.
struct MachineProgram {
    std::string_view windowsPath;
    std::string_view sibling; // the file name of the tool beside the interpreter
};

inline constexpr MachineProgram MachinePrograms[] = {
    {"C:\\Windows\\System32\\Restore\\rstrui.exe", "dostrojnik-restore"},
};

} // namespace cmdtool
