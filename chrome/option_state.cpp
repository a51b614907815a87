#include "chrome/option_state.h"

#include "core/registry/value_data.h"
#include "core/text/ascii.h"
#include "core/text/unicode.h"

#include <algorithm>
#include <map>
#include <optional>

namespace chrome {

namespace {

using core::RegStatus;
using Kind = RegistryFact::Kind;

bool sameKey(core::RootKey rootA, const std::string& a, core::RootKey rootB, const std::string& b)
{
    return rootA == rootB && core::text::asciiLower(a) == core::text::asciiLower(b);
}

// `key` is `ancestor` or lies below it.
bool isUnder(const RegistryFact& key, const RegistryFact& ancestor)
{
    if (key.root != ancestor.root || key.key.size() < ancestor.key.size())
        return false;
    const std::string head = core::text::asciiLower(std::string_view(key.key).substr(0, ancestor.key.size()));
    return head == core::text::asciiLower(ancestor.key) &&
           (key.key.size() == ancestor.key.size() || key.key[ancestor.key.size()] == '\\');
}

std::vector<std::uint8_t> dwordData(std::int32_t value)
{
    const auto bits = static_cast<std::uint32_t>(value);
    return {static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8),
            static_cast<std::uint8_t>(bits >> 16), static_cast<std::uint8_t>(bits >> 24)};
}

bool sameData(const RegistryFact& fact, const core::RegValue& value)
{
    if (value.type != fact.type)
        return false;
    // Text is compared up to its closing zero, which a hand-made value may lack.
    if (fact.type == core::RegSz)
        return core::dataString(value.data) == core::dataString(fact.data);
    return value.data == fact.data;
}

enum class Truth { No, Yes, Unknown };

} // namespace

std::vector<RegistryFact> factsOf(const Action& action)
{
    if (!action.commands.empty())
        return {};
    std::vector<RegistryFact> facts;
    const RegistryKey& opened = action.key;
    for (const OptionStep& step : action.steps) {
        RegistryFact fact;
        fact.root = opened.root;
        fact.key = opened.path;
        fact.name = step.name;
        switch (step.kind) {
        case OptionStepKind::WriteInteger:
            fact.type = core::RegDword;
            fact.data = dwordData(step.integer);
            break;
        case OptionStepKind::WriteString:
            fact.type = core::RegSz;
            fact.data = core::stringData(core::text::toUtf16(step.text));
            break;
        case OptionStepKind::DeleteValue: fact.kind = Kind::NoValue; break;
        case OptionStepKind::DeleteKey:
            fact.kind = Kind::NoKey;
            fact.name.clear();
            if (step.name.starts_with('\\'))
                fact.key = step.name.substr(1);
            else if (!step.name.empty())
                fact.key = opened.path.empty() ? step.name : opened.path + "\\" + step.name;
            break;
        }
        if (fact.kind == Kind::NoKey) {
            std::erase_if(facts, [&](const RegistryFact& earlier) { return isUnder(earlier, fact); });
        } else {
            // A write into a key the row deleted before fails: such a row leaves nothing fixed.
            const bool intoDeleted = std::any_of(facts.begin(), facts.end(), [&](const RegistryFact& earlier) {
                return earlier.kind == Kind::NoKey && isUnder(fact, earlier);
            });
            if (intoDeleted)
                return {};
            std::erase_if(facts, [&](const RegistryFact& earlier) {
                return earlier.kind != Kind::NoKey && sameKey(earlier.root, earlier.key, fact.root, fact.key) &&
                       core::text::equalNoCase(earlier.name, fact.name);
            });
        }
        facts.push_back(std::move(fact));
    }
    return facts;
}

OptionState::OptionState(const WindowDefinition& definition)
{
    std::map<std::string, std::size_t> optionOf;
    for (const OptionRow& row : definition.options) {
        std::vector<RegistryFact> facts = factsOf(row.action);
        if (facts.empty())
            continue;
        for (const RegistryFact& fact : facts) {
            auto key = std::find_if(m_keys.begin(), m_keys.end(),
                                    [&](const Key& k) { return sameKey(k.root, k.path, fact.root, fact.key); });
            if (key == m_keys.end())
                key = m_keys.insert(m_keys.end(), Key{fact.root, fact.key, {}});
            const bool known = std::any_of(key->names.begin(), key->names.end(), [&](const std::string& name) {
                return core::text::equalNoCase(name, fact.name);
            });
            if (fact.kind != Kind::NoKey && !known)
                key->names.push_back(fact.name);
        }
        const Component* component = definition.find(row.target);
        const std::string& caption = component && !component->describedBy.empty() ? component->describedBy : row.target;
        const auto [option, added] = optionOf.emplace(caption, m_options.size());
        if (added)
            m_options.emplace_back();
        m_options[option->second].targets.push_back({row.target, std::move(facts)});
        m_targets.push_back(row.target);
    }
}

std::vector<std::string> OptionState::current(core::RegistryApi& registry) const
{
    struct Read {
        Truth exists = Truth::Unknown;
        std::vector<std::optional<core::RegValue>> values; // by the key's names
    };
    std::vector<Read> reads(m_keys.size());
    if (!m_keys.empty()) {
        std::vector<core::KeyName> names;
        names.reserve(m_keys.size());
        for (const Key& key : m_keys)
            names.push_back({key.root, key.path});
        registry.beginReadBatchOf(names);
        struct BatchEnd {
            core::RegistryApi& registry;
            ~BatchEnd() { registry.endBatch(false); }
        } end{registry};
        for (std::size_t i = 0; i < m_keys.size(); ++i) {
            const Key& key = m_keys[i];
            Read& read = reads[i];
            core::KeyHandle handle;
            const RegStatus opened = registry.openKey(core::rootHandle(key.root), key.path, core::Access::Read, handle);
            if (opened == RegStatus::NotFound)
                read.exists = Truth::No;
            if (opened != RegStatus::Success)
                continue;
            read.exists = Truth::Yes;
            for (const std::string& name : key.names) {
                core::RegValue value;
                const RegStatus status = registry.queryValue(handle, name, value);
                if (status == RegStatus::Success)
                    read.values.emplace_back(std::move(value));
                else if (status == RegStatus::NotFound)
                    read.values.emplace_back();
                else {
                    read.exists = Truth::Unknown;
                    read.values.emplace_back();
                }
            }
            registry.closeKey(handle);
        }
    }

    auto holds = [&](const RegistryFact& fact) {
        const auto key = std::find_if(m_keys.begin(), m_keys.end(),
                                      [&](const Key& k) { return sameKey(k.root, k.path, fact.root, fact.key); });
        const Read& read = reads[static_cast<std::size_t>(key - m_keys.begin())];
        if (read.exists != Truth::Yes)
            return read.exists == Truth::Unknown ? Truth::Unknown : (fact.kind == Kind::Value ? Truth::No : Truth::Yes);
        if (fact.kind == Kind::NoKey)
            return Truth::No;
        const auto name = std::find_if(key->names.begin(), key->names.end(),
                                       [&](const std::string& n) { return core::text::equalNoCase(n, fact.name); });
        const std::optional<core::RegValue>& value = read.values[static_cast<std::size_t>(name - key->names.begin())];
        if (fact.kind == Kind::NoValue)
            return value ? Truth::No : Truth::Yes;
        return value && sameData(fact, *value) ? Truth::Yes : Truth::No;
    };

    std::vector<std::string> found;
    for (const Option& option : m_options) {
        const Target* match = nullptr;
        int matches = 0;
        bool unknown = false;
        for (const Target& target : option.targets) {
            Truth truth = Truth::Yes;
            for (const RegistryFact& fact : target.facts) {
                const Truth one = holds(fact);
                if (one == Truth::Unknown)
                    truth = Truth::Unknown;
                else if (one == Truth::No && truth == Truth::Yes)
                    truth = Truth::No;
            }
            unknown = unknown || truth == Truth::Unknown;
            if (truth == Truth::Yes) {
                match = &target;
                ++matches;
            }
        }
        if (!unknown && matches == 1)
            found.push_back(match->name);
    }
    return found;
}

} // namespace chrome
