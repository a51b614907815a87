#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tool_testing {

struct ProcessResult {
    int status = -1; // exit status, or 128 + signal
    std::string out;
    std::string err;
};

// Runs a program with this process's environment changed by `environment` (a name mapped to
// nothing is removed), `input` on its standard input, in `folder` when given, and waits for it.
ProcessResult runProcess(const std::vector<std::string>& argv,
                         const std::map<std::string, std::optional<std::string>>& environment = {},
                         const std::string& input = {}, const std::filesystem::path& folder = {});

// The programs under test, as built beside the others.
std::filesystem::path toolPath(const std::string& name);

// ASCII text as a registry editor file holds it: UTF-16LE after a byte-order mark.
std::string utf16File(std::string_view ascii);

} // namespace tool_testing
