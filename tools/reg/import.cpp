// REG IMPORT: a registry editor file into the registry.

#include "tools/reg/command.h"

#include "core/io/atomic_file.h"
#include "core/text/unicode.h"
#include "tools/reg/reg_file.h"

#include <filesystem>

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
    std::string bytes;
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
    if (!parseRegFile(bytes, contents, error))
        return session.fail(format(tr("reg: Unable to import '%1': %2\n"), {args[0], error}));

    // Every key must name a root of this machine before anything is written.
    std::vector<KeyName> keys;
    for (const RegFileKey& entry : contents.keys) {
        KeyName key;
        const std::string path = core::text::toUtf8(entry.path);
        const auto failure = [&](const std::string& why) {
            return session.fail(format(tr("reg: Unable to import '%1': line %2: the key '%3' %4\n"),
                                       {args[0], std::to_string(entry.line), path, why}));
        };
        if (const auto problem = parseKey(path, key); problem || (entry.remove && key.path.empty()))
            return failure(tr("is not one this machine can hold"));
        if (const auto problem = keyLimitProblem(key))
            return failure(*problem);
        keys.push_back(key);
    }
    for (const auto& warning : contents.warnings)
        session.say(warning + "\n");

    auto& reg = session.registry();
    // A key mostly follows its parent or a sibling, so each is made below the parent of the key
    // before when it can be, without a look-up of the whole path.
    core::KeyHandle parent;
    KeyName parentName;
    const auto closeParent = [&] {
        if (parent && parent != core::rootHandle(parentName.root))
            reg.closeKey(parent);
        parent = core::KeyHandle{};
    };
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const RegFileKey& entry = contents.keys[i];
        const KeyName& key = keys[i];
        if (entry.remove) {
            closeParent();
            core::KeyHandle existing;
            if (reg.openKey(core::rootHandle(key.root), key.path, core::Access::Read, existing) == RegStatus::Success) {
                reg.closeKey(existing);
                if (!session.deleteTree(key.root, key.path))
                    return session.failBecause(format(tr("Unable to delete the registry key '%1'"), {key.display()}));
            }
            continue;
        }
        const std::size_t split = key.path.rfind('\\');
        const std::string parentPath = split == std::string::npos ? std::string() : key.path.substr(0, split);
        if (!parent || parentName.root != key.root || parentName.path != parentPath) {
            closeParent();
            parentName.root = key.root;
            parentName.path = parentPath;
            const core::KeyHandle root = core::rootHandle(key.root);
            parent = root;
            if (!parentPath.empty() &&
                reg.createKey(root, parentPath, core::Access::AllAccess, parent) != RegStatus::Success)
                return session.failBecause(format(tr("Unable to import the registry key '%1'"), {key.display()}));
        }
        core::KeyHandle handle;
        const std::string childName = split == std::string::npos ? key.path : key.path.substr(split + 1);
        if (reg.createKey(parent, childName, core::Access::AllAccess, handle) != RegStatus::Success) {
            const int result =
                session.failBecause(format(tr("Unable to import the registry key '%1'"), {key.display()}));
            closeParent();
            return result;
        }
        for (const RegFileValue& value : entry.values) {
            const std::string name = core::text::toUtf8(value.name);
            const RegStatus status =
                value.remove ? reg.deleteValue(handle, name) : reg.setValue(handle, name, value.type, value.data);
            if (status != RegStatus::Success && !(value.remove && status == RegStatus::NotFound)) {
                // Told before the key is closed, which forgets why the registry failed.
                const int result =
                    session.failBecause(format(tr("Unable to import the registry key '%1'"), {key.display()}));
                reg.closeKey(handle);
                closeParent();
                return result;
            }
        }
        reg.closeKey(handle);
    }
    closeParent();
    session.succeed();
    return 0;
}

} // namespace

const Command ImportCommand{"import", importHelp, 1, {}, {}, 0, import};

} // namespace regtool
