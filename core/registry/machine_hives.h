#pragma once

#include <array>
#include <string_view>

namespace core::registry {

// The registry files of a machine's root folder, with the root their header names and the
// name `dostrojnik-reg` shows for that root.
struct MachineHive {
    std::string_view file;
    std::u16string_view rootPath;
    std::string_view rootName;
};

inline constexpr MachineHive SystemHive{"system.reg", u"REGISTRY\\Machine", "HKEY_LOCAL_MACHINE"};
inline constexpr MachineHive UserHive{"user.reg", u"REGISTRY\\User\\S-1-5-21-0-0-0-1000", "HKEY_CURRENT_USER"};
// The default user's profile: Wine keeps it, the program never writes it.
inline constexpr MachineHive DefaultUserHive{"userdef.reg", u"REGISTRY\\User\\.Default", "HKEY_USERS\\.DEFAULT"};

inline constexpr std::array<MachineHive, 3> MachineHives{SystemHive, UserHive, DefaultUserHive};

} // namespace core::registry
