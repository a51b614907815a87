#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tool_testing {

using Environment = std::map<std::string, std::optional<std::string>>;

struct ProcessResult {
    int status = -1; // exit status, or 128 + signal
    std::string out;
    std::string err;
};

// Runs a program with this process's environment changed by `environment` (a name mapped to
// nothing is removed), `input` on its standard input, in `folder` when given, and waits for it.
ProcessResult runProcess(const std::vector<std::string>& argv, const Environment& environment = {},
                         const std::string& input = {}, const std::filesystem::path& folder = {});

// The programs under test, as built beside the others.
std::filesystem::path toolPath(const std::string& name);

// Runs one of the machine's tools on the machine `prefix`, in English under C.UTF-8 unless
// `environment` says otherwise; `prefix` may be given by `environment` too.
ProcessResult runTool(const std::string& tool, std::vector<std::string> args, const std::filesystem::path& prefix,
                      Environment environment = {}, const std::string& input = {},
                      const std::filesystem::path& folder = {});

// The same command line run as nobody: root ignores file permissions.
std::vector<std::string> asNobody(std::vector<std::string> argv);

// The machine generates only UTF-8 locales: Polish in Latin-2 is made below `folder`, and this
// is the environment that selects it.
Environment latin2Locale(const std::filesystem::path& folder);

// An executable shell script at `path`, its folder made.
void writeScript(const std::filesystem::path& path, const std::string& body);

// A program on this process's PATH.
std::optional<std::filesystem::path> findOnPath(const std::string& name);

// ASCII text as a registry editor file holds it: UTF-16LE after a byte-order mark.
std::string utf16File(std::string_view ascii);

} // namespace tool_testing
