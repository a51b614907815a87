#pragma once

#include "core/registry/registry_api.h"

#include <string>
#include <string_view>

namespace core {

// Carries one request to a registry in another process and brings its answer back. False when
// the other side is gone; `failure` then says why.
class RegistryTransport {
public:
    virtual ~RegistryTransport() = default;
    virtual bool exchange(const std::string& request, std::string& answer, std::string& failure) = 0;
    // False when there is nothing to carry requests to at all.
    virtual bool available() const { return true; }
};

// A registry that lives in another process, one request and one answer per call. The handles
// are the other side's own. A transport that fails makes the call fail with BadHive.
class RemoteRegistry final : public RegistryApi {
public:
    explicit RemoteRegistry(RegistryTransport& transport);

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
    std::string lastFailure() const override { return m_lastFailure; }

private:
    class Call;
    RegistryTransport& m_transport;
    std::string m_lastFailure;
};

// The other side: carries out one request on `registry` and gives the answer. A request that
// cannot be read gives InvalidParameter.
std::string answerRegistryRequest(RegistryApi& registry, std::string_view request);

// The frames on a byte stream: a 32-bit little-endian length, then that many bytes. Requests
// and answers larger than this are refused.
constexpr std::size_t MaxRegistryFrame = 64u << 20;
std::string registryFrame(std::string_view payload);

} // namespace core
