#pragma once

#include "core/registry/registry_api.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace testing_support {

// The values of a registry key by name: type and data.
using Values = std::map<std::string, std::pair<std::uint32_t, std::vector<std::uint8_t>>>;
using Value = Values::mapped_type;

// Expected values, as `keyValues` gives them back.
Value dword(std::uint32_t value);
Value text(const char16_t* value);
Value text(const std::string& utf8);

// One row of a window's option table as a test expects it: a click on `target` sets `value` of
// `key` to `data`.
struct RowWrite {
    const char* target;
    core::RootKey root;
    const char* key;
    const char* value;
    Value data;
};

// A switch as a test expects it: its enable target sets `value` to `onData`, its disable target
// to `offData`.
struct SwitchWrite {
    const char* on;
    const char* off;
    const char* value;
    Value onData;
    Value offData;
};
// The two rows of each switch, all in one key.
std::vector<RowWrite> switchRows(core::RootKey root, const char* key, const std::vector<SwitchWrite>& switches);

// Every value of a key, by name: type and data; none when the key is missing.
std::optional<Values> keyValues(core::RegistryApi& registry, core::RootKey root, const std::string& path);
// Creates a key (and its parents) and writes these values into it.
void seed(core::RegistryApi& registry, core::RootKey root, const std::string& path, const Values& values = {});

} // namespace testing_support
