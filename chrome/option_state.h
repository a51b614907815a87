#pragma once

// Which choice of each option the machine is set to now. A target whose click leaves fixed data
// in the registry (values written, a value or a key deleted) is the current one when the
// registry holds exactly that data; the targets that run command lines never are.

#include "chrome/definition.h"

#include "core/registry/registry_api.h"

#include <cstdint>
#include <string>
#include <vector>

namespace chrome {

// One thing a target's click leaves behind: a value with its data, or a value or key that is gone.
struct RegistryFact {
    enum class Kind { Value, NoValue, NoKey };
    Kind kind = Kind::Value;
    core::RootKey root = core::RootKey::CurrentUser;
    std::string key; // from the root
    std::string name;
    std::uint32_t type = core::RegNone;
    std::vector<std::uint8_t> data;
};

// What a successful run of the action leaves in the registry; empty for command lines.
std::vector<RegistryFact> factsOf(const Action& action);

// The options of one window: the targets under one caption form an option, a caption that is
// itself the target one of its own.
class OptionState {
public:
    explicit OptionState(const WindowDefinition& definition);

    // The targets that can be the current choice, in the window's order.
    const std::vector<std::string>& targets() const { return m_targets; }
    bool empty() const { return m_targets.empty(); }

    // Of each option, the one target whose data the machine holds now. An option none of whose
    // targets matches, or more than one, or whose keys could not be read, has none. The keys are
    // read in one batch that only reads: each hive file is read once at most, and not at all
    // while it is the file read last.
    std::vector<std::string> current(core::RegistryApi& registry) const;

private:
    struct Target {
        std::string name;
        std::vector<RegistryFact> facts;
    };
    struct Option {
        std::vector<Target> targets;
    };
    struct Key {
        core::RootKey root;
        std::string path;
        std::vector<std::string> names;
    };

    std::vector<Option> m_options;
    std::vector<std::string> m_targets;
    std::vector<Key> m_keys;
};

} // namespace chrome
