#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace core {

// Value types, with the numbers Windows gives them.
enum RegType : std::uint32_t {
    RegNone = 0,
    RegSz = 1,
    RegExpandSz = 2,
    RegBinary = 3,
    RegDword = 4,
    RegDwordBigEndian = 5,
    RegLink = 6,
    RegMultiSz = 7,
    RegQword = 11,
};

enum class RootKey : std::uint32_t {
    ClassesRoot = 0x80000000u,
    CurrentUser = 0x80000001u,
    LocalMachine = 0x80000002u,
};

// An open key, like Windows' HKEY. A root key is a handle that is always open; 0 is no key.
struct KeyHandle {
    std::uint32_t id = 0;
    explicit operator bool() const { return id != 0; }
    friend bool operator==(KeyHandle, KeyHandle) = default;
};

inline KeyHandle rootHandle(RootKey root)
{
    return KeyHandle{static_cast<std::uint32_t>(root)};
}

// The outcomes that the registry's callers tell apart, after Windows' error codes.
enum class RegStatus {
    Success,
    NotFound,         // ERROR_FILE_NOT_FOUND: no such key or value
    AccessDenied,     // ERROR_ACCESS_DENIED: the hive may not be written
    InvalidHandle,    // ERROR_INVALID_HANDLE: no key open, or a handle already closed
    KeyDeleted,       // ERROR_KEY_DELETED: the open key was deleted meanwhile
    InvalidParameter, // ERROR_INVALID_PARAMETER: a name the registry does not take
    NoMoreItems,      // ERROR_NO_MORE_ITEMS: enumeration past the end
    MoreData,         // ERROR_MORE_DATA: the caller's buffer is too small
    HasSubkeys,       // ERROR_ACCESS_DENIED from RegDeleteKey: the key still has subkeys
    BadHive,          // ERROR_BADDB: the hive's file cannot be parsed or is held by another program
};

enum class Access {
    Read,      // KEY_READ
    AllAccess, // KEY_ALL_ACCESS: fails with AccessDenied on a hive this process may not write
};

struct RegValue {
    std::string name; // UTF-8; empty for the unnamed (default) value
    std::uint32_t type = RegNone;
    std::vector<std::uint8_t> data; // raw bytes as Windows keeps them: REG_SZ is UTF-16LE with its zero
};

struct KeyInfo {
    std::uint32_t subKeys = 0;
    std::uint32_t maxSubKeyLength = 0; // in UTF-16 units
    std::uint32_t values = 0;
    std::uint64_t lastWriteTime = 0; // FILETIME: 100 ns units since 1601-01-01
    std::string className;
};

// A key as a root and a path below it.
struct KeyName {
    RootKey root = RootKey::LocalMachine;
    std::string path;
};

// What a walk does after a key: goes on into its subkeys, passes over them, or ends.
enum class WalkStep { Into, Over, Stop };

// One key of a walk: its path below the walked key ("A\\B") and its values in enumValue's order,
// which the visitor may take.
using KeyVisitor = std::function<WalkStep(const std::string& path, std::vector<RegValue>& values)>;

// The registry as Windows' API offers it. Paths are relative to the given key, components
// separated by '\', without a leading '\'. Names are UTF-8 and compared without regard to case.
// One implementation per system: on Linux the hives of the emulated machine, on Windows the
// registry itself.
class RegistryApi {
public:
    virtual ~RegistryApi() = default;

    virtual RegStatus createKey(KeyHandle parent, std::string_view path, Access access, KeyHandle& opened) = 0;
    virtual RegStatus openKey(KeyHandle parent, std::string_view path, Access access, KeyHandle& opened) = 0;
    virtual RegStatus closeKey(KeyHandle key) = 0;
    virtual RegStatus setValue(KeyHandle key, std::string_view name, std::uint32_t type,
                               std::span<const std::uint8_t> data) = 0;
    virtual RegStatus queryValue(KeyHandle key, std::string_view name, RegValue& value) = 0;
    virtual RegStatus deleteValue(KeyHandle key, std::string_view name) = 0;
    // Deletes one key without subkeys, as RegDeleteKey does on Windows NT.
    virtual RegStatus deleteKey(KeyHandle parent, std::string_view path) = 0;
    // Subkeys and values in the order the hive keeps them (case-insensitive name order).
    virtual RegStatus enumKey(KeyHandle key, std::uint32_t index, std::string& name) = 0;
    virtual RegStatus enumValue(KeyHandle key, std::uint32_t index, RegValue& value) = 0;
    virtual RegStatus queryInfoKey(KeyHandle key, KeyInfo& info) = 0;
    // All subkey names, or all values, of a key in one call, in the order of enumKey and enumValue.
    virtual RegStatus enumKeys(KeyHandle key, std::vector<std::string>& names)
    {
        names.clear();
        std::string name;
        RegStatus status = RegStatus::Success;
        for (std::uint32_t i = 0; (status = enumKey(key, i, name)) == RegStatus::Success; ++i)
            names.push_back(name);
        return status == RegStatus::NoMoreItems ? RegStatus::Success : status;
    }
    virtual RegStatus enumValues(KeyHandle key, std::vector<RegValue>& values)
    {
        values.clear();
        RegValue value;
        RegStatus status = RegStatus::Success;
        for (std::uint32_t i = 0; (status = enumValue(key, i, value)) == RegStatus::Success; ++i)
            values.push_back(value);
        return status == RegStatus::NoMoreItems ? RegStatus::Success : status;
    }

    // Visits every key below `key`, each before its subkeys, subkeys in enumKey's order. A
    // subkey deleted meanwhile is left out; any other failure ends the walk with its status. The
    // visitor may read the registry, never change it.
    virtual RegStatus walkBelow(KeyHandle key, const KeyVisitor& visit);

    // A batch of calls: from beginBatch to endBatch every hive is read once, and the changes are
    // written at endBatch, each hive in one write when `keep` is true, or else forgotten. A
    // registry that has no batches (Windows') makes each change at once.
    virtual void beginBatch() {}
    virtual RegStatus endBatch(bool /*keep*/) { return RegStatus::Success; }
    // A batch that only reads, ended by endBatch as any: a hive whose file is still the one read
    // last (the same file, size and times) is not read again, and changes fail.
    virtual void beginReadBatch() { beginBatch(); }
    // The same, told which keys the batch will read (as openKey names them below their roots): a
    // registry that reads its files in parts reads those keys' parts in one go.
    virtual void beginReadBatchOf(std::span<const KeyName> /*keys*/) { beginReadBatch(); }

    // Why the last call that did not succeed failed, in words a user can act on (for example
    // "cannot parse /m/system.reg line 12: ..."); empty when there is nothing to tell.
    virtual std::string lastFailure() const { return {}; }
};

} // namespace core
