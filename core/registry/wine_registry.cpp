#include "core/registry/wine_registry.h"

#include "core/io/atomic_file.h"
#include "core/registry/hive_file.h"
#include "core/registry/hive_text.h"
#include "core/registry/machine_hives.h"
#include "core/registry/wine_server.h"
#include "core/text/unicode.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <functional>
#include <future>
#include <optional>
#include <unordered_map>
#include <utility>

namespace core {

using registry::Hive;
using registry::HiveKey;
using registry::HiveValue;

namespace {

using registry::MaxKeyDepth;
using registry::MaxKeyNameLength;
constexpr std::size_t MaxValueNameLength = 16383; // UTF-16 units, as Windows allows

enum class Tree { System, User, Volatile };

using Path = std::vector<std::u16string>;

bool isHardware(const Path& path)
{
    return !path.empty() && text::equalNoCase(path[0], u"HARDWARE");
}

bool isPredefined(KeyHandle key)
{
    return key == rootHandle(RootKey::CurrentUser) || key == rootHandle(RootKey::LocalMachine) ||
           key == rootHandle(RootKey::ClassesRoot);
}

const Path& noPath()
{
    static const Path path;
    return path;
}

// HKEY_CLASSES_ROOT's place in HKEY_LOCAL_MACHINE.
const Path& classesPath()
{
    static const Path path{u"Software", u"Classes"};
    return path;
}

bool isAccessError(std::error_code error)
{
    return error == std::errc::permission_denied || error == std::errc::operation_not_permitted ||
           error == std::errc::read_only_file_system;
}

} // namespace

struct WineRegistry::State {
    struct HiveFile {
        std::filesystem::path path;
        std::u16string rootPath;  // what the header calls the hive's root
        std::optional<Hive> hive; // the last parse, reused while the file's text stays the same
        bool missing = false;     // `hive` stands for a file that does not exist
        struct stat identity {};  // of the file that was read last
        // In a batch: read once already, and holding changes that are not written yet.
        bool readInBatch = false;
        bool writableInBatch = false;
        bool pending = false;
        // The keys a batch that only reads said it would read, read together when the file is parsed.
        std::vector<Path> batchKeys;
        // The check of every line of a file read for a change without it, begun as soon as the
        // file is read, so that it runs beside the parse and the write on a second processor.
        // It reads the hive's text: whatever may free that text waits for it first (settleCheck).
        // Declared after `hive`, so that it ends before the text goes.
        std::future<bool> check;
        registry::HiveParseError checkError;
        bool checkFailed = false;
    };
    struct OpenKey {
        Tree tree;     // System or User; the volatile tree is told by the path
        Tree hiveTree; // the tree whose hive holds the key
        Path path;     // made from `key` when first asked for, unless `pathKnown`
        Access access;
        // Where the key was last found; good while `generation` is the registry's.
        HiveKey* key = nullptr;
        std::uint64_t generation = 0;
        bool pathKnown = true;

        const Path& fullPath()
        {
            if (!pathKnown) {
                for (const HiveKey* k = key; k->parent; k = k->parent)
                    path.push_back(k->name);
                std::reverse(path.begin(), path.end());
                pathKnown = true;
            }
            return path;
        }
    };
    struct Location {
        Tree tree = Tree::System;
        Tree hiveTree = Tree::System;
        const Path* keyPath = &noPath(); // of a predefined key
        Access access = Access::AllAccess;
        bool isRoot = false;
        OpenKey* open = nullptr; // the handle's entry, for a key that is not predefined
        const Path& path() const { return open ? open->fullPath() : *keyPath; }
    };

    std::filesystem::path root;
    SystemCalls& calls;
    EnvironmentLookup environment;
    HiveFile system;
    HiveFile user;
    // HARDWARE, made when first asked for: finding the processor's speed costs more than many a command.
    Hive volatileHive;
    std::function<std::uint32_t()> cpuMhz;
    bool volatileMade = false;
    std::unordered_map<std::uint32_t, OpenKey> handles;
    std::uint32_t nextHandle = 1;
    // Counts what may free keys that handles point at: a hive read anew or dropped, a key deleted.
    std::uint64_t generation = 1;
    std::string lastFailure;
    bool inBatch = false;
    bool readOnlyBatch = false;
    io::FolderLock batchLock; // taken at a batch's first change, held to its end
    bool batchLocked = false;
    std::u16string quickName;
    // The time a batch writes into the keys it changes: the clock is read once for them all.
    std::uint64_t batchTime = 0;
    std::function<void()> beforeFirstChange;

    State(std::filesystem::path rootFolder, SystemCalls& systemCalls, EnvironmentLookup environmentLookup)
        : root(std::move(rootFolder))
        , calls(systemCalls)
        , environment(std::move(environmentLookup))
    {
        system.path = root / registry::SystemHive.file;
        system.rootPath = registry::SystemHive.rootPath;
        user.path = root / registry::UserHive.file;
        user.rootPath = registry::UserHive.rootPath;
        volatileHive = Hive::empty({});
    }

    Hive& volatileTree()
    {
        if (!volatileMade) {
            volatileMade = true;
            const Path processor{u"HARDWARE", u"DESCRIPTION", u"System", u"CentralProcessor", u"0"};
            bool created = false;
            const auto now = registry::currentFileTime();
            HiveKey& key = volatileHive.create(processor, now, created);
            const std::uint32_t mhz = cpuMhz ? cpuMhz() : 0;
            HiveValue value{u"~MHz",
                            RegDword,
                            {static_cast<std::uint8_t>(mhz), static_cast<std::uint8_t>(mhz >> 8),
                             static_cast<std::uint8_t>(mhz >> 16), static_cast<std::uint8_t>(mhz >> 24)}};
            volatileHive.setValue(key, std::move(value), now);
        }
        return volatileHive;
    }

    std::uint64_t changeTime()
    {
        if (!inBatch)
            return registry::currentFileTime();
        if (batchTime == 0)
            batchTime = registry::currentFileTime();
        return batchTime;
    }

    RegStatus fail(RegStatus status, std::string reason)
    {
        lastFailure = std::move(reason);
        return status;
    }

    HiveFile& fileOf(Tree tree) { return tree == Tree::User ? user : system; }

    // Checks every line of `text` on a second thread; the text must stay until settleCheck.
    static void startCheck(HiveFile& file, std::string_view text, const Path& focus)
    {
        file.checkFailed = false;
        file.check = std::async(std::launch::async,
                                [text, focus, &error = file.checkError] { return Hive::check(text, focus, error); });
    }

    // Waits for the check of a file's text, if one runs; true when it found the file unreadable.
    static bool settleCheck(HiveFile& file)
    {
        if (file.check.valid())
            file.checkFailed = !file.check.get();
        return file.checkFailed;
    }

    // Forgets the check, which stands for a text that is read anew or changed otherwise.
    static void dropCheck(HiveFile& file)
    {
        settleCheck(file);
        file.checkFailed = false;
    }

    static Tree treeOf(Tree tree, const Path& path)
    {
        return tree == Tree::System && isHardware(path) ? Tree::Volatile : tree;
    }

    // A key named by a parent key and a path below it, with the hive that holds it as its file
    // reads now.
    struct Target {
        Location parent;
        Path path; // from the parent's root: the parent's path and the given one
        Tree tree = Tree::System;
        Hive* hive = nullptr;
    };

    // Every call starts here: it forgets the last failure and finds the key it works on.
    RegStatus begin(KeyHandle key, Location& location)
    {
        lastFailure.clear();
        location = Location{};
        if (key == rootHandle(RootKey::CurrentUser)) {
            location.tree = location.hiveTree = Tree::User;
            location.isRoot = true;
        } else if (key == rootHandle(RootKey::LocalMachine)) {
            location.isRoot = true;
        } else if (key == rootHandle(RootKey::ClassesRoot)) {
            location.keyPath = &classesPath();
            location.isRoot = true;
        } else {
            const auto it = handles.find(key.id);
            if (it == handles.end())
                return fail(RegStatus::InvalidHandle, "the key handle is not open");
            location.tree = it->second.tree;
            location.hiveTree = it->second.hiveTree;
            location.access = it->second.access;
            location.open = &it->second;
        }
        return RegStatus::Success;
    }

    // The start of a call that names a key by a parent and a path below it.
    RegStatus beginPath(KeyHandle parent, std::string_view path, Target& target, bool write)
    {
        if (const RegStatus status = begin(parent, target.parent); status != RegStatus::Success)
            return status;
        const Path& parentPath = target.parent.path();
        target.path.reserve(parentPath.size() + 1 +
                            static_cast<std::size_t>(std::count(path.begin(), path.end(), '\\')));
        target.path.assign(parentPath.begin(), parentPath.end());
        if (const RegStatus status = splitPath(path, target.path); status != RegStatus::Success)
            return status;
        if (target.path.size() > MaxKeyDepth)
            return fail(RegStatus::InvalidParameter,
                        "a key lies at most " + std::to_string(MaxKeyDepth) + " levels below its root");
        target.tree = treeOf(target.parent.tree, target.path);
        return loadHive(target.tree, target.hive, Need{&target.path, write});
    }

    // The key a path names; where it is missing below an open key, that key is looked for in the
    // whole hive, to tell whether it was deleted meanwhile.
    RegStatus keyOrParent(Target& target, HiveKey*& key)
    {
        key = keyOf(target);
        if (!key && !target.parent.isRoot && target.hive->focused())
            if (const RegStatus status = loadHive(target.tree, target.hive); status != RegStatus::Success)
                return status;
        if (!key)
            key = keyOf(target);
        return RegStatus::Success;
    }

    // The key of a location in its hive: where its handle found it last, while no key may have
    // been freed since, or else looked up from the root.
    HiveKey* keyOf(const Location& location, Hive& hive)
    {
        OpenKey* open = location.open;
        if (open && open->key && open->generation == generation)
            return open->key;
        HiveKey* key = hive.find(location.path());
        if (open) {
            open->key = key;
            open->generation = generation;
        }
        return key;
    }

    // The key a path names, looked up below the open key it is relative to when that key is at hand.
    HiveKey* keyOf(const Target& target)
    {
        const Location& parent = target.parent;
        if (!parent.open || target.tree != parent.hiveTree)
            return target.hive->find(target.path);
        HiveKey* from = keyOf(parent, *target.hive);
        if (!from)
            return nullptr;
        return target.hive->find(*from, std::span(target.path).subspan(parent.path().size()));
    }

    // Makes the keys of the target's path that are missing, below its parent when that is at hand.
    HiveKey& create(const Target& target, Hive& hive, std::uint64_t now, bool& created)
    {
        const Location& parent = target.parent;
        if (parent.open && target.tree == parent.hiveTree)
            if (HiveKey* from = keyOf(parent, hive))
                return hive.create(*from, std::span(target.path).subspan(parent.path().size()), now, created);
        return hive.create(target.path, now, created);
    }

    // Another process deleted the key after this one opened it; a predefined key always exists.
    bool wasDeleted(const Location& location, Hive& hive) { return !location.isRoot && !keyOf(location, hive); }

    RegStatus keyDeleted() { return fail(RegStatus::KeyDeleted, "the open key was deleted meanwhile"); }

    RegStatus splitPath(std::string_view path, Path& out)
    {
        std::size_t pos = 0;
        while (!path.empty() && pos <= path.size() && out.size() <= MaxKeyDepth) {
            const std::size_t end = std::min(path.find('\\', pos), path.size());
            std::u16string& name = out.emplace_back();
            hiveName(path.substr(pos, end - pos), name);
            if (name.empty() || name.size() > MaxKeyNameLength || name.find(u'\0') != std::u16string::npos) {
                out.pop_back();
                return fail(RegStatus::InvalidParameter,
                            "\"" + std::string(path) + "\" is not a key name the registry takes");
            }
            pos = end + 1;
        }
        return RegStatus::Success;
    }

    // A name as the hive keeps it; a plain ASCII one, the usual, without a decoder.
    static void hiveName(std::string_view utf8, std::u16string& out)
    {
        if (std::all_of(utf8.begin(), utf8.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
            out.assign(utf8.begin(), utf8.end());
        else
            out = text::toUtf16(utf8);
    }

    RegStatus checkValueName(std::string_view name, std::u16string& out)
    {
        hiveName(name, out);
        if (out.size() > MaxValueNameLength || out.find(u'\0') != std::u16string::npos)
            return fail(RegStatus::InvalidParameter, "the value name is not one the registry takes");
        return RegStatus::Success;
    }

    // Whether this process may change the hive that holds `tree`.
    RegStatus checkWritable(Tree tree)
    {
        const HiveFile& hiveFile = fileOf(tree == Tree::Volatile ? Tree::System : tree);
        if (inBatch && hiveFile.writableInBatch)
            return RegStatus::Success;
        const auto& file = hiveFile.path;
        if (io::canReplace(calls, file))
            return RegStatus::Success;
        struct stat info {};
        if (calls.stat(root.c_str(), &info) != 0)
            return fail(RegStatus::AccessDenied, "the machine folder " + root.string() + " does not exist");
        return fail(RegStatus::AccessDenied, file.string() + " may not be written by this user");
    }

    // What a call needs of a hive: the whole tree, or the key `focus` alone. A hive read for one
    // key also serves reads of the keys above it; a call that may write needs the very key, from
    // a file that was checked whole, with a block of its own to change in place, one it made, or,
    // to make it, the place of its block.
    struct Need {
        const Path* focus;
        bool write;
    };

    // In a batch that may write, a hive read for one key has only that key's lines checked: the
    // rest of the file is checked while its new text is written, before it replaces the old.
    bool checksAtWrite() const { return inBatch && !readOnlyBatch; }

    bool serves(Hive& hive, const Need& need) const
    {
        if (!hive.focused())
            return true;
        if (!need.focus)
            return false;
        const auto within = [&](const Path& focus) {
            return need.focus->size() <= focus.size() &&
                   std::equal(need.focus->begin(), need.focus->end(), focus.begin(),
                              [](const auto& a, const auto& b) { return text::equalNoCase(a, b); });
        };
        for (const Path& focus : hive.foci()) {
            if (!within(focus))
                continue;
            if (!need.write)
                return true;
            const HiveKey* key = hive.find(focus);
            if (need.focus->size() == focus.size() && (hive.checked() || checksAtWrite()) &&
                (key ? key->blocks > 0 || key->dirty : hive.canCreate()))
                return true;
        }
        return false;
    }

    RegStatus parseFailure(const HiveFile& file, const registry::HiveParseError& error)
    {
        return fail(RegStatus::BadHive,
                    "cannot parse " + file.path.string() + " line " + std::to_string(error.line) + ": " + error.what);
    }

    // The hive of `file`, made whole when the need is more than its key. A hive `fresh` from its
    // file keeps its text as it is made whole: a check of that text may go on meanwhile.
    RegStatus serve(HiveFile& file, const Need& need, Hive*& hive, bool fresh = false)
    {
        if (!serves(*file.hive, need)) {
            if (!fresh)
                dropCheck(file);
            forgetKeys();
            registry::HiveParseError error;
            // A key to make in a file read for it unchecked needs the file checked, which finds its place.
            const bool checkedWell =
                need.write && !file.hive->checked()
                    ? file.hive->checkWhole(error) && (serves(*file.hive, need) || file.hive->widen(error))
                    : file.hive->widen(error);
            if (!checkedWell) {
                dropCheck(file);
                file.hive.reset();
                return parseFailure(file, error);
            }
        }
        hive = &*file.hive;
        return RegStatus::Success;
    }

    // The hive as its file reads now, parsed again only when the text changed.
    RegStatus loadHive(Tree tree, Hive*& hive, const Need& need = Need{nullptr, false})
    {
        if (tree == Tree::Volatile) {
            hive = &volatileTree();
            return RegStatus::Success;
        }
        HiveFile& file = fileOf(tree);
        if (inBatch && file.readInBatch && file.hive)
            return serve(file, need, hive);
        if (readOnlyBatch && file.hive && !changedSinceRead(file)) {
            file.readInBatch = true;
            return serve(file, need, hive);
        }
        io::FileText text;
        file.identity = {};
        dropCheck(file);
        const std::error_code error = registry::readHiveFile(calls, file.path, text, io::Links::Refuse, &file.identity);
        file.readInBatch = inBatch;
        if (error == std::errc::no_such_file_or_directory) {
            if (!file.hive || !file.missing) {
                forgetKeys();
                file.hive = Hive::empty(registry::hiveHeader(file.rootPath));
                file.missing = true;
            }
        } else if (error) {
            forgetKeys();
            file.hive.reset();
            return fail(RegStatus::BadHive,
                        "cannot read " + file.path.string() + ": " + registry::describeHiveError(error));
        } else if (!file.hive || file.missing || file.hive->text() != text.view()) {
            Hive parsed;
            registry::HiveParseError parseError;
            forgetKeys();
            bool parsedWell = false;
            if (need.focus && !need.write && readOnlyBatch && !file.batchKeys.empty()) {
                std::vector<Path> foci = file.batchKeys;
                foci.push_back(*need.focus);
                parsedWell =
                    Hive::parseFocused(std::move(text), std::span<const Path>(foci), false, parsed, parseError);
            } else if (need.focus) {
                // A file read for a change in a batch is checked beside the parse, in the text the
                // parse keeps: mapped, or in a string too long to lie inside it, the text stays where
                // it is as it moves; it stays here when the parse fails.
                const bool checkBeside = need.write && checksAtWrite() && !need.focus->empty() &&
                                         (text.isMapped() || text.view().size() >= sizeof(std::string));
                if (checkBeside)
                    startCheck(file, text.view(), *need.focus);
                parsedWell = Hive::parseFocused(std::move(text), *need.focus, need.write && !checksAtWrite(), parsed,
                                                parseError);
                if (!parsedWell)
                    dropCheck(file);
            } else {
                parsedWell = Hive::parse(std::move(text), parsed, parseError);
            }
            if (!parsedWell) {
                file.hive.reset();
                return parseFailure(file, parseError);
            }
            file.hive = std::move(parsed);
            file.missing = false;
            return serve(file, need, hive, true);
        }
        return serve(file, need, hive);
    }

    // The folder lock that makes a read-modify-write one, and the check that Wine's server
    // does not hold the files meanwhile.
    RegStatus lock(io::FolderLock& lock)
    {
        if (const auto error = io::FolderLock::acquire(calls, root, lock)) {
            if (error == std::errc::no_such_file_or_directory)
                return fail(RegStatus::AccessDenied, "the machine folder " + root.string() + " does not exist");
            return fail(RegStatus::BadHive, "cannot lock " + root.string() + ": " + error.message());
        }
        if (auto reason = wineServerHolds(calls, environment, root))
            return fail(RegStatus::BadHive, std::move(*reason));
        return RegStatus::Success;
    }

    // Whether the file was replaced or changed since this process read it.
    bool changedSinceRead(const HiveFile& file)
    {
        struct stat now {};
        if (calls.stat(file.path.c_str(), &now) != 0)
            return !file.missing;
        const struct stat& then = file.identity;
        return file.missing || now.st_dev != then.st_dev || now.st_ino != then.st_ino || now.st_size != then.st_size ||
               now.st_mtim.tv_sec != then.st_mtim.tv_sec || now.st_mtim.tv_nsec != then.st_mtim.tv_nsec ||
               now.st_ctim.tv_sec != then.st_ctim.tv_sec || now.st_ctim.tv_nsec != then.st_ctim.tv_nsec;
    }

    // Writes the hive's changes. Without `commit` the text is written in pieces without a copy,
    // and the parse keeps the text it was made from, so the next read of the file parses it
    // anew: the end of a batch, which is mostly the end of the process.
    // Called under the machine's lock.
    RegStatus writeHive(HiveFile& file, bool commit = true)
    {
        // A file read without checking all its lines is checked while the new one is made and
        // written; it replaces the old one only once that reads.
        // The check reads the text and a focus alone, which nothing changes meanwhile; it checks
        // every line whichever focus it keeps.
        if (file.hive->focused() && !file.hive->checked() && !file.check.valid() && !file.checkFailed)
            startCheck(file, file.hive->text(), file.hive->foci().front());
        bool unreadable = false;
        const auto checked = [&] {
            unreadable = settleCheck(file);
            return unreadable ? std::make_error_code(std::errc::illegal_byte_sequence) : std::error_code();
        };
        const auto unreadableFailure = [&] {
            const registry::HiveParseError parseError = file.checkError;
            dropCheck(file);
            forgetKeys();
            file.hive.reset();
            return parseFailure(file, parseError);
        };
        std::string text;
        if (commit || beforeFirstChange)
            text = file.hive->serialize();
        // A write that renews only the keys' times changes nothing worth keeping a copy for, and
        // a copy is kept only of a registry that is to change: of a file known to read.
        if (beforeFirstChange && (file.missing || !registry::sameButForTimes(file.hive->text(), text))) {
            if (checked())
                return unreadableFailure();
            std::exchange(beforeFirstChange, nullptr)();
        }
        // The blocks nobody touched are copied from the file they were read from, while it is still that file.
        const io::CopySource source{file.path, file.identity, file.hive->text()};
        const std::string_view whole = text;
        const std::vector<std::string_view> pieces =
            commit ? std::vector<std::string_view>{whole} : file.hive->pieces();
        const auto error = io::replaceFile(
            calls, file.path, pieces, commit || file.missing || changedSinceRead(file) ? nullptr : &source, checked);
        if (settleCheck(file))
            return unreadableFailure();
        if (error) {
            // The parse in memory holds a change that did not reach the file.
            dropCheck(file);
            forgetKeys();
            file.hive.reset();
            return fail(isAccessError(error) ? RegStatus::AccessDenied : RegStatus::BadHive,
                        "cannot write " + file.path.string() + ": " + error.message());
        }
        if (commit) {
            dropCheck(file);
            file.hive->commit(std::move(text));
        }
        file.missing = false;
        return RegStatus::Success;
    }

    // A change is: lock the folder, read the file, check it parses, change, replace the file.
    // In a batch the lock is taken at the first change and the file is written at the end.
    // `change(hive, now, changed)` is called once.
    template <class Change>
    RegStatus modify(Tree tree, const Change& change, const Need& need = Need{nullptr, true})
    {
        bool changed = false;
        if (readOnlyBatch)
            return fail(RegStatus::AccessDenied, "the batch only reads");
        if (tree == Tree::Volatile)
            return change(volatileTree(), changeTime(), changed);

        HiveFile& file = fileOf(tree);
        io::FolderLock ownLock;
        if (inBatch && !batchLocked) {
            if (const RegStatus status = lock(batchLock); status != RegStatus::Success)
                return status;
            batchLocked = true;
            // What was read before the lock counts only while nobody has written since.
            for (HiveFile* read : {&system, &user})
                if (read->readInBatch && read->hive && changedSinceRead(*read))
                    read->readInBatch = false;
        } else if (!inBatch) {
            if (const RegStatus status = lock(ownLock); status != RegStatus::Success)
                return status;
        }
        if (!inBatch || !file.writableInBatch)
            if (const RegStatus status = checkWritable(tree); status != RegStatus::Success)
                return status;
        // Under the batch's lock the hive stays writable by us to the batch's end.
        file.writableInBatch = inBatch;
        Hive* hive = nullptr;
        if (const RegStatus status = loadHive(tree, hive, need); status != RegStatus::Success)
            return status;
        const RegStatus status = change(*hive, changeTime(), changed);
        if (!changed)
            return status;
        if (inBatch) {
            file.pending = true;
            return status;
        }
        if (const RegStatus written = writeHive(file); written != RegStatus::Success)
            return written;
        return status;
    }

    RegStatus endBatch(bool keep)
    {
        RegStatus result = RegStatus::Success;
        for (HiveFile* file : {&system, &user}) {
            if (file->pending && !file->hive && keep && result == RegStatus::Success)
                result = fail(RegStatus::BadHive, "the changes to " + file->path.string() + " were lost");
            if (file->pending && file->hive) {
                forgetKeys();
                if (keep && result == RegStatus::Success)
                    result = writeHive(*file, false);
                else {
                    dropCheck(*file);
                    file->hive.reset(); // forgets the changes that are not to be kept
                }
            }
            file->pending = false;
            file->batchKeys.clear();
            file->readInBatch = false;
            file->writableInBatch = false;
        }
        inBatch = false;
        readOnlyBatch = false;
        batchTime = 0;
        batchLock.release();
        batchLocked = false;
        return result;
    }

    // Runs `read` on the key of a location, or reports why it cannot.
    template <class Read>
    RegStatus withKey(const Location& location, const Read& read, const Need& need = Need{nullptr, false})
    {
        const Tree tree = location.hiveTree;
        Hive* hive = nullptr;
        if (const RegStatus status = loadHive(tree, hive, need); status != RegStatus::Success)
            return status;
        HiveKey* key = keyOf(location, *hive);
        if (!key && !location.isRoot)
            return keyDeleted();
        // A predefined key always exists; while it has nothing in the file it reads as empty.
        return read(*hive, key);
    }

    // The start and the read of a call that only reads the key of a handle.
    // With `alone`, the read needs nothing but the key itself.
    template <class Read>
    RegStatus readKey(KeyHandle handle, const Read& read, bool alone = false)
    {
        Location location;
        if (const RegStatus status = begin(handle, location); status != RegStatus::Success)
            return status;
        const Need need{alone && !location.isRoot ? &location.path() : nullptr, false};
        return withKey(
            location, [&](Hive& hive, HiveKey* key) { return read(location, hive, key); }, need);
    }

    // Runs `change` on the key of a location in a locked read-modify-write of its hive; the key
    // is null for a predefined key that has nothing in the file yet.
    template <class Change>
    RegStatus modifyKey(const Location& location, const Change& change)
    {
        const Tree tree = location.hiveTree;
        if (tree == Tree::Volatile)
            if (const RegStatus writable = checkWritable(tree); writable != RegStatus::Success)
                return writable;
        // A predefined key may have to be made in the file, which takes the whole hive.
        const Need need{location.isRoot ? nullptr : &location.path(), true};
        return modify(
            tree,
            [&](Hive& hive, std::uint64_t now, bool& changed) {
                HiveKey* key = keyOf(location, hive);
                if (!key && !location.isRoot)
                    return keyDeleted();
                return change(hive, key, now, changed);
            },
            need);
    }

    static void copyValue(const HiveValue& found, RegValue& value)
    {
        value.name = text::toUtf8(found.name);
        value.type = found.type;
        value.data = found.data;
    }
    static void moveValue(HiveValue& found, RegValue& value)
    {
        value.name = text::toUtf8(found.name);
        value.type = found.type;
        value.data = std::move(found.data);
    }

    KeyHandle newHandle(Tree tree, Path path, Access access, HiveKey* key)
    {
        const Tree hiveTree = treeOf(tree, path);
        return addHandle(OpenKey{tree, hiveTree, std::move(path), access, key, generation, true});
    }

    KeyHandle addHandle(OpenKey open)
    {
        while (handles.count(nextHandle) || nextHandle == 0 || nextHandle >= 0x80000000u)
            nextHandle = nextHandle >= 0x80000000u ? 1 : nextHandle + 1;
        const std::uint32_t id = nextHandle++;
        handles.emplace(id, std::move(open));
        return KeyHandle{id};
    }

    // Before anything that may free keys that handles point at: a handle whose path is still to
    // be made from its key makes it while the key is there.
    void forgetKeys()
    {
        for (auto& [id, open] : handles)
            open.fullPath();
        ++generation;
    }

    // The key of an open handle, at hand in a hive that a batch holds locked and whole, so that
    // no file is read and nobody else writes meanwhile: the calls of an import take this way.
    HiveKey* keyAtHand(const Location& location, HiveFile*& file)
    {
        OpenKey* open = location.open;
        if (!batchLocked || !open || !open->key || open->generation != generation ||
            location.hiveTree == Tree::Volatile)
            return nullptr;
        file = &fileOf(location.hiveTree);
        if (!file->readInBatch || !file->writableInBatch || !file->hive || file->hive->focused())
            return nullptr;
        return open->key;
    }

    // createKey and openKey of one name below a key at hand; false when the call takes the long way,
    // which also tells what is wrong with the name.
    bool reachQuickly(KeyHandle parentHandle, std::string_view path, Access access, bool create, KeyHandle& opened,
                      RegStatus& status)
    {
        Location parent;
        if (path.empty() || path.find('\\') != std::string_view::npos ||
            begin(parentHandle, parent) != RegStatus::Success)
            return false;
        HiveFile* file = nullptr;
        HiveKey* from = keyAtHand(parent, file);
        if (!from)
            return false;
        hiveName(path, quickName);
        std::size_t depth = 1;
        for (const HiveKey* k = from; k->parent; k = k->parent)
            ++depth;
        if (quickName.empty() || quickName.size() > MaxKeyNameLength || quickName.find(u'\0') != std::u16string::npos ||
            depth > MaxKeyDepth)
            return false;
        HiveKey* key = from->findSubkey(quickName);
        if (!key && !create)
            return false;
        if (access == Access::AllAccess || !key)
            if ((status = checkWritable(parent.hiveTree)) != RegStatus::Success)
                return true;
        if (!key) {
            bool created = false;
            key = &file->hive->create(*from, std::span(&quickName, 1), changeTime(), created);
            file->pending = file->pending || created;
        }
        opened = addHandle(OpenKey{parent.tree, parent.hiveTree, {}, access, key, generation, false});
        status = RegStatus::Success;
        return true;
    }

    // A walk over the parsed keys themselves: one key's values at a time, no handles. The
    // visitor may read; should a read drop the hive the walk is in, the walk ends.
    struct Walk {
        State& state;
        const KeyVisitor& visit;
        std::uint64_t generation;
        std::string path;
        // Kept from key to key with the memory of their elements, which a million values would
        // otherwise each take and give back.
        std::vector<HiveValue> found;
        std::vector<RegValue> values;
        std::vector<RegValue> spare;
        RegStatus status = RegStatus::Success;

        bool key(Hive& hive, const HiveKey& key)
        {
            const std::size_t length = path.size();
            if (length)
                path += '\\';
            text::appendUtf8(path, key.name);
            const std::size_t count = hive.readValuesOver(key, found);
            for (; values.size() > count; values.pop_back())
                spare.push_back(std::move(values.back()));
            for (; values.size() < count; spare.pop_back()) {
                if (spare.empty())
                    spare.emplace_back();
                values.push_back(std::move(spare.back()));
            }
            for (std::size_t i = 0; i < count; ++i) {
                values[i].name.clear();
                text::appendUtf8(values[i].name, found[i].name);
                values[i].type = found[i].type;
                values[i].data.swap(found[i].data);
            }
            const WalkStep step = visit(path, values);
            if (generation != state.generation) {
                status = state.fail(RegStatus::BadHive, "the registry was read anew during a walk over it");
                return false;
            }
            bool goOn = step != WalkStep::Stop;
            if (step == WalkStep::Into)
                for (std::size_t i = 0; goOn && i < key.subkeys.size(); ++i)
                    goOn = this->key(hive, *key.subkeys[i]);
            path.resize(length);
            return goOn;
        }
    };

    // HKEY_LOCAL_MACHINE itself lists the file's keys and the volatile HARDWARE tree together.
    std::vector<const HiveKey*> subkeysOf(const Location& location, HiveKey* key)
    {
        std::vector<const HiveKey*> list;
        if (key)
            for (const auto& subkey : key->subkeys)
                list.push_back(subkey.get());
        if (location.tree == Tree::System && location.path().empty()) {
            std::erase_if(list, [](const HiveKey* k) { return text::equalNoCase(k->name, u"HARDWARE"); });
            for (const auto& subkey : volatileTree().root().subkeys)
                list.push_back(subkey.get());
            std::sort(list.begin(), list.end(),
                      [](const HiveKey* a, const HiveKey* b) { return text::compareNoCase(a->name, b->name) < 0; });
        }
        return list;
    }
};

WineRegistry::WineRegistry(std::filesystem::path root, std::uint32_t cpuMhz, SystemCalls& calls,
                           EnvironmentLookup environment)
    : WineRegistry(
          std::move(root), [cpuMhz] { return cpuMhz; }, calls, std::move(environment))
{
}

WineRegistry::WineRegistry(std::filesystem::path root, std::function<std::uint32_t()> cpuMhz, SystemCalls& calls,
                           EnvironmentLookup environment)
    : m_state(std::make_unique<State>(std::move(root), calls, std::move(environment)))
{
    m_state->cpuMhz = std::move(cpuMhz);
}

WineRegistry::~WineRegistry() = default;

void WineRegistry::setBeforeFirstChange(std::function<void()> hook)
{
    m_state->beforeFirstChange = std::move(hook);
}

std::string WineRegistry::lastFailure() const
{
    return m_state->lastFailure;
}

void WineRegistry::beginBatch()
{
    auto& s = *m_state;
    if (s.inBatch)
        s.endBatch(false);
    s.inBatch = true;
}

void WineRegistry::beginReadBatch()
{
    beginBatch();
    m_state->readOnlyBatch = true;
}

void WineRegistry::beginReadBatchOf(std::span<const KeyName> keys)
{
    beginReadBatch();
    auto& s = *m_state;
    for (const KeyName& key : keys) {
        Path path = key.root == RootKey::ClassesRoot ? classesPath() : Path{};
        // A name the registry does not take fails when it is opened; here it is passed over.
        if (s.splitPath(key.path, path) != RegStatus::Success || path.empty() || path.size() > MaxKeyDepth)
            continue;
        const Tree tree = State::treeOf(key.root == RootKey::CurrentUser ? Tree::User : Tree::System, path);
        if (tree != Tree::Volatile)
            s.fileOf(tree).batchKeys.push_back(std::move(path));
    }
    s.lastFailure.clear();
}

RegStatus WineRegistry::endBatch(bool keep)
{
    auto& s = *m_state;
    s.lastFailure.clear();
    if (!s.inBatch)
        return RegStatus::Success;
    return s.endBatch(keep);
}

RegStatus WineRegistry::createKey(KeyHandle parent, std::string_view path, Access access, KeyHandle& opened)
{
    auto& s = *m_state;
    opened = KeyHandle{};
    if (RegStatus quick{}; s.reachQuickly(parent, path, access, true, opened, quick))
        return quick;
    State::Target target;
    if (const RegStatus status = s.beginPath(parent, path, target, true); status != RegStatus::Success)
        return status;
    HiveKey* key = nullptr;
    if (const RegStatus status = s.keyOrParent(target, key); status != RegStatus::Success)
        return status;
    const bool exists = key != nullptr;
    if (!exists && s.wasDeleted(target.parent, *target.hive))
        return s.keyDeleted();
    if (access == Access::AllAccess || !exists)
        if (const RegStatus writable = s.checkWritable(target.tree); writable != RegStatus::Success)
            return writable;
    if (!exists) {
        const RegStatus created = s.modify(
            target.tree,
            [&](Hive& hive, std::uint64_t now, bool& changed) {
                if (s.wasDeleted(target.parent, hive))
                    return s.keyDeleted();
                key = &s.create(target, hive, now, changed);
                return RegStatus::Success;
            },
            State::Need{&target.path, true});
        if (created != RegStatus::Success)
            return created;
    }
    opened = s.newHandle(target.parent.tree, std::move(target.path), access, key);
    return RegStatus::Success;
}

RegStatus WineRegistry::openKey(KeyHandle parent, std::string_view path, Access access, KeyHandle& opened)
{
    auto& s = *m_state;
    opened = KeyHandle{};
    if (RegStatus quick{}; s.reachQuickly(parent, path, access, false, opened, quick))
        return quick;
    State::Target target;
    if (const RegStatus status = s.beginPath(parent, path, target, access == Access::AllAccess);
        status != RegStatus::Success)
        return status;
    HiveKey* key = nullptr;
    if (const RegStatus status = s.keyOrParent(target, key); status != RegStatus::Success)
        return status;
    if (!key) {
        if (s.wasDeleted(target.parent, *target.hive))
            return s.keyDeleted();
        return s.fail(RegStatus::NotFound, "the key does not exist");
    }
    if (access == Access::AllAccess)
        if (const RegStatus writable = s.checkWritable(target.tree); writable != RegStatus::Success)
            return writable;
    opened = s.newHandle(target.parent.tree, std::move(target.path), access, key);
    return RegStatus::Success;
}

RegStatus WineRegistry::closeKey(KeyHandle key)
{
    auto& s = *m_state;
    s.lastFailure.clear();
    if (isPredefined(key))
        return RegStatus::Success;
    if (s.handles.erase(key.id) == 0)
        return s.fail(RegStatus::InvalidHandle, "the key handle is not open");
    return RegStatus::Success;
}

RegStatus WineRegistry::setValue(KeyHandle key, std::string_view name, std::uint32_t type,
                                 std::span<const std::uint8_t> data)
{
    auto& s = *m_state;
    State::Location location;
    if (const RegStatus status = s.begin(key, location); status != RegStatus::Success)
        return status;
    if (location.access != Access::AllAccess)
        return s.fail(RegStatus::AccessDenied, "the key was opened for reading only");
    HiveValue value;
    if (const RegStatus status = s.checkValueName(name, value.name); status != RegStatus::Success)
        return status;
    value.type = type;
    value.data.assign(data.begin(), data.end());
    State::HiveFile* file = nullptr;
    if (HiveKey* target = s.keyAtHand(location, file)) {
        file->hive->setValue(*target, std::move(value), s.changeTime());
        file->pending = true;
        return RegStatus::Success;
    }
    return s.modifyKey(location, [&](Hive& hive, HiveKey* target, std::uint64_t now, bool& changed) {
        if (!target) {
            bool created = false;
            target = &hive.create(location.path(), now, created);
        }
        hive.setValue(*target, std::move(value), now);
        changed = true;
        return RegStatus::Success;
    });
}

RegStatus WineRegistry::queryValue(KeyHandle key, std::string_view name, RegValue& value)
{
    auto& s = *m_state;
    const std::u16string wanted = text::toUtf16(name);
    return s.readKey(
        key,
        [&](const State::Location&, Hive& hive, HiveKey* target) {
            if (!target)
                return s.fail(RegStatus::NotFound, "the value does not exist");
            if (!target->loaded) {
                std::vector<HiveValue> values;
                hive.readValues(*target, values);
                const auto found = std::find_if(values.begin(), values.end(), [&](const HiveValue& v) {
                    return text::compareNoCase(v.name, wanted) == 0;
                });
                if (found == values.end())
                    return s.fail(RegStatus::NotFound, "the value does not exist");
                State::moveValue(*found, value);
                return RegStatus::Success;
            }
            const int index = target->findValue(wanted);
            if (index < 0)
                return s.fail(RegStatus::NotFound, "the value does not exist");
            State::copyValue(target->values[std::size_t(index)], value);
            return RegStatus::Success;
        },
        true);
}

RegStatus WineRegistry::deleteValue(KeyHandle key, std::string_view name)
{
    auto& s = *m_state;
    State::Location location;
    if (const RegStatus status = s.begin(key, location); status != RegStatus::Success)
        return status;
    if (location.access != Access::AllAccess)
        return s.fail(RegStatus::AccessDenied, "the key was opened for reading only");
    const std::u16string wanted = text::toUtf16(name);
    // Deleting what is not there changes nothing, so it must not rewrite the file.
    bool present = false;
    if (const RegStatus status = s.withKey(
            location,
            [&](Hive& hive, HiveKey* target) {
                if (target) {
                    hive.load(*target);
                    present = target->findValue(wanted) >= 0;
                }
                return RegStatus::Success;
            },
            State::Need{location.isRoot ? nullptr : &location.path(), true});
        status != RegStatus::Success)
        return status;
    if (!present)
        return s.fail(RegStatus::NotFound, "the value does not exist");
    return s.modifyKey(location, [&](Hive& hive, HiveKey* target, std::uint64_t now, bool& changed) {
        changed = target && hive.deleteValue(*target, wanted, now);
        return changed ? RegStatus::Success : s.fail(RegStatus::NotFound, "the value does not exist");
    });
}

RegStatus WineRegistry::deleteKey(KeyHandle parent, std::string_view path)
{
    auto& s = *m_state;
    // An empty path names the parent itself.
    if (path.empty() && isPredefined(parent))
        return s.fail(RegStatus::AccessDenied, "a predefined key cannot be deleted");
    State::Target target;
    if (const RegStatus status = s.beginPath(parent, path, target, true); status != RegStatus::Success)
        return status;
    if (HiveKey* key = s.keyOf(target); !key)
        return s.fail(RegStatus::NotFound, "the key does not exist");
    else if (!key->subkeys.empty())
        return s.fail(RegStatus::HasSubkeys, "the key has subkeys");
    if (const RegStatus writable = s.checkWritable(target.tree); writable != RegStatus::Success)
        return writable;
    return s.modify(target.tree, [&](Hive& current, std::uint64_t now, bool& changed) {
        HiveKey* key = current.find(target.path);
        if (!key)
            return s.fail(RegStatus::NotFound, "the key does not exist");
        if (!key->subkeys.empty())
            return s.fail(RegStatus::HasSubkeys, "the key has subkeys");
        s.forgetKeys();
        current.deleteKey(*key, now);
        changed = true;
        return RegStatus::Success;
    });
}

RegStatus WineRegistry::enumKey(KeyHandle key, std::uint32_t index, std::string& name)
{
    auto& s = *m_state;
    return s.readKey(key, [&](const State::Location& location, Hive&, HiveKey* target) {
        // Only HKEY_LOCAL_MACHINE itself needs its list made; any other key has it at hand.
        const HiveKey* subkey = nullptr;
        if (location.tree == Tree::System && location.path().empty()) {
            const auto subkeys = s.subkeysOf(location, target);
            subkey = index < subkeys.size() ? subkeys[index] : nullptr;
        } else if (target && index < target->subkeys.size()) {
            subkey = target->subkeys[index].get();
        }
        if (!subkey)
            return s.fail(RegStatus::NoMoreItems, "no more subkeys");
        name = text::toUtf8(subkey->name);
        return RegStatus::Success;
    });
}

RegStatus WineRegistry::enumValue(KeyHandle key, std::uint32_t index, RegValue& value)
{
    auto& s = *m_state;
    return s.readKey(key, [&](const State::Location&, Hive& hive, HiveKey* target) {
        if (target)
            hive.load(*target);
        if (!target || index >= target->values.size())
            return s.fail(RegStatus::NoMoreItems, "no more values");
        State::copyValue(target->values[index], value);
        return RegStatus::Success;
    });
}

RegStatus WineRegistry::enumKeys(KeyHandle key, std::vector<std::string>& names)
{
    auto& s = *m_state;
    names.clear();
    return s.readKey(key, [&](const State::Location& location, Hive&, HiveKey* target) {
        if (location.tree == Tree::System && location.path().empty()) {
            for (const HiveKey* subkey : s.subkeysOf(location, target))
                names.push_back(text::toUtf8(subkey->name));
        } else if (target) {
            names.reserve(target->subkeys.size());
            for (const auto& subkey : target->subkeys)
                names.push_back(text::toUtf8(subkey->name));
        }
        return RegStatus::Success;
    });
}

RegStatus WineRegistry::enumValues(KeyHandle key, std::vector<RegValue>& values)
{
    auto& s = *m_state;
    values.clear();
    return s.readKey(
        key,
        [&](const State::Location&, Hive& hive, HiveKey* target) {
            if (!target)
                return RegStatus::Success;
            std::vector<HiveValue> found;
            hive.readValues(*target, found);
            values.resize(found.size());
            for (std::size_t i = 0; i < values.size(); ++i)
                State::moveValue(found[i], values[i]);
            return RegStatus::Success;
        },
        true);
}

RegStatus WineRegistry::walkBelow(KeyHandle key, const KeyVisitor& visit)
{
    auto& s = *m_state;
    return s.readKey(key, [&](const State::Location& location, Hive& hive, HiveKey* target) {
        State::Walk walk{s, visit, s.generation, {}, {}, {}, {}};
        for (const HiveKey* subkey : s.subkeysOf(location, target))
            if (!walk.key(subkey->parent == &s.volatileHive.root() ? s.volatileHive : hive, *subkey))
                break;
        return walk.status;
    });
}

RegStatus WineRegistry::queryInfoKey(KeyHandle key, KeyInfo& info)
{
    auto& s = *m_state;
    return s.readKey(key, [&](const State::Location& location, Hive& hive, HiveKey* target) {
        info = KeyInfo{};
        const auto subkeys = s.subkeysOf(location, target);
        info.subKeys = static_cast<std::uint32_t>(subkeys.size());
        for (const HiveKey* subkey : subkeys)
            info.maxSubKeyLength = std::max(info.maxSubKeyLength, static_cast<std::uint32_t>(subkey->name.size()));
        if (target) {
            hive.load(*target);
            info.values = static_cast<std::uint32_t>(target->values.size());
            info.lastWriteTime = target->modified;
            if (target->className)
                info.className = text::toUtf8(*target->className);
        }
        return RegStatus::Success;
    });
}

} // namespace core
