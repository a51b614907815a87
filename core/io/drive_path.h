#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace core {

// A path below C:\, one name per folder, without "." and "..".
using DrivePath = std::vector<std::string>;

// Why a Windows path names nothing on drive C:.
enum class PathProblem {
    None,
    OtherDrive,  // "D:\x"
    Network,     // "\\server\share\x"
    DevicePath,  // "\\?\C:\x", "\\.\C:\x"
    InvalidName, // a name with a character Windows refuses
    AboveDrive,  // ".." above C:\ .
};

// The path below C:\ of a Windows path, absolute or relative to `current` ("C:name" too), taken
// as Windows takes it: "." and ".." resolved, trailing dots and blanks dropped from every name,
// a name with < > : " / \ | ? * or a control character refused (a device name may end in a
// colon: "nul:"). Network and device paths are never drive C:.
PathProblem parseWindowsPath(std::string_view text, const DrivePath& current, DrivePath& out);

// Windows' message for a problem of parseWindowsPath, "" for None.
const char* pathProblemMessage(PathProblem problem);

// "C:\a\b" for {"a", "b"}, "C:\" for the drive itself.
std::string windowsName(const DrivePath& path);

// Windows' device names (NUL, CON, AUX, PRN, COM1-COM9, LPT1-LPT9), with or without an
// extension or a colon: "nul", "NUL.txt", "con:".
bool isDeviceName(std::string_view name);

} // namespace core
