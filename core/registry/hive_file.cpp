#include "core/registry/hive_file.h"

namespace core::registry {

std::error_code readHiveFile(SystemCalls& calls, const std::filesystem::path& path, std::string& text, io::Links links,
                             struct stat* identity)
{
    return io::readFile(calls, path, text, links, identity, kLargestHiveFile);
}

std::error_code readHiveFile(SystemCalls& calls, const std::filesystem::path& path, io::FileText& text, io::Links links,
                             struct stat* identity)
{
    return io::readFile(calls, path, text, links, identity, kLargestHiveFile);
}

std::string sizeText(std::uint64_t bytes)
{
    constexpr std::uint64_t kMiB = std::uint64_t{1} << 20;
    if (bytes % kMiB == 0)
        return std::to_string(bytes / kMiB) + " MiB";
    return std::to_string(bytes) + " bytes";
}

std::string describeHiveError(std::error_code error)
{
    if (error == io::tooLarge())
        return "it is larger than " + sizeText(kLargestHiveFile) + ", the most a hive file may hold";
    return io::describe(error);
}

} // namespace core::registry
