#pragma once

#include "core/io/atomic_file.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <system_error>

namespace core::registry {

// The largest hive file that is read. A hive is read whole and its parse keeps the text, so it
// costs a little more memory than its size, and `changes` holds two hives at once, the program
// and `import` the machine's two. Windows itself refuses a hive over 2 GB, and a registry in
// ordinary use is a few megabytes; 256 MiB leaves a large registry ample room while two hives
// at the limit still fit the memory of a small machine. A larger file is refused before it is
// read, instead of exhausting the memory.
inline constexpr std::uint64_t kLargestHiveFile = std::uint64_t{256} << 20;

// io::readFile for a hive file: one of more than kLargestHiveFile bytes gives io::tooLarge().
std::error_code readHiveFile(SystemCalls& calls, const std::filesystem::path& path, std::string& text,
                             io::Links links = io::Links::Follow, struct stat* identity = nullptr);

// The same as a FileText: mapped from the file where the system allows.
std::error_code readHiveFile(SystemCalls& calls, const std::filesystem::path& path, io::FileText& text,
                             io::Links links = io::Links::Follow, struct stat* identity = nullptr);

// "256 MiB": a size limit as the messages name it.
std::string sizeText(std::uint64_t bytes);

// The words for an error of readHiveFile, as io::describe gives them, the limit named.
std::string describeHiveError(std::error_code error);

} // namespace core::registry
