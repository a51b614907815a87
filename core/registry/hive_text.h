#pragma once

#include "core/io/file_text.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace core::registry {

// Windows' limits: a key name has at most 255 characters (UTF-16 units), and a key lies at most
// 512 levels below its root.
constexpr std::size_t MaxKeyNameLength = 255;
constexpr std::size_t MaxKeyDepth = 512;

// Windows keeps times as FILETIME: 100 ns units since 1601-01-01.
constexpr std::uint64_t FileTimeAt1970 = 116444736000000000ull;
constexpr std::uint64_t FileTimeTicksPerSecond = 10000000ull;
std::uint64_t currentFileTime();

// The first line of every hive file.
inline constexpr std::string_view HiveSignature = "WINE REGISTRY Version 2";
// The header Wine writes above the keys, e.g. for `REGISTRY\Machine`.
std::string hiveHeader(std::u16string_view rootPath);
// Two hive texts that differ only in the times their keys were last written ("[path] <seconds>"
// and "#time="): writing a value that is already there renews those, and nothing else.
bool sameButForTimes(std::string_view a, std::string_view b);

struct HiveValue {
    std::u16string name; // empty for the unnamed value
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
};

// Wine's escaping of a name or text: `\`, `escape1` and `escape2` get a backslash, control
// characters their C escape or octal, units above 127 `\x` hex, so that no escape can run
// on into the next character. A NUL as the very last unit is not written.
void appendEscaped(std::string& out, std::u16string_view text, char escape1, char escape2);
// One value line as Wine writes it, with its line end (and the wrapping of long hex lists).
void appendValueLine(std::string& out, const HiveValue& value);

struct HiveKey {
    std::u16string name; // in the case it was created with
    HiveKey* parent = nullptr;
    std::vector<std::unique_ptr<HiveKey>> subkeys; // in case-insensitive name order
    std::uint64_t modified = 0;                    // FILETIME

    // Where its block was last seen, to find it without a search (a hive file has far fewer
    // than 2^32 blocks).
    std::uint32_t blockHint = 0;
    int blocks = 0; // blocks of the file text that belong to this key (more than one only in hand-made files)

    // Values, class and link are read from the key's block only when somebody asks. (The small
    // members sit together and the rare class lies apart: a hive may hold a million keys.)
    bool loaded = false;
    bool link = false;
    bool dirty = false;            // marked to have its blocks made anew at the next flush
    std::vector<HiveValue> values; // in case-insensitive name order
    std::unique_ptr<std::u16string> className;

    HiveKey* findSubkey(std::u16string_view wanted) const;
    // Index of the value, or -1.
    int findValue(std::u16string_view wanted) const;
};

struct HiveParseError {
    std::size_t line = 0;
    std::string what;
};

// A hive file in memory: the tree of keys, and the file text split into a header and one
// block per key, so that every block nobody touched is written back byte for byte. A change
// re-serialises the blocks of the keys it touches, as Wine would write them, and places new
// blocks in Wine's order (depth first, subkeys in case-insensitive order). The blocks of
// changed keys are made when the text is next needed, so a thousand changes cost one pass.
class Hive {
public:
    Hive();
    Hive(Hive&&) noexcept;
    Hive& operator=(Hive&&) noexcept;
    ~Hive();

    // A hive without keys, as a missing file reads; `header` becomes the start of the file.
    static Hive empty(std::string header);
    // Parses a whole file in one pass over its text. On failure returns false with the line
    // and the reason; `hive` is then unchanged. A key beyond Windows' limits is a failure.
    static bool parse(io::FileText text, Hive& hive, HiveParseError& error);
    // Reads only what the key `focus` (not the root) needs: its blocks and those of the keys
    // above it, and the names of its subkeys; every other block stays text that is written back
    // as it was. Those blocks are always checked; the rest of the file only with `checkAll`,
    // which a hive that is to be written needs. Such a hive answers for the values of those keys
    // and the focus's subkeys alone: anything else takes widen().
    // The text is taken only when the parse succeeds.
    static bool parseFocused(io::FileText&& text, std::span<const std::u16string> focus, bool checkAll, Hive& hive,
                             HiveParseError& error);
    // The same for several keys in one pass, for a reader that knows the keys it will read.
    static bool parseFocused(io::FileText&& text, std::span<const std::vector<std::u16string>> foci, bool checkAll,
                             Hive& hive, HiveParseError& error);

    // Checks every line of the text as parseFocused does with `checkAll`, keeping nothing: what a
    // hive read without it needs before its file is replaced, and may run beside the write.
    static bool check(std::string_view text, std::span<const std::u16string> focus, HiveParseError& error);

    // Whether this hive holds some keys only, the paths of those keys, and whether its whole text was checked.
    bool focused() const { return !m_foci.empty(); }
    const std::vector<std::vector<std::u16string>>& foci() const { return m_foci; }
    bool checked() const { return m_checked; }
    // Whether a focused hive may make its one focus and the keys above it that are missing.
    bool canCreate() const { return m_place != nullptr; }
    // Makes a focused hive whole, its changes kept; every key it handed out is gone.
    bool widen(HiveParseError& error);
    // Reads an unchanged hive focused on one key again with every line checked, which also finds
    // where that key's block goes when it is missing; any other hive is made whole.
    bool checkWhole(HiveParseError& error);

    // The text this hive was parsed from or last committed.
    std::string_view text() const { return m_text.view(); }
    HiveKey& root() { return *m_root; }

    HiveKey* find(std::span<const std::u16string> path) { return find(*m_root, path); }
    // The key `path` names below `from`.
    static HiveKey* find(HiveKey& from, std::span<const std::u16string> path);
    // Reads values, class and link of the key from its blocks (once).
    void load(HiveKey& key);
    // The key's values, read from its blocks without keeping them when it is not loaded: a walk
    // over a large hive holds one key's values at a time.
    void readValues(const HiveKey& key, std::vector<HiveValue>& values) const;
    // The same written over the first elements of `values`, whose memory serves again; returns
    // how many they are (the elements after them are left as they were).
    std::size_t readValuesOver(const HiveKey& key, std::vector<HiveValue>& values) const;

    // Creates the keys of `path` that are missing; `created` tells whether any was.
    HiveKey& create(std::span<const std::u16string> path, std::uint64_t now, bool& created)
    {
        return create(*m_root, path, now, created);
    }
    // The same below `from`.
    HiveKey& create(HiveKey& from, std::span<const std::u16string> path, std::uint64_t now, bool& created);
    void setValue(HiveKey& key, HiveValue value, std::uint64_t now);
    bool deleteValue(HiveKey& key, std::u16string_view name, std::uint64_t now);
    // Deletes a key without subkeys (never the root).
    void deleteKey(HiveKey& key, std::uint64_t now);

    // The block Wine writes for the key as it stands (a file that Wine wrote holds exactly this).
    std::string blockText(const HiveKey& key) const;

    // The text of the key's block as it was read or committed, to compare keys without reading
    // their values: empty when the key has no block, nothing when it has several or a changed one.
    std::optional<std::string_view> blockSource(const HiveKey& key) const;

    // The file text with every change applied.
    std::string serialize();
    // The same text as pieces to be written one after the other, without a copy; they last
    // until the next change.
    std::vector<std::string_view> pieces();
    // Makes `text`, which must be serialize()'s result, the new base text.
    void commit(std::string text);

private:
    class Parser;
    class FocusedParser;
    // Whether nothing was changed since the text was read.
    bool unchanged() const;
    struct Block {
        HiveKey* key = nullptr;
        std::size_t offset = 0; // into m_text, or into `owned`
        std::size_t length = 0;
        // The text made for the blocks that one flush changed, all of them in one string.
        std::shared_ptr<const std::string> owned;
        std::string_view view(std::string_view text) const
        {
            return (owned ? std::string_view(*owned) : text).substr(offset, length);
        }
    };

    // The values of the key's blocks in name order, over the first elements of `values` as
    // readValuesOver; with `attributes`, also its time, class and link.
    std::size_t readBlocks(const HiveKey& key, std::vector<HiveValue>& values, HiveKey* attributes) const;
    bool needsBlock(const HiveKey& key) const;
    // The key's path as its block's first line writes it (empty for the root).
    static std::string keyPathText(const HiveKey& key);
    void appendBlockText(std::string& out, const HiveKey& key, std::string_view parentPath) const;
    // Marks the key's blocks to be brought in line with its state: one block of fresh text, or none.
    void rewrite(HiveKey& key);
    void removeBlocks(HiveKey& key);
    // Makes the blocks of the keys marked by rewrite, and drops the blocks of deleted keys.
    void flush();
    HiveKey& insertSubkey(HiveKey& parent, std::u16string_view name);

    io::FileText m_text;
    std::size_t m_headerLength = 0;
    mutable std::size_t m_forgottenTo = 0; // the mapped text before it went back to the system
    std::vector<Block> m_blocks;           // in file order; a block without a key is dropped at the next flush
    // The keys marked by rewrite, in the order they were marked. A key deleted meanwhile is kept
    // unmarked in m_deleted until the flush, so that no other key takes its address.
    std::vector<HiveKey*> m_dirtyOrder;
    std::vector<std::unique_ptr<HiveKey>> m_deleted;
    bool m_hasDeadBlocks = false;
    std::unique_ptr<HiveKey> m_root;
    std::vector<std::vector<std::u16string>> m_foci; // none in a whole hive
    bool m_checked = true;
    // Owns the text of the keys a focused hive did not read, each run of it one block.
    std::unique_ptr<HiveKey> m_unread;
    // Owns the unread text before which the blocks of keys a focused hive makes go.
    std::unique_ptr<HiveKey> m_place;
};

} // namespace core::registry
