#pragma once

#include <string_view>
#include <vector>

// What the reading of hive text lends to the rest of the hive code.
namespace core::registry {

// The names of a key path separated by '\'; Wine takes a run of separators as one.
void splitKeyPath(std::u16string_view path, std::vector<std::u16string_view>& components);

} // namespace core::registry
