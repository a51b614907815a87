#pragma once

#include "core/platform/environment.h"
#include "core/platform/system_calls.h"
#include "core/registry/remote_registry.h"

#include <sys/types.h>

#include <filesystem>
#include <map>
#include <memory>

namespace core {

// Our Windows registry helper running under `wine` in a prefix, spoken to over its standard
// input and output. Started at the first request and kept until this object ends, when its
// input is closed and it is waited for.
class WineHelperTransport final : public RegistryTransport {
public:
    WineHelperTransport(std::filesystem::path prefix, std::filesystem::path helper, std::string wine = "wine");
    ~WineHelperTransport() override;
    WineHelperTransport(const WineHelperTransport&) = delete;
    WineHelperTransport& operator=(const WineHelperTransport&) = delete;

    bool exchange(const std::string& request, std::string& answer, std::string& failure) override;
    bool available() const override { return !m_helper.empty(); }

private:
    bool start(std::string& failure);
    void stop();

    std::filesystem::path m_prefix;
    std::filesystem::path m_helper;
    std::string m_wine;
    pid_t m_process = -1;
    int m_toHelper = -1;
    int m_fromHelper = -1;
};

// The registry of a Wine prefix as our programs see it: the files while no Wine program runs,
// and while Wine's server holds the prefix (it keeps the registry in memory then), Wine's own
// registry through the helper, so that what we write is what Wine programs see at once and
// nothing is lost when the server writes its copy back. Without a helper it is the files always,
// which refuse writes while the server holds them.
class LivePrefixRegistry final : public RegistryApi {
public:
    LivePrefixRegistry(RegistryApi& files, std::filesystem::path prefix, std::unique_ptr<RegistryTransport> helper,
                       SystemCalls& calls = posixSystemCalls(), EnvironmentLookup environment = hostEnvironment());

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
    void beginBatch() override { m_files.beginBatch(); }
    RegStatus endBatch(bool keep) override { return m_files.endBatch(keep); }
    void beginReadBatch() override { m_files.beginReadBatch(); }
    void beginReadBatchOf(std::span<const KeyName> keys) override { m_files.beginReadBatchOf(keys); }
    std::string lastFailure() const override { return m_last->lastFailure(); }

private:
    struct Inner {
        RegistryApi* registry = nullptr;
        KeyHandle key;
    };
    // Where a call on `key` goes; a new key (a root) goes where the server's state says.
    bool resolve(KeyHandle key, Inner& inner);
    KeyHandle adopt(RegistryApi* registry, KeyHandle key);
    // Opening and creating a key go the same way: below a key of the registry that holds it.
    using ReachKey = RegStatus (RegistryApi::*)(KeyHandle, std::string_view, Access, KeyHandle&);
    RegStatus reachKey(ReachKey call, KeyHandle parent, std::string_view path, Access access, KeyHandle& opened);

    RegistryApi& m_files;
    std::filesystem::path m_prefix;
    std::unique_ptr<RegistryTransport> m_transport;
    RemoteRegistry m_remote;
    SystemCalls& m_calls;
    EnvironmentLookup m_environment;
    std::map<std::uint32_t, Inner> m_keys;
    std::uint32_t m_next = 1;
    RegistryApi* m_last;
};

// The helper for a Linux program at `executable`: dostrojnik-registry.exe beside it, else in
// `installedFolder` (relative to the program's folder, where an installation puts it), else the
// file that DOSTROJNIK_REGISTRY_HELPER names; empty when there is none.
std::filesystem::path registryHelperFor(const std::filesystem::path& executable,
                                        const std::filesystem::path& installedFolder,
                                        const EnvironmentLookup& environment);

} // namespace core
