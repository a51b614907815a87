#include "chrome/folder_listing.h"

#include "core/error.h"
#include "core/text/unicode.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace chrome {

namespace {

[[noreturn]] void failOn(const core::DrivePath& folder, int error)
{
    throw core::Error("Cannot read the folder " + core::windowsName(folder) + ": " + std::strerror(error));
}

} // namespace

std::vector<std::string> folderFiles(const core::DriveFiles& drive, const core::DrivePath& folder)
{
    std::vector<std::string> files;
    if (const int error = drive.listFiles(folder, files))
        failOn(folder, error);
    std::vector<std::pair<std::u16string, std::string>> keyed;
    keyed.reserve(files.size());
    for (std::string& name : files)
        keyed.emplace_back(core::text::toUtf16(name), std::move(name));
    std::sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) {
        const int order = core::text::compareNoCase(a.first, b.first);
        return order != 0 ? order < 0 : a.first < b.first;
    });
    std::vector<std::string> names;
    names.reserve(keyed.size());
    for (auto& [key, name] : keyed)
        names.push_back(std::move(name));
    return names;
}

} // namespace chrome
