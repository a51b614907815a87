#pragma once

#include "core/registry/registry_api.h"

namespace testing_support {

// Passes every call on to another registry; a test's stand-in overrides only the calls it
// watches or changes.
class ForwardingRegistry : public core::RegistryApi {
public:
    explicit ForwardingRegistry(core::RegistryApi& inner) : m_inner(inner) {}

    core::RegStatus createKey(core::KeyHandle parent, std::string_view path, core::Access access,
                              core::KeyHandle& opened) override
    {
        return m_inner.createKey(parent, path, access, opened);
    }
    core::RegStatus openKey(core::KeyHandle parent, std::string_view path, core::Access access,
                            core::KeyHandle& opened) override
    {
        return m_inner.openKey(parent, path, access, opened);
    }
    core::RegStatus closeKey(core::KeyHandle key) override { return m_inner.closeKey(key); }
    core::RegStatus setValue(core::KeyHandle key, std::string_view name, std::uint32_t type,
                             std::span<const std::uint8_t> data) override
    {
        return m_inner.setValue(key, name, type, data);
    }
    core::RegStatus queryValue(core::KeyHandle key, std::string_view name, core::RegValue& value) override
    {
        return m_inner.queryValue(key, name, value);
    }
    core::RegStatus deleteValue(core::KeyHandle key, std::string_view name) override
    {
        return m_inner.deleteValue(key, name);
    }
    core::RegStatus deleteKey(core::KeyHandle parent, std::string_view path) override
    {
        return m_inner.deleteKey(parent, path);
    }
    core::RegStatus enumKey(core::KeyHandle key, std::uint32_t index, std::string& name) override
    {
        return m_inner.enumKey(key, index, name);
    }
    core::RegStatus enumValue(core::KeyHandle key, std::uint32_t index, core::RegValue& value) override
    {
        return m_inner.enumValue(key, index, value);
    }
    core::RegStatus queryInfoKey(core::KeyHandle key, core::KeyInfo& info) override
    {
        return m_inner.queryInfoKey(key, info);
    }
    std::string lastFailure() const override { return m_inner.lastFailure(); }
    void beginBatch() override { m_inner.beginBatch(); }
    core::RegStatus endBatch(bool keep) override { return m_inner.endBatch(keep); }

protected:
    core::RegistryApi& m_inner;
};

} // namespace testing_support
