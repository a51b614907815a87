// REG IMPORT: a registry editor file into the registry.

#include "tools/reg/command.h"

#include "core/io/atomic_file.h"
#include "core/registry/hive_text.h"
#include "core/text/unicode.h"
#include "tools/reg/reg_file.h"

#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

namespace regtool {
namespace {

using core::RegStatus;

std::string importHelp()
{
    return tr("REG IMPORT <file>\n"
              "\n"
              "  Imports keys, values and data from a given file into the registry.\n"
              "  The file is a registry editor file (\"Windows Registry Editor Version 5.00\"\n"
              "  or \"REGEDIT4\"), in UTF-16 as REG EXPORT writes it, or in UTF-8.\n"
              "\n"
              "  <file>\n"
              "     The name and path of the registry file to import.\n"
              "\n");
}

int import(Session& session, const std::vector<std::string>& args, const Options& options)
{
    const std::filesystem::path& file = options.file;
    // Mapped rather than read: the keys and values of a file in UTF-8 are read where they lie.
    core::io::FileText bytes;
    if (const auto failed = core::io::readFile(core::posixSystemCalls(), file, bytes, core::io::Links::Follow, nullptr,
                                               kLargestRegFile)) {
        if (failed == core::io::tooLarge())
            return session.fail(
                format(tr("reg: Unable to import '%1': the file is larger than %2, the most an import takes\n"),
                       {args[0], core::registry::sizeText(kLargestRegFile)}));
        return session.fail(format(failed == core::io::notARegularFile()
                                       ? tr("reg: The file '%1' is not a regular file.\n")
                                       : tr("reg: The file '%1' was not found.\n"),
                                   {args[0]}));
    }
    RegFile contents;
    std::string error;
    if (!parseRegFileText(std::move(bytes), contents, error))
        return session.fail(format(tr("reg: Unable to import '%1': %2\n"), {args[0], error}));

    // Every key must name a root of this machine before anything is written. The paths below
    // their roots, as the registry takes them, lie one after the other in `paths`.
    struct Target {
        core::RootKey root;
        std::size_t offset;
        std::size_t length;
    };
    std::vector<Target> targets;
    targets.reserve(contents.keys.size());
    std::string paths;
    std::size_t units = 0;
    for (const RegFileKey& entry : contents.keys)
        units += entry.path.size();
    paths.reserve(units);
    KeyName key;
    for (const RegFileKey& entry : contents.keys) {
        const std::string_view text = entry.path;
        key.shown.clear();
        key.path.clear();
        const auto failure = [&](const std::string& why) {
            return session.fail(format(tr("reg: Unable to import '%1': line %2: the key '%3' %4\n"),
                                       {args[0], std::to_string(entry.line), std::string(text), why}));
        };
        if (const auto problem = parseKey(text, key); problem || (entry.remove && key.path.empty()))
            return failure(tr("is not one this machine can hold"));
        // A path this short is within the limits whatever its characters.
        if (key.path.size() > core::registry::MaxKeyNameLength)
            if (const auto problem = keyLimitProblem(key))
                return failure(*problem);
        targets.push_back({key.root, paths.size(), key.path.size()});
        paths += key.path;
    }
    for (const auto& warning : contents.warnings)
        session.say(warning + "\n");

    auto& reg = session.registry();
    const auto pathOf = [&paths](const Target& target) {
        return std::string_view(paths).substr(target.offset, target.length);
    };
    const auto importFailed = [&](const Target& target) {
        KeyName name;
        name.root = target.root;
        name.shown = pathOf(target);
        return session.failBecause(format(tr("Unable to import the registry key '%1'"), {name.display()}));
    };
    // Keys mostly follow their parent or a sibling, as an export writes them: each is made below
    // the key before or that key's parent when it can be, without a look-up of the whole path.
    struct Open {
        core::RootKey root{};
        std::string_view path;
        core::KeyHandle handle;
    };
    Open parent;
    Open last;
    const auto close = [&reg](Open& open) {
        if (open.handle && open.handle != core::rootHandle(open.root))
            reg.closeKey(open.handle);
        open = Open{};
    };
    const auto closeAll = [&] {
        close(parent);
        close(last);
    };
    // The part of `path` below the open key, when the open key is `path` itself or above it.
    const auto below = [](const Open& open, core::RootKey root,
                          std::string_view path) -> std::optional<std::string_view> {
        if (!open.handle || open.root != root)
            return std::nullopt;
        if (path == open.path)
            return std::string_view();
        if (path.size() > open.path.size() && path.starts_with(open.path) && path[open.path.size()] == '\\')
            return path.substr(open.path.size() + 1);
        return std::nullopt;
    };
    for (std::size_t i = 0; i < targets.size(); ++i) {
        const RegFileKey& entry = contents.keys[i];
        const Target& target = targets[i];
        const std::string_view path = pathOf(target);
        if (entry.remove) {
            closeAll();
            const std::string whole(path);
            core::KeyHandle existing;
            if (reg.openKey(core::rootHandle(target.root), whole, core::Access::Read, existing) == RegStatus::Success) {
                reg.closeKey(existing);
                if (!session.deleteTree(target.root, whole)) {
                    KeyName gone;
                    gone.root = target.root;
                    gone.shown = whole;
                    return session.failBecause(format(tr("Unable to delete the registry key '%1'"), {gone.display()}));
                }
            }
            continue;
        }
        const std::size_t split = path.rfind('\\');
        const std::string_view parentPath =
            split == std::string_view::npos ? std::string_view() : path.substr(0, split);
        const std::string_view childName = split == std::string_view::npos ? path : path.substr(split + 1);
        if (!parent.handle || parent.root != target.root || parent.path != parentPath) {
            // The new parent is reached from the key before, or from the old parent, or else from the root.
            Open next{target.root, parentPath, core::rootHandle(target.root)};
            Open* from = nullptr;
            std::optional<std::string_view> rest;
            if ((rest = below(last, target.root, parentPath)))
                from = &last;
            else if ((rest = below(parent, target.root, parentPath)))
                from = &parent;
            else
                rest = parentPath;
            if (from && rest->empty()) {
                // The key before is the new parent itself: its handle moves over.
                next.handle = from->handle;
                *from = Open{};
            } else if (!rest->empty() && reg.createKey(from ? from->handle : next.handle, std::string(*rest),
                                                       core::Access::AllAccess, next.handle) != RegStatus::Success) {
                const int result = importFailed(target);
                closeAll();
                return result;
            }
            close(parent);
            parent = next;
        }
        close(last);
        core::KeyHandle handle;
        if (reg.createKey(parent.handle, childName, core::Access::AllAccess, handle) != RegStatus::Success) {
            const int result = importFailed(target);
            closeAll();
            return result;
        }
        last = Open{target.root, path, handle};
        for (const RegFileValue& value : entry.values) {
            const RegStatus status = value.remove ? reg.deleteValue(handle, value.name)
                                                  : reg.setValue(handle, value.name, value.type, value.data);
            if (status != RegStatus::Success && !(value.remove && status == RegStatus::NotFound)) {
                // Told before the key is closed, which forgets why the registry failed.
                const int result = importFailed(target);
                closeAll();
                return result;
            }
        }
    }
    closeAll();
    session.succeed();
    return 0;
}

} // namespace

const Command ImportCommand{"import", importHelp, 1, {}, {}, 0, import};

} // namespace regtool
