#pragma once

#include "core/platform/environment.h"
#include "core/platform/system_calls.h"
#include "core/registry/registry_api.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>

namespace core {

// The registry of the emulated machine: HKEY_LOCAL_MACHINE in `<root>/system.reg`,
// HKEY_CURRENT_USER in `<root>/user.reg`, both in Wine's text format, HKEY_CLASSES_ROOT as
// HKEY_LOCAL_MACHINE\Software\Classes, and the volatile HKEY_LOCAL_MACHINE\HARDWARE tree that
// lives in this process's memory only. Every change is a locked read-modify-write of one file.
// A hive is parsed again only when its file's text changed, so one object that lives as long
// as the program makes a click cheap.
class WineRegistry final : public RegistryApi {
public:
    // `cpuMhz` becomes "~MHz" of HARDWARE\DESCRIPTION\System\CentralProcessor\0; `environment`
    // tells where Wine's server would keep its lock.
    WineRegistry(std::filesystem::path root, std::uint32_t cpuMhz, SystemCalls& calls = posixSystemCalls(),
                 EnvironmentLookup environment = hostEnvironment());
    // The same with the speed asked for only when HARDWARE is first read.
    WineRegistry(std::filesystem::path root, std::function<std::uint32_t()> cpuMhz,
                 SystemCalls& calls = posixSystemCalls(), EnvironmentLookup environment = hostEnvironment());
    ~WineRegistry() override;

    RegStatus createKey(KeyHandle parent, std::string_view path, Access access, KeyHandle& opened) override;
    RegStatus openKey(KeyHandle parent, std::string_view path, Access access, KeyHandle& opened) override;
    RegStatus closeKey(KeyHandle key) override;
    RegStatus setValue(KeyHandle key, std::string_view name, std::uint32_t type,
                       std::span<const std::uint8_t> data) override;
    RegStatus queryValue(KeyHandle key, std::string_view name, RegValue& value) override;
    RegStatus deleteValue(KeyHandle key, std::string_view name) override;
    RegStatus deleteKey(KeyHandle parent, std::string_view path) override;
    RegStatus enumKey(KeyHandle key, std::uint32_t index, std::string& name) override;
    RegStatus enumValue(KeyHandle key, std::uint32_t index, RegValue& value) override;
    RegStatus queryInfoKey(KeyHandle key, KeyInfo& info) override;
    RegStatus enumKeys(KeyHandle key, std::vector<std::string>& names) override;
    RegStatus enumValues(KeyHandle key, std::vector<RegValue>& values) override;
    RegStatus walkBelow(KeyHandle key, const KeyVisitor& visit) override;
    std::string lastFailure() const override;
    void beginBatch() override;
    RegStatus endBatch(bool keep) override;
    void beginReadBatch() override;
    void beginReadBatchOf(std::span<const KeyName> keys) override;

    // Runs once, under the machine's lock, just before the first change this object makes
    // reaches a file: the moment to keep a copy of the registry as it was. Writing data that is
    // already there, which renews only the keys' times, is no change here.
    void setBeforeFirstChange(std::function<void()> hook);

private:
    struct State;
    std::unique_ptr<State> m_state;
};

} // namespace core
