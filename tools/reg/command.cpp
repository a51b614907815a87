#include "tools/reg/command.h"

#include "core/text/ascii.h"
#include "core/text/unicode.h"
#include "core/registry/hive_text.h"
#include "core/registry/value_data.h"

#include <algorithm>
#include <iterator>

namespace regtool {
namespace {

using core::RegStatus;

struct RootName {
    std::string_view shortName;
    std::string_view longName;
    core::RootKey root;
};

constexpr RootName Roots[] = {
    {"HKLM", "HKEY_LOCAL_MACHINE", core::RootKey::LocalMachine},
    {"HKCU", "HKEY_CURRENT_USER", core::RootKey::CurrentUser},
    {"HKCR", "HKEY_CLASSES_ROOT", core::RootKey::ClassesRoot},
};

// A key's name that tells it apart from every other: the hive and the path in lower case
// (HKEY_CLASSES_ROOT being HKEY_LOCAL_MACHINE\Software\Classes).
std::string realName(core::RootKey root, std::string_view path)
{
    std::string name = root == core::RootKey::CurrentUser   ? "u"
                       : root == core::RootKey::ClassesRoot ? "m\\software\\classes"
                                                            : "m";
    if (!path.empty())
        name += "\\" + core::text::asciiLower(path);
    return name;
}

// The key that a symbolic link key of a Wine prefix points to: "\Registry\Machine\..." or
// the user hive's "\Registry\User\S-1-5-21-0-0-0-1000\...".
std::optional<std::pair<core::RootKey, std::string>> linkTarget(const std::vector<std::uint8_t>& data)
{
    const std::string target = core::text::toUtf8(core::dataString(data));
    for (const auto& [prefix, root] :
         {std::pair<std::string, core::RootKey>{"\\registry\\machine\\", core::RootKey::LocalMachine},
          {"\\registry\\user\\s-1-5-21-0-0-0-1000\\", core::RootKey::CurrentUser}}) {
        if (core::text::asciiLower(target.substr(0, prefix.size())) == prefix && target.size() > prefix.size())
            return std::pair(root, target.substr(prefix.size()));
    }
    return std::nullopt;
}

} // namespace

const char* const RootList = N_("     Format: ROOT\\Subkey\n"
                                "\n"
                                "     ROOT: A predefined registry key. This must be one of the following:\n"
                                "\n"
                                "         HKEY_LOCAL_MACHINE  | HKLM\n"
                                "         HKEY_CURRENT_USER   | HKCU\n"
                                "         HKEY_CLASSES_ROOT   | HKCR\n"
                                "\n"
                                "     Subkey: The full path to a registry key under a given ROOT key.\n"
                                "\n");

std::string invalidSyntax(std::string_view operation)
{
    return format(tr("reg: Invalid syntax. Type \"dostrojnik-reg %1 /?\" for help.\n"),
                  {core::text::asciiLower(operation)});
}

std::string KeyName::display() const
{
    std::string name;
    for (const RootName& entry : Roots)
        if (entry.root == root)
            name = entry.longName;
    return shown.empty() ? name : name + "\\" + shown;
}

std::optional<std::string> parseKey(std::string_view text, KeyName& key)
{
    if (text.size() < 3 || text.ends_with("\\\\"))
        return std::string(tr("reg: Invalid registry key\n"));
    if (text.starts_with("\\\\") && text[2] != '\\')
        return std::string(tr("reg: Unable to access remote machine\n"));
    const std::size_t separator = text.find('\\');
    const std::string_view given = text.substr(0, separator);
    // Read for every key of an import: compared in place, without copies.
    const auto same = [given](std::string_view name) {
        return std::equal(given.begin(), given.end(), name.begin(), name.end(), [](char a, char b) {
            return (a >= 'A' && a <= 'Z' ? static_cast<char>(a - 'A' + 'a') : a) ==
                   (b >= 'A' && b <= 'Z' ? static_cast<char>(b - 'A' + 'a') : b);
        });
    };
    const auto known = std::find_if(std::begin(Roots), std::end(Roots), [&](const RootName& entry) {
        return same(entry.shortName) || same(entry.longName);
    });
    const std::string root = known != std::end(Roots) ? std::string() : core::text::asciiLower(given);
    if (known != std::end(Roots))
        key.root = known->root;
    else if (root == "hku" || root == "hkey_users" || root == "hkcc" || root == "hkey_current_config")
        return format(tr("reg: The emulated machine has no %1; its roots are HKLM, HKCU and HKCR\n"),
                      {text.substr(0, separator)});
    else
        return std::string(tr("reg: Invalid system key\n"));
    if (separator == std::string_view::npos)
        return std::nullopt;
    std::string_view rest = text.substr(separator + 1);
    if (rest.empty())
        return std::string(tr("reg: Invalid system key\n"));
    if (rest.ends_with('\\'))
        rest.remove_suffix(1);
    key.shown = rest;
    // Each name with one separator after it: runs of separators count as one.
    if (!rest.starts_with('\\') && rest.find("\\\\") == std::string_view::npos) {
        key.path = rest;
        return std::nullopt;
    }
    key.path.reserve(rest.size());
    for (std::size_t pos = 0; pos < rest.size();) {
        const std::size_t end = std::min(rest.find('\\', pos), rest.size());
        if (end > pos)
            key.path.append(rest.substr(pos, end - pos)).append(end < rest.size() ? "\\" : "");
        pos = end + 1;
    }
    if (!key.path.empty() && key.path.back() == '\\')
        key.path.pop_back();
    return std::nullopt;
}

std::optional<std::string> keyLimitProblem(const KeyName& key)
{
    std::size_t depth = key.root == core::RootKey::ClassesRoot ? 2 : 0;
    std::size_t pos = 0;
    while (pos < key.path.size()) {
        const std::size_t end = std::min(key.path.find('\\', pos), key.path.size());
        if (core::text::toUtf16(std::string_view(key.path).substr(pos, end - pos)).size() >
            core::registry::MaxKeyNameLength)
            return format(tr("has a name longer than %1 characters"),
                          {std::to_string(core::registry::MaxKeyNameLength)});
        if (++depth > core::registry::MaxKeyDepth)
            return format(tr("lies more than %1 levels below its root"), {std::to_string(core::registry::MaxKeyDepth)});
        pos = end + 1;
    }
    return std::nullopt;
}

core::RegistryApi& Session::registry()
{
    if (!m_registry) {
        m_registry = &m_opener();
        m_registry->beginBatch();
    }
    return *m_registry;
}

int Session::finish(int status)
{
    if (m_registry && m_registry->endBatch(status == 0) != RegStatus::Success)
        return failBecause(tr("Unable to write the registry"));
    if (status == 0 && m_succeeded)
        say(tr(Success));
    return status;
}

int Session::failBecause(const std::string& what)
{
    const std::string why = registry().lastFailure();
    return fail("reg: " + what + (why.empty() ? std::string() : ": " + why) + "\n");
}

bool Session::ask(const std::string& question)
{
    // The letters that answer follow "(" and "|" in the translated "(Yes|No)"; Y and N always do.
    const std::string choices = tr(" (Yes|No)");
    const auto letterAfter = [&choices](char mark, char english) {
        const std::size_t at = choices.find(mark);
        return at != std::string::npos && at + 1 < choices.size() ? choices[at + 1] : english;
    };
    const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
    const auto is = [&upper](char c, char letter, char english) {
        return upper(c) == upper(letter) || upper(c) == english;
    };
    const char yes = letterAfter('(', 'Y');
    const char no = letterAfter('|', 'N');
    for (;;) {
        say(question + choices);
        const auto answer = m_console.readLine();
        if (!answer) {
            say("\n");
            return false;
        }
        const std::size_t first = answer->find_first_not_of(" \t");
        if (first != std::string::npos && is(answer->at(first), yes, 'Y'))
            return true;
        if (first != std::string::npos && is(answer->at(first), no, 'N'))
            return false;
    }
}

core::KeyHandle Session::open(const KeyName& key, core::Access access, RegStatus& status)
{
    core::KeyHandle handle;
    status = registry().openKey(core::rootHandle(key.root), key.path, access, handle);
    return handle;
}

core::KeyHandle Session::openFollowingLinks(core::KeyHandle parent, const std::string& name, RegStatus& status,
                                            std::string* real)
{
    auto& reg = registry();
    core::KeyHandle handle;
    status = reg.openKey(parent, name, core::Access::Read, handle);
    for (int hops = 0; status == RegStatus::Success && hops < 16; ++hops) {
        core::RegValue link;
        if (reg.queryValue(handle, "SymbolicLinkValue", link) != RegStatus::Success || link.type != core::RegLink)
            break;
        reg.closeKey(handle);
        handle = core::KeyHandle{};
        const auto target = linkTarget(link.data);
        status = target ? reg.openKey(core::rootHandle(target->first), target->second, core::Access::Read, handle)
                        : RegStatus::NotFound;
        if (target && real)
            *real = realName(target->first, target->second);
    }
    return handle;
}

core::KeyHandle Session::openPathFollowingLinks(const KeyName& key, RegStatus& status)
{
    auto& reg = registry();
    // The whole path first, so that the registry reads its hive for that key and the keys above
    // it; a key missing so may still be reached through a link on the way.
    core::KeyHandle whole;
    if (!key.path.empty()) {
        status = reg.openKey(core::rootHandle(key.root), key.path, core::Access::Read, whole);
        if (status != RegStatus::Success && status != RegStatus::NotFound)
            return core::KeyHandle{};
    }
    core::KeyHandle handle = core::rootHandle(key.root);
    status = RegStatus::Success;
    std::size_t pos = 0;
    while (pos < key.path.size()) {
        const std::size_t end = std::min(key.path.find('\\', pos), key.path.size());
        const core::KeyHandle parent = handle;
        handle = openFollowingLinks(parent, key.path.substr(pos, end - pos), status);
        // A failure keeps its handles open: closing one would forget the reason.
        if (status != RegStatus::Success)
            return core::KeyHandle{};
        if (parent != core::rootHandle(key.root))
            reg.closeKey(parent);
        pos = end + 1;
    }
    if (whole)
        reg.closeKey(whole);
    return handle;
}

std::optional<int> Session::openToRead(const std::string& argument, KeyName& key, core::KeyHandle& handle, bool walk)
{
    if (const auto error = parseKey(argument, key))
        return fail(*error);
    RegStatus status;
    // A walk needs every line of the hive: one that cannot be read fails the command before it
    // says anything, rather than leaving the keys out.
    if (core::KeyInfo info;
        walk && !key.path.empty() && registry().queryInfoKey(core::rootHandle(key.root), info) == RegStatus::BadHive)
        return failBecause(tr("Unable to read the registry"));
    handle = openPathFollowingLinks(key, status);
    if (key.path.empty()) {
        // A root is open without a look at its hive, which may not be readable.
        core::KeyInfo info;
        status = registry().queryInfoKey(handle, info);
    }
    if (status == RegStatus::NotFound)
        return fail(tr(KeyMissing));
    if (status != RegStatus::Success)
        return failBecause(tr("Unable to read the registry"));
    return std::nullopt;
}

std::vector<std::string> Session::subkeysOf(core::KeyHandle key)
{
    std::vector<std::string> names;
    registry().enumKeys(key, names);
    return names;
}

std::vector<core::RegValue> Session::valuesOf(core::KeyHandle key)
{
    std::vector<core::RegValue> values;
    registry().enumValues(key, values);
    return values;
}

bool Session::deleteTree(core::RootKey root, const std::string& path)
{
    // Every key of the tree, parents first, then deleted from the last: children before parents.
    auto& reg = registry();
    std::vector<std::string> keys{path};
    for (std::size_t i = 0; i < keys.size(); ++i) {
        core::KeyHandle handle;
        if (reg.openKey(core::rootHandle(root), keys[i], core::Access::Read, handle) != RegStatus::Success)
            return false;
        for (const auto& name : subkeysOf(handle))
            keys.push_back(keys[i] + "\\" + name);
        reg.closeKey(handle);
    }
    for (auto it = keys.rbegin(); it != keys.rend(); ++it)
        if (reg.deleteKey(core::rootHandle(root), *it) != RegStatus::Success)
            return false;
    return true;
}

bool Session::walkBelow(core::KeyHandle top, const std::string& path, const KeyName& topName, bool stopOnError,
                        const Visit& visit)
{
    return walkKeys(top, path, realName(topName.root, topName.path), {}, stopOnError, visit);
}

bool Session::walkKeys(core::KeyHandle top, const std::string& path, const std::string& real,
                       const std::vector<std::string>& outer, bool stopOnError, const Visit& visit)
{
    // Below a link's target a key may be one the walk is inside of; elsewhere a key's real name
    // is longer than those of the keys above it.
    const auto inside = [&outer](const std::string& name) {
        return std::find(outer.begin(), outer.end(), name) != outer.end();
    };
    bool complete = true;
    std::string shown; // the key's path as the visitor gets it, its memory kept from key to key
    const RegStatus status =
        registry().walkBelow(top, [&](const std::string& relative, std::vector<core::RegValue>& values) {
            const bool link = std::any_of(values.begin(), values.end(), [](const core::RegValue& value) {
                return value.type == core::RegLink &&
                       core::text::compareNoCase(core::text::toUtf16(value.name), u"SymbolicLinkValue") == 0;
            });
            std::string keyReal =
                outer.empty() && !link ? std::string() : real + "\\" + core::text::asciiLower(relative);
            if (!link) {
                if (!outer.empty() && inside(keyReal))
                    return core::WalkStep::Over;
                shown.assign(path).append("\\").append(relative);
                visit(shown, values);
                return core::WalkStep::Into;
            }
            std::vector<std::string> above(outer);
            above.push_back(real);
            for (std::size_t at = relative.find('\\'); at != std::string::npos; at = relative.find('\\', at + 1))
                above.push_back(real + "\\" + core::text::asciiLower(std::string_view(relative).substr(0, at)));
            RegStatus opened;
            const core::KeyHandle target = openFollowingLinks(top, relative, opened, &keyReal);
            if (opened != RegStatus::Success) {
                if (opened == RegStatus::NotFound || !stopOnError)
                    return core::WalkStep::Over;
                complete = false;
                return core::WalkStep::Stop;
            }
            bool walked = true;
            if (std::find(above.begin(), above.end(), keyReal) == above.end()) {
                visit(path + "\\" + relative, valuesOf(target));
                walked = walkKeys(target, path + "\\" + relative, keyReal, above, stopOnError, visit);
            }
            registry().closeKey(target);
            complete = complete && walked;
            return walked ? core::WalkStep::Over : core::WalkStep::Stop;
        });
    return complete && (status == RegStatus::Success || !stopOnError);
}

} // namespace regtool
