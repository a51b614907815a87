#pragma once

#include "core/registry/registry_api.h"

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

// A key of the baseline that the program writes into without creating it: every stock Windows
// XP has it, so there a write cannot fail for want of it. A Wine prefix lacks some of them.
struct StockKey {
    RootKey root;
    std::string_view path;
};

// Keys that some option writes into only when a stock system has them (the driver's parameters,
// the browser's and file protection's policies) are none of these: they are not in the baseline.
inline constexpr StockKey StockKeys[] = {
    {RootKey::CurrentUser, "Control Panel\\Desktop"},
    {RootKey::CurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer"},
    {RootKey::CurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced"},
    {RootKey::CurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\CabinetState"},
    {RootKey::CurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings"},
    {RootKey::CurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer"},
    {RootKey::LocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced"},
    {RootKey::LocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System"},
    {RootKey::LocalMachine, "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management"},
};

} // namespace core::baseline
