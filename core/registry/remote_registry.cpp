#include "core/registry/remote_registry.h"

#include <cstring>

namespace core {
namespace {

enum class Operation : std::uint8_t {
    CreateKey = 1,
    OpenKey,
    CloseKey,
    SetValue,
    QueryValue,
    DeleteValue,
    DeleteKey,
    EnumKey,
    EnumValue,
    QueryInfoKey,
};

class Writer {
public:
    void u8(std::uint8_t v) { m_out.push_back(static_cast<char>(v)); }
    void u32(std::uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            m_out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    }
    void u64(std::uint64_t v)
    {
        u32(static_cast<std::uint32_t>(v));
        u32(static_cast<std::uint32_t>(v >> 32));
    }
    void bytes(std::string_view v)
    {
        u32(static_cast<std::uint32_t>(v.size()));
        m_out.append(v);
    }
    void bytes(std::span<const std::uint8_t> v)
    {
        bytes(std::string_view(reinterpret_cast<const char*>(v.data()), v.size()));
    }
    std::string take() { return std::move(m_out); }

private:
    std::string m_out;
};

// Reads what Writer wrote; any short read leaves it failed and gives zeros.
class Reader {
public:
    explicit Reader(std::string_view in) : m_in(in) {}
    bool ok() const { return m_ok; }
    std::uint8_t u8()
    {
        if (!need(1))
            return 0;
        const auto v = static_cast<std::uint8_t>(m_in[0]);
        m_in.remove_prefix(1);
        return v;
    }
    std::uint32_t u32()
    {
        if (!need(4))
            return 0;
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v |= static_cast<std::uint32_t>(static_cast<std::uint8_t>(m_in[static_cast<size_t>(i)])) << (8 * i);
        m_in.remove_prefix(4);
        return v;
    }
    std::uint64_t u64()
    {
        const std::uint64_t low = u32();
        return low | (static_cast<std::uint64_t>(u32()) << 32);
    }
    std::string_view bytes()
    {
        const std::uint32_t size = u32();
        if (!need(size))
            return {};
        const std::string_view v = m_in.substr(0, size);
        m_in.remove_prefix(size);
        return v;
    }
    std::vector<std::uint8_t> data()
    {
        const std::string_view v = bytes();
        return {v.begin(), v.end()};
    }

private:
    bool need(std::size_t size)
    {
        if (m_ok && m_in.size() >= size)
            return true;
        m_ok = false;
        return false;
    }
    std::string_view m_in;
    bool m_ok = true;
};

void writeValue(Writer& out, const RegValue& value)
{
    out.bytes(value.name);
    out.u32(value.type);
    out.bytes(value.data);
}

RegValue readValue(Reader& in)
{
    RegValue value;
    value.name = std::string(in.bytes());
    value.type = in.u32();
    value.data = in.data();
    return value;
}

} // namespace

std::string registryFrame(std::string_view payload)
{
    Writer out;
    out.bytes(payload);
    return out.take();
}

// One call: the request's operation and arguments going out, the status and results coming back.
class RemoteRegistry::Call {
public:
    Call(RemoteRegistry& registry, Operation operation) : m_registry(registry)
    {
        m_out.u8(static_cast<std::uint8_t>(operation));
    }
    Writer& out() { return m_out; }
    // Sends the request; on success `in()` holds the results.
    RegStatus send()
    {
        std::string failure;
        if (!m_registry.m_transport.exchange(m_out.take(), m_answer, failure)) {
            m_registry.m_lastFailure = failure;
            return RegStatus::BadHive;
        }
        m_in = Reader(m_answer);
        const auto status = static_cast<RegStatus>(m_in.u32());
        m_registry.m_lastFailure = std::string(m_in.bytes());
        if (!m_in.ok() || status > RegStatus::BadHive) {
            m_registry.m_lastFailure = "the registry's answer cannot be read";
            return RegStatus::BadHive;
        }
        return status;
    }
    Reader& in() { return m_in; }

    // Opening and creating a key ask alike: a parent, a path and the access; a handle comes back.
    static RegStatus reachKey(RemoteRegistry& registry, Operation operation, KeyHandle parent, std::string_view path,
                              Access access, KeyHandle& opened)
    {
        Call call(registry, operation);
        call.out().u32(parent.id);
        call.out().bytes(path);
        call.out().u8(access == Access::AllAccess ? 1 : 0);
        const RegStatus status = call.send();
        opened = status == RegStatus::Success ? KeyHandle{call.in().u32()} : KeyHandle{};
        return status;
    }

private:
    RemoteRegistry& m_registry;
    Writer m_out;
    std::string m_answer;
    Reader m_in{{}};
};

RemoteRegistry::RemoteRegistry(RegistryTransport& transport) : m_transport(transport) {}

RegStatus RemoteRegistry::createKey(KeyHandle parent, std::string_view path, Access access, KeyHandle& opened)
{
    return Call::reachKey(*this, Operation::CreateKey, parent, path, access, opened);
}

RegStatus RemoteRegistry::openKey(KeyHandle parent, std::string_view path, Access access, KeyHandle& opened)
{
    return Call::reachKey(*this, Operation::OpenKey, parent, path, access, opened);
}

RegStatus RemoteRegistry::closeKey(KeyHandle key)
{
    Call call(*this, Operation::CloseKey);
    call.out().u32(key.id);
    return call.send();
}

RegStatus RemoteRegistry::setValue(KeyHandle key, std::string_view name, std::uint32_t type,
                                   std::span<const std::uint8_t> data)
{
    Call call(*this, Operation::SetValue);
    call.out().u32(key.id);
    call.out().bytes(name);
    call.out().u32(type);
    call.out().bytes(data);
    return call.send();
}

RegStatus RemoteRegistry::queryValue(KeyHandle key, std::string_view name, RegValue& value)
{
    Call call(*this, Operation::QueryValue);
    call.out().u32(key.id);
    call.out().bytes(name);
    const RegStatus status = call.send();
    if (status == RegStatus::Success)
        value = readValue(call.in());
    return status;
}

RegStatus RemoteRegistry::deleteValue(KeyHandle key, std::string_view name)
{
    Call call(*this, Operation::DeleteValue);
    call.out().u32(key.id);
    call.out().bytes(name);
    return call.send();
}

RegStatus RemoteRegistry::deleteKey(KeyHandle parent, std::string_view path)
{
    Call call(*this, Operation::DeleteKey);
    call.out().u32(parent.id);
    call.out().bytes(path);
    return call.send();
}

RegStatus RemoteRegistry::enumKey(KeyHandle key, std::uint32_t index, std::string& name)
{
    Call call(*this, Operation::EnumKey);
    call.out().u32(key.id);
    call.out().u32(index);
    const RegStatus status = call.send();
    if (status == RegStatus::Success)
        name = std::string(call.in().bytes());
    return status;
}

RegStatus RemoteRegistry::enumValue(KeyHandle key, std::uint32_t index, RegValue& value)
{
    Call call(*this, Operation::EnumValue);
    call.out().u32(key.id);
    call.out().u32(index);
    const RegStatus status = call.send();
    if (status == RegStatus::Success)
        value = readValue(call.in());
    return status;
}

RegStatus RemoteRegistry::queryInfoKey(KeyHandle key, KeyInfo& info)
{
    Call call(*this, Operation::QueryInfoKey);
    call.out().u32(key.id);
    const RegStatus status = call.send();
    if (status == RegStatus::Success) {
        info.subKeys = call.in().u32();
        info.maxSubKeyLength = call.in().u32();
        info.values = call.in().u32();
        info.lastWriteTime = call.in().u64();
        info.className = std::string(call.in().bytes());
    }
    return status;
}

std::string answerRegistryRequest(RegistryApi& registry, std::string_view request)
{
    Reader in(request);
    Writer results;
    RegStatus status = RegStatus::InvalidParameter;
    const auto operation = static_cast<Operation>(in.u8());
    switch (operation) {
    case Operation::CreateKey:
    case Operation::OpenKey: {
        const KeyHandle parent{in.u32()};
        const std::string path(in.bytes());
        const Access access = in.u8() ? Access::AllAccess : Access::Read;
        if (!in.ok())
            break;
        KeyHandle opened;
        status = operation == Operation::CreateKey ? registry.createKey(parent, path, access, opened)
                                                   : registry.openKey(parent, path, access, opened);
        results.u32(opened.id);
        break;
    }
    case Operation::CloseKey: {
        const KeyHandle key{in.u32()};
        if (in.ok())
            status = registry.closeKey(key);
        break;
    }
    case Operation::SetValue: {
        const KeyHandle key{in.u32()};
        const std::string name(in.bytes());
        const std::uint32_t type = in.u32();
        const std::vector<std::uint8_t> data = in.data();
        if (in.ok())
            status = registry.setValue(key, name, type, data);
        break;
    }
    case Operation::QueryValue: {
        const KeyHandle key{in.u32()};
        const std::string name(in.bytes());
        RegValue value;
        if (in.ok())
            status = registry.queryValue(key, name, value);
        writeValue(results, value);
        break;
    }
    case Operation::DeleteValue:
    case Operation::DeleteKey: {
        const KeyHandle key{in.u32()};
        const std::string name(in.bytes());
        if (in.ok())
            status =
                operation == Operation::DeleteValue ? registry.deleteValue(key, name) : registry.deleteKey(key, name);
        break;
    }
    case Operation::EnumKey: {
        const KeyHandle key{in.u32()};
        const std::uint32_t index = in.u32();
        std::string name;
        if (in.ok())
            status = registry.enumKey(key, index, name);
        results.bytes(name);
        break;
    }
    case Operation::EnumValue: {
        const KeyHandle key{in.u32()};
        const std::uint32_t index = in.u32();
        RegValue value;
        if (in.ok())
            status = registry.enumValue(key, index, value);
        writeValue(results, value);
        break;
    }
    case Operation::QueryInfoKey: {
        const KeyHandle key{in.u32()};
        KeyInfo info;
        if (in.ok())
            status = registry.queryInfoKey(key, info);
        results.u32(info.subKeys);
        results.u32(info.maxSubKeyLength);
        results.u32(info.values);
        results.u64(info.lastWriteTime);
        results.bytes(info.className);
        break;
    }
    }
    Writer answer;
    answer.u32(static_cast<std::uint32_t>(status));
    answer.bytes(in.ok() ? (status == RegStatus::Success ? std::string() : registry.lastFailure())
                         : std::string("the request cannot be read"));
    std::string out = answer.take();
    out += results.take();
    return out;
}

} // namespace core
