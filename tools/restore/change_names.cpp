#include "tools/restore/change_names.h"

#include "app/definitions.h"
#include "core/registry/value_data.h"
#include "core/text/unicode.h"
#include "sections/definitions.h"
#include "sections/protection/refused_programs.h"

#include <algorithm>

namespace restoretool {
namespace {

using core::restore::KeyChange;
using core::restore::KeyState;
using core::restore::ValueChange;

std::u16string folded(std::u16string_view text)
{
    std::u16string out(text);
    for (char16_t& c : out)
        c = core::text::lowcase(c);
    return out;
}

// The components of a registry path; empty ones (doubled or closing separators) name nothing.
void appendComponents(std::vector<std::u16string>& out, std::string_view path)
{
    while (!path.empty()) {
        const std::size_t end = std::min(path.find('\\'), path.size());
        if (end > 0)
            out.push_back(folded(core::text::toUtf16(path.substr(0, end))));
        path.remove_prefix(std::min(end + 1, path.size()));
    }
}

// Several names of one change, each once.
void appendName(std::vector<std::string>& names, const std::string& name)
{
    if (std::find(names.begin(), names.end(), name) == names.end())
        names.push_back(name);
}

std::string joined(const std::vector<std::string>& names)
{
    std::string out;
    for (const auto& name : names)
        out += (out.empty() ? "" : "; ") + name;
    return out;
}

} // namespace

ChangeNames::Location ChangeNames::locate(core::RootKey root, std::string_view path)
{
    // The hives' order is that of core::registry::MachineHives; HKEY_CLASSES_ROOT lies in
    // HKEY_LOCAL_MACHINE\Software\Classes.
    Location location{root == core::RootKey::CurrentUser ? 1u : 0u, {}};
    if (root == core::RootKey::ClassesRoot)
        location.path = {u"software", u"classes"};
    appendComponents(location.path, path);
    return location;
}

std::u16string ChangeNames::valueKey(std::size_t hive, const std::vector<std::u16string>& path,
                                     std::u16string_view value)
{
    std::u16string key(1, static_cast<char16_t>(u'0' + hive));
    for (const auto& component : path)
        key += u'\\' + component;
    // A value name may hold a backslash, a key name may not: a NUL parts them.
    key += u'\0';
    key += folded(value);
    return key;
}

void ChangeNames::add(const Location& key, std::string_view value, ValueEntry entry)
{
    m_values[valueKey(key.hive, key.path, core::text::toUtf16(value))].push_back(std::move(entry));
}

void ChangeNames::addWindow(const chrome::WindowDefinition& window)
{
    for (const auto& row : window.options) {
        const chrome::Component* target = window.find(row.target);
        const std::string option = target ? chrome::accessibleName(*target) : row.target;
        addAction(window.caption + " / " + option, row.action);
    }
}

void ChangeNames::addAction(const std::string& name, const chrome::Action& action)
{
    if (action.steps.empty())
        return;
    const Location key = locate(action.key.root, action.key.path);
    for (const auto& step : action.steps) {
        switch (step.kind) {
        case chrome::OptionStepKind::WriteInteger: {
            const auto bits = static_cast<std::uint32_t>(step.integer);
            add(key, step.name,
                {Effect::Set,
                 core::RegDword,
                 {static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8),
                  static_cast<std::uint8_t>(bits >> 16), static_cast<std::uint8_t>(bits >> 24)},
                 name});
            break;
        }
        case chrome::OptionStepKind::WriteString:
            add(key, step.name, {Effect::Set, core::RegSz, core::stringData(core::text::toUtf16(step.text)), name});
            break;
        case chrome::OptionStepKind::DeleteValue: add(key, step.name, {Effect::Remove, 0, {}, name}); break;
        case chrome::OptionStepKind::DeleteKey: {
            // A path from the root starts with a backslash; any other starts at the opened key.
            Location removed = step.name.starts_with('\\') ? locate(action.key.root, step.name) : key;
            if (!step.name.starts_with('\\'))
                appendComponents(removed.path, step.name);
            m_keys.push_back({removed.hive, std::move(removed.path), name});
            break;
        }
        }
    }
}

void ChangeNames::addAnyData(const std::string& name, core::RootKey root, std::string_view key, std::string_view value,
                             bool removal)
{
    add(locate(root, key), value, {removal ? Effect::RemoveAny : Effect::SetAny, 0, {}, name});
}

std::string ChangeNames::valueName(const KeyChange& key, const ValueChange& value) const
{
    std::vector<std::u16string> path;
    path.reserve(key.path.size());
    for (const auto& component : key.path)
        path.push_back(folded(component));
    const auto found = m_values.find(valueKey(key.hive, path, value.name));
    if (found == m_values.end())
        return {};
    std::vector<std::string> names;
    for (const auto& entry : found->second) {
        const bool matches = value.after ? entry.effect == Effect::SetAny ||
                                               (entry.effect == Effect::Set && entry.type == value.after->type &&
                                                entry.data == value.after->data)
                                         : entry.effect == Effect::Remove || entry.effect == Effect::RemoveAny;
        if (matches)
            appendName(names, entry.name);
    }
    return joined(names);
}

std::string ChangeNames::keyName(const KeyChange& key) const
{
    if (key.state != KeyState::Removed)
        return {};
    std::vector<std::string> names;
    for (const auto& entry : m_keys) {
        if (entry.hive != key.hive || entry.path.size() > key.path.size())
            continue;
        if (std::equal(entry.path.begin(), entry.path.end(), key.path.begin(),
                       [](const std::u16string& a, const std::u16string& b) { return a == folded(b); }))
            appendName(names, entry.name);
    }
    return joined(names);
}

const ChangeNames& programChangeNames()
{
    static const ChangeNames names = [] {
        ChangeNames out;
        for (const auto* window : app::skinnedDefinitions())
            out.addWindow(*window);
        // The refused-program list: each entry's "BLOKUJ" writes the program's name the user
        // typed, its "ODBLOKUJ" removes it.
        namespace refused = sections::refused_programs;
        const auto& protection = sections::protectionDefinition();
        const auto targetName = [&](const char* target) {
            const chrome::Component* component = protection.find(target);
            return protection.caption + " / " + (component ? chrome::accessibleName(*component) : target);
        };
        for (const auto& entry : refused::kEntries) {
            out.addAnyData(targetName(entry.block), core::RootKey::CurrentUser, refused::kListKey, entry.value, false);
            out.addAnyData(targetName(entry.unblock), core::RootKey::CurrentUser, refused::kListKey, entry.value, true);
        }
        out.addAction(protection.caption + ", przy każdym uruchomieniu programu", refused::startupWrite());
        return out;
    }();
    return names;
}

} // namespace restoretool
