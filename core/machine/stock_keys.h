#pragma once

#include "core/machine/baseline.h"
#include "core/platform/system_calls.h"
#include "core/registry/registry_api.h"

#include <filesystem>
#include <vector>

namespace core {

// The file in a machine's folder that tells that the program has used the machine before.
inline constexpr char StockKeysDone[] = ".dostrojnik-stock-keys";

// On the program's first use of a machine, makes the stock keys (baseline::StockKeys) that its
// registry lacks, with any missing parent: keys only, never a value. A machine used before is
// left alone, so a stock key removed later stays missing and a write into it fails as on any
// system without it. Returns the keys made; when one cannot be made, the next use tries again.
std::vector<baseline::StockKey> makeMissingStockKeys(RegistryApi& registry, const std::filesystem::path& machineRoot,
                                                     SystemCalls& calls = posixSystemCalls());

} // namespace core
