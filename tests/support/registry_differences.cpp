#include "tests/support/registry_differences.h"

#include "core/registry/machine_hives.h"
#include "core/restore/registry_changes.h"
#include "tests/support/temporary_folder.h"

#include <gtest/gtest.h>

namespace testing_support {

std::string registryDifferences(const std::filesystem::path& first, const std::filesystem::path& second)
{
    using namespace core::registry;
    std::string out;
    for (std::size_t hive = 0; hive < MachineHives.size(); ++hive) {
        const auto parse = [&](const std::filesystem::path& root) {
            const auto file = root / MachineHives[hive].file;
            Hive parsed = Hive::empty(hiveHeader(MachineHives[hive].rootPath));
            HiveParseError error;
            if (std::filesystem::exists(file)) {
                EXPECT_TRUE(Hive::parse(readText(file), parsed, error)) << file << ": " << error.what;
            }
            return parsed;
        };
        Hive a = parse(first);
        Hive b = parse(second);
        std::vector<core::restore::KeyChange> changes;
        core::restore::compareHives(a, b, hive, changes);
        for (const auto& change : changes)
            out += core::restore::keyName(change) + "\n";
    }
    return out;
}

} // namespace testing_support
