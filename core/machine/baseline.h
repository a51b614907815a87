#pragma once

#include <span>
#include <string_view>

namespace core::baseline {

// A file of the baseline of a new machine, embedded into the program at build time from
// resources/baseline: "system.reg", "user.reg" (Wine's text format, with "<user>" standing
// for the user's name) and "wallpapers/<name>.jpg".
struct File {
    std::string_view name;
    std::span<const unsigned char> bytes;

    std::string_view text() const { return {reinterpret_cast<const char*>(bytes.data()), bytes.size()}; }
};

std::span<const File> files();
// Null when there is no such file.
const File* find(std::string_view name);

} // namespace core::baseline
