#pragma once

#include <filesystem>
#include <string>

namespace testing_support {

// The keys whose values differ between the registries of two machines (their system.reg,
// user.reg and userdef.reg), one "HKEY_...\path" line each; empty when they hold the same.
std::string registryDifferences(const std::filesystem::path& first, const std::filesystem::path& second);

} // namespace testing_support
