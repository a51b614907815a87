// A small program for the registry tests that need real processes: writers that run side by
// side or get killed, and a user without rights on the machine's files.
//
//   registry_helper write ROOT user|system KEY PREFIX COUNT
//       writes the DWORDs PREFIX0 .. PREFIX<COUNT-1> = index into KEY, printing each index on
//       standard output once its write has returned
//   registry_helper probe ROOT KEY
//       prints how HKEY_LOCAL_MACHINE\KEY opens for reading and for all access, and what an
//       option click that writes there reports

#include "core/error.h"
#include "core/registry/tregistry.h"
#include "core/registry/wine_registry.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

const char* statusName(core::RegStatus status)
{
    switch (status) {
    case core::RegStatus::Success: return "Success";
    case core::RegStatus::NotFound: return "NotFound";
    case core::RegStatus::AccessDenied: return "AccessDenied";
    case core::RegStatus::InvalidHandle: return "InvalidHandle";
    case core::RegStatus::KeyDeleted: return "KeyDeleted";
    case core::RegStatus::InvalidParameter: return "InvalidParameter";
    case core::RegStatus::NoMoreItems: return "NoMoreItems";
    case core::RegStatus::MoreData: return "MoreData";
    case core::RegStatus::HasSubkeys: return "HasSubkeys";
    case core::RegStatus::BadHive: return "BadHive";
    }
    return "?";
}

// Unbuffered, so that what the parent reads is exactly what was done before a kill.
void report(const std::string& line)
{
    const std::string text = line + "\n";
    (void)!::write(STDOUT_FILENO, text.data(), text.size());
}

int write(const char* root, const std::string& hive, const char* path, const std::string& prefix, int count)
{
    core::WineRegistry registry(root, 1000);
    const auto base = core::rootHandle(hive == "system" ? core::RootKey::LocalMachine : core::RootKey::CurrentUser);
    core::KeyHandle key;
    if (const auto status = registry.createKey(base, path, core::Access::AllAccess, key); status != core::RegStatus::Success) {
        std::fprintf(stderr, "create: %s %s\n", statusName(status), registry.lastFailure().c_str());
        return 2;
    }
    for (int i = 0; i < count; ++i) {
        const auto v = static_cast<std::uint32_t>(i);
        const std::uint8_t data[4] = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                                      static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
        if (const auto status = registry.setValue(key, prefix + std::to_string(i), core::RegDword, data);
            status != core::RegStatus::Success) {
            std::fprintf(stderr, "write %d: %s %s\n", i, statusName(status), registry.lastFailure().c_str());
            return 2;
        }
        report(std::to_string(i));
    }
    return 0;
}

int probe(const char* root, const char* path)
{
    core::WineRegistry registry(root, 1000);
    const auto hklm = core::rootHandle(core::RootKey::LocalMachine);
    core::KeyHandle key;
    report(std::string("read=") + statusName(registry.openKey(hklm, path, core::Access::Read, key)));
    report(std::string("all=") + statusName(registry.openKey(hklm, path, core::Access::AllAccess, key)));
    report("reason=" + registry.lastFailure());
    try {
        core::TRegistry reg(registry);
        reg.SetRootKey(core::RootKey::LocalMachine);
        report(std::string("OpenKey=") + (reg.OpenKey(path, true) ? "true" : "false"));
        reg.WriteInteger("AutoReboot", 1);
        report("write=done");
    } catch (const core::Error& error) {
        report(std::string("write=") + error.what());
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "write" && argc == 7)
        return write(argv[2], argv[3], argv[4], argv[5], std::atoi(argv[6]));
    if (mode == "probe" && argc == 4)
        return probe(argv[2], argv[3]);
    std::fprintf(stderr, "usage: registry_helper write ROOT user|system KEY PREFIX COUNT | probe ROOT KEY\n");
    return 1;
}
