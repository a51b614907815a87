// The settings-file parser: any text can be read and written, and a key once written is found
// again with its value.

#include "core/settings/ini_file.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

// Names a key line can hold: one that began with ';' or '[' or held '=' would read as
// something else, and the program never uses such names.
bool plainName(const std::string& name)
{
    const std::size_t first = name.find_first_not_of(" \t\v\f\x1a");
    return name.find('=') == std::string::npos && name.find_first_of("\r\n") == std::string::npos &&
           name.find('\0') == std::string::npos && (first == std::string::npos || (name[first] != ';' && name[first] != '['));
}

bool plainValue(const std::string& value)
{
    if (value.empty() || value.size() > 2047 || value.front() == ' ' || value.back() == ' ')
        return false;
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return false;
    for (const char c : value)
        if (c < 0x21 || c > 0x7e)
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    const std::string section = input.ConsumeRandomLengthString(64);
    const std::string key = input.ConsumeRandomLengthString(64);
    const std::string value = input.ConsumeRandomLengthString(300);
    const std::string contents = input.ConsumeRemainingBytesAsString();

    core::iniFileValue(contents, section, key);
    const std::string updated = core::iniFileWithValue(contents, section, key, value);
    const auto back = core::iniFileValue(updated, section, key);
    if (plainName(section) && section.find(']') == std::string::npos && plainName(key)) {
        if (!back)
            std::abort();
        if (plainValue(value) && *back != value)
            std::abort();
    }
    return 0;
}
