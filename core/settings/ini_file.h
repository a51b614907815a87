#pragma once

#include "core/platform/system_calls.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace core {

// The settings file: an INI file in Windows-1250, read and written one key at a time. Nothing
// is kept in memory between calls; every write replaces the file atomically. Names are UTF-8
// here and compared without regard to case.
class TIniFile {
public:
    explicit TIniFile(std::filesystem::path path, SystemCalls& calls = posixSystemCalls());

    const std::filesystem::path& FileName() const { return m_path; }

    // At most 2047 characters come back; a missing file, section or key gives `fallback`.
    std::string ReadString(std::string_view section, std::string_view key, std::string_view fallback) const;
    // Decimal, "0x"/"0X" or "$" hexadecimal; anything else that is not a 32-bit integer gives `fallback`.
    std::int32_t ReadInteger(std::string_view section, std::string_view key, std::int32_t fallback) const;
    // Throws core::Error "Unable to write to <path>" when the file cannot be written.
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view key, std::int32_t value);

private:
    // The value of the key with quotes taken off and cut to length; empty when missing.
    std::optional<std::string> readRaw(std::string_view section, std::string_view key) const;

    std::filesystem::path m_path;
    SystemCalls& m_calls;
};

// The parse behind every read and write, on a file's text (for tests and fuzzing): the value that
// ReadString finds (empty optional when the key is missing), and the text that WriteString
// leaves.
std::optional<std::string> iniFileValue(std::string_view contents, std::string_view section, std::string_view key);
std::string iniFileWithValue(std::string_view contents, std::string_view section, std::string_view key,
                             std::string_view value);

// The settings file of a program: its executable's path with the extension ".ini".
std::filesystem::path settingsPathFor(const std::filesystem::path& executable);

} // namespace core
