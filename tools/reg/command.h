#pragma once

#include "core/registry/registry_api.h"
#include "tools/locale/locale_text.h"
#include "tools/reg/reg_tool.h"
#include "tools/reg/value_text.h"

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace regtool {

using localetext::format;
using localetext::N_;
using localetext::tr;

// The tool's messages in English; they go out through tr().
inline constexpr const char* Success = N_("reg: The operation completed successfully\n");
inline constexpr const char* Cancelled = N_("reg: The registry operation was cancelled\n");
inline constexpr const char* KeyMissing = N_("reg: Unable to find the specified registry key\n");
inline constexpr const char* ValueMissing = N_("reg: Unable to find the specified registry value\n");

// The lines of every operation's help that explain ROOT\Subkey.
extern const char* const RootList;

std::string invalidSyntax(std::string_view operation);

// A key argument: its root, and the path below it as written and as the registry takes it.
struct KeyName {
    core::RootKey root = core::RootKey::CurrentUser;
    std::string shown; // the path below the root as the user wrote it, for messages and output
    std::string path;  // the same with runs of separators taken as one, for the registry
    std::string display() const;
};

// Reads "HKCU\Software\x" as Wine's reg does; on failure returns its message, translated.
std::optional<std::string> parseKey(std::string_view text, KeyName& key);
// Why a key is beyond Windows' limits (a name over 255 characters, more than 512 levels below
// its root), translated, in words that follow "the key 'NAME' "; nothing when it is within them.
std::optional<std::string> keyLimitProblem(const KeyName& key);

// The options of one operation after its key: "/v name" style options take the next argument.
struct Options {
    std::map<std::string, std::string> values; // option (lower case, without '/') -> argument
    // The host file the operation reads or writes, in the command line's own bytes: a Linux file
    // name is bytes, whatever the locale makes of them.
    std::filesystem::path file;
    bool has(const std::string& name) const { return values.count(name) != 0; }
    std::string get(const std::string& name) const { return has(name) ? values.at(name) : std::string(); }
};

// What one command works with: the registry, the console, and the messages and questions
// that every command words alike. The command's registry calls are one batch: each hive is
// read once, and written once when the command has succeeded.
class Session {
public:
    Session(const RegistryOpener& opener, Console& console) : m_opener(opener), m_console(console) {}

    // Opened at the first call, which begins the batch.
    core::RegistryApi& registry();
    // Ends the batch, keeping its changes when the command succeeded (`status` 0); the command's
    // success is told only once they are written. Returns the command's exit status.
    int finish(int status);
    // The command succeeded; "The operation completed successfully" follows once it is written.
    int succeed()
    {
        m_succeeded = true;
        return 0;
    }
    void say(std::string_view text) { m_console.write(text); }
    int fail(std::string_view text)
    {
        say(text);
        return 1;
    }
    // "reg: <what>" (translated by the caller), and after a colon why the registry failed when it tells.
    int failBecause(const std::string& what);
    // Asks until the answer begins with the first letter of Yes or No (of the user's language, or
    // English); the end of the input counts as No.
    bool ask(const std::string& question);

    core::KeyHandle open(const KeyName& key, core::Access access, core::RegStatus& status);
    // Opens a subkey for reading as Wine does: a symbolic link key stands for its target, and a
    // link whose target is missing for nothing.
    // `real`, when given, is the key's real name (its parent's real name and `name`) and becomes
    // the link's target when a link is followed.
    core::KeyHandle openFollowingLinks(core::KeyHandle parent, const std::string& name, core::RegStatus& status,
                                       std::string* real = nullptr);
    // Reads the key argument and opens the key for reading, links followed; when it cannot,
    // says why and gives the exit status. With `walk`, the command reads all below the key, and
    // the key's hive is read whole at once rather than for that key first (and must be readable).
    std::optional<int> openToRead(const std::string& argument, KeyName& key, core::KeyHandle& handle,
                                  bool walk = false);

    std::vector<std::string> subkeysOf(core::KeyHandle key);
    std::vector<core::RegValue> valuesOf(core::KeyHandle key);
    // Deletes a key with everything below it, deepest keys first.
    bool deleteTree(core::RootKey root, const std::string& path);

    // Visits every key below the open key `top` (named `path`), parents first and subkeys in
    // the registry's order, each with its path below `path`. Links are followed as Wine follows
    // them; a link to a key that the walk is inside of is left out, so a loop ends. A subkey
    // that cannot be opened is left out, or with `stopOnError` ends the walk with false (a link
    // to nowhere is always left out). The registry hands over each key's values as it walks.
    using Visit = std::function<void(const std::string& path, const std::vector<core::RegValue>& values)>;
    bool walkBelow(core::KeyHandle top, const std::string& path, const KeyName& topName, bool stopOnError,
                   const Visit& visit);

private:
    // The walk below an open key whose real name is `real`; `outer` are the real names of the
    // keys the walk is inside of, above the link it followed to `top`.
    bool walkKeys(core::KeyHandle top, const std::string& path, const std::string& real,
                  const std::vector<std::string>& outer, bool stopOnError, const Visit& visit);
    core::KeyHandle openPathFollowingLinks(const KeyName& key, core::RegStatus& status);

    const RegistryOpener& m_opener;
    Console& m_console;
    core::RegistryApi* m_registry = nullptr;
    bool m_succeeded = false;
};

// One operation of the tool: its name, help, syntax and work. `run` gets the arguments after
// the operation's name split into the positional ones and the options.
struct Command {
    std::string_view name;
    std::string (*help)();
    std::size_t positionals;               // arguments before the options, all required
    std::vector<std::string> flags;        // options without an argument
    std::vector<std::string> withArgument; // options that take the next argument
    std::optional<std::size_t> hostFile;   // the positional one that names a host file
    int (*run)(Session& session, const std::vector<std::string>& positionals, const Options& options);
};

extern const Command QueryCommand;
extern const Command AddCommand;
extern const Command DeleteCommand;
extern const Command ExportCommand;
extern const Command ImportCommand;

} // namespace regtool
