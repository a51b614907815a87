#pragma once

#include <filesystem>

namespace core {

// What finding the command interpreter needs of the host system; one implementation per system.
extern const char PathListSeparator;
bool isExecutableFile(const std::filesystem::path& path);

} // namespace core
