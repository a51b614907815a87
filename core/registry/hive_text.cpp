#include "core/registry/hive_text.h"

#include "core/registry/hive_parse.h"
#include "core/registry/value_data.h"
#include "core/text/ascii.h"
#include "core/text/unicode.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <ctime>

namespace core::registry {
namespace {

bool isHexDigitUnit(char16_t c)
{
    return c < 128 && text::hexDigitValue(c) >= 0;
}

int compareValues(const HiveValue& value, std::u16string_view name)
{
    return text::compareNoCase(value.name, name);
}

// Position of `key` in Wine's order: ancestors first, siblings in case-insensitive order.
bool comesBefore(const HiveKey* a, const HiveKey* b)
{
    if (a == b)
        return false;
    auto depth = [](const HiveKey* k) {
        int d = 0;
        for (; k->parent; k = k->parent)
            ++d;
        return d;
    };
    int da = depth(a);
    int db = depth(b);
    const HiveKey* x = a;
    const HiveKey* y = b;
    while (da > db)
        x = x->parent, --da;
    while (db > da)
        y = y->parent, --db;
    if (x == y)
        return a == x; // one is the other's ancestor; the ancestor comes first
    while (x->parent != y->parent)
        x = x->parent, y = y->parent;
    return text::compareNoCase(x->name, y->name) < 0;
}

} // namespace

std::uint64_t currentFileTime()
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return FileTimeAt1970 + std::uint64_t(now.tv_sec) * FileTimeTicksPerSecond + std::uint64_t(now.tv_nsec) / 100;
}

std::string hiveHeader(std::u16string_view rootPath)
{
    std::string header(HiveSignature);
    header += "\n;; All keys relative to ";
    std::vector<std::u16string_view> components;
    splitKeyPath(rootPath, components);
    for (std::size_t i = 0; i < components.size(); ++i) {
        if (i)
            header += "\\\\";
        appendEscaped(header, components[i], '[', ']');
    }
    header += "\n\n#arch=win64\n";
    return header;
}

namespace {

std::string_view nextLine(std::string_view text, std::size_t& pos)
{
    const std::size_t end = std::min(text.find('\n', pos), text.size());
    const std::string_view line = text.substr(pos, end - pos);
    pos = end + 1;
    return line;
}

} // namespace

bool sameButForTimes(std::string_view a, std::string_view b)
{
    std::size_t posA = 0;
    std::size_t posB = 0;
    while (posA < a.size() && posB < b.size()) {
        std::string_view lineA = nextLine(a, posA);
        std::string_view lineB = nextLine(b, posB);
        if (lineA.starts_with("#time=") && lineB.starts_with("#time="))
            continue;
        if (lineA.starts_with('[') && lineB.starts_with('[')) {
            lineA = lineA.substr(0, lineA.rfind(']') + 1);
            lineB = lineB.substr(0, lineB.rfind(']') + 1);
        }
        if (lineA != lineB)
            return false;
    }
    return posA >= a.size() && posB >= b.size();
}

void appendEscaped(std::string& out, std::u16string_view text, char escape1, char escape2)
{
    static constexpr char escapes[33] = ".......abtnvfr.............e....";
    char buffer[16];
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        const bool hasNext = i + 1 < text.size();
        if (unit > 127) {
            const bool hexFollows = hasNext && isHexDigitUnit(text[i + 1]);
            const int n = std::snprintf(buffer, sizeof buffer, hexFollows ? "\\x%04x" : "\\x%x", unsigned(unit));
            out.append(buffer, static_cast<std::size_t>(n));
        } else if (unit < 32) {
            if (unit == 0 && !hasNext)
                continue;
            if (escapes[unit] != '.') {
                out += '\\';
                out += escapes[unit];
            } else {
                const bool octalFollows = hasNext && text[i + 1] >= u'0' && text[i + 1] <= u'7';
                const int n = std::snprintf(buffer, sizeof buffer, octalFollows ? "\\%03o" : "\\%o", unsigned(unit));
                out.append(buffer, static_cast<std::size_t>(n));
            }
        } else {
            const char c = static_cast<char>(unit);
            if (c == '\\' || c == escape1 || c == escape2) {
                out += '\\';
                out += c;
                continue;
            }
            // A run of characters that stand for themselves goes in at once.
            std::size_t end = i + 1;
            while (end < text.size() && text[end] >= 32 && text[end] <= 127 && text[end] != u'\\' &&
                   text[end] != char16_t(escape1) && text[end] != char16_t(escape2))
                ++end;
            const std::size_t at = out.size();
            out.resize(at + (end - i));
            for (std::size_t j = i; j < end; ++j)
                out[at + (j - i)] = static_cast<char>(text[j]);
            i = end - 1;
        }
    }
}

void appendValueLine(std::string& out, const HiveValue& value)
{
    std::size_t count;
    if (value.name.empty()) {
        out += "@=";
        count = 2;
    } else {
        const std::size_t before = out.size();
        out += '"';
        appendEscaped(out, value.name, '"', '"');
        out += "\"=";
        count = out.size() - before;
    }
    const auto& data = value.data;
    char buffer[32];
    switch (value.type) {
    case 1:
    case 2:
    case 7:
        // Only a whole number of UTF-16 units ending in a NUL is written as text.
        if (data.size() >= 2 && data.size() % 2 == 0 && data[data.size() - 1] == 0 && data[data.size() - 2] == 0) {
            if (value.type != 1) {
                std::snprintf(buffer, sizeof buffer, "str(%x):", unsigned(value.type));
                out += buffer;
            }
            out += '"';
            appendEscaped(out, dataUnits(data), '"', '"');
            out += "\"\n";
            return;
        }
        break;
    case 4:
        if (data.size() == 4) {
            const std::uint32_t dword = std::uint32_t(data[0]) | std::uint32_t(data[1]) << 8 |
                                        std::uint32_t(data[2]) << 16 | std::uint32_t(data[3]) << 24;
            std::snprintf(buffer, sizeof buffer, "dword:%08x\n", unsigned(dword));
            out += buffer;
            return;
        }
        break;
    default: break;
    }
    int n = value.type == 3 ? std::snprintf(buffer, sizeof buffer, "hex:")
                            : std::snprintf(buffer, sizeof buffer, "hex(%x):", unsigned(value.type));
    out.append(buffer, static_cast<std::size_t>(n));
    count += static_cast<std::size_t>(n);
    static constexpr char digits[] = "0123456789abcdef";
    out.reserve(out.size() + data.size() * 3 + data.size() / 25 * 4 + 2);
    for (std::size_t i = 0; i < data.size(); ++i) {
        out += digits[data[i] >> 4];
        out += digits[data[i] & 15];
        count += 2;
        if (i + 1 < data.size()) {
            out += ',';
            if (++count > 76) {
                out += "\\\n  ";
                count = 2;
            }
        }
    }
    out += '\n';
}

HiveKey* HiveKey::findSubkey(std::u16string_view wanted) const
{
    if (subkeys.empty() || text::compareNoCase(subkeys.back()->name, wanted) < 0)
        return nullptr;
    const auto it = std::lower_bound(subkeys.begin(), subkeys.end(), wanted,
                                     [](const std::unique_ptr<HiveKey>& key, std::u16string_view n) {
                                         return text::compareNoCase(key->name, n) < 0;
                                     });
    if (it != subkeys.end() && text::compareNoCase((*it)->name, wanted) == 0)
        return it->get();
    return nullptr;
}

int HiveKey::findValue(std::u16string_view wanted) const
{
    const auto it = std::lower_bound(values.begin(), values.end(), wanted,
                                     [](const HiveValue& v, std::u16string_view n) { return compareValues(v, n) < 0; });
    if (it != values.end() && compareValues(*it, wanted) == 0)
        return static_cast<int>(it - values.begin());
    return -1;
}

Hive::Hive() : m_root(std::make_unique<HiveKey>())
{
    m_root->loaded = true;
}
Hive::Hive(Hive&&) noexcept = default;
Hive& Hive::operator=(Hive&&) noexcept = default;

Hive::~Hive()
{
    // Taken apart from the leaves up without recursion, however deep the tree.
    if (!m_root)
        return;
    std::vector<std::unique_ptr<HiveKey>> pending;
    pending.push_back(std::move(m_root));
    while (!pending.empty()) {
        std::unique_ptr<HiveKey> key = std::move(pending.back());
        pending.pop_back();
        for (auto& subkey : key->subkeys)
            pending.push_back(std::move(subkey));
    }
}

Hive Hive::empty(std::string header)
{
    Hive hive;
    hive.m_headerLength = header.size();
    hive.m_text = std::move(header);
    return hive;
}

HiveKey& Hive::insertSubkey(HiveKey& parent, std::u16string_view name)
{
    auto key = std::make_unique<HiveKey>();
    key->name.assign(name);
    key->parent = &parent;
    key->loaded = false;
    auto& subkeys = parent.subkeys;
    // Files are written in order, so a new subkey mostly goes at the end.
    if (subkeys.empty() || text::compareNoCase(subkeys.back()->name, name) < 0)
        return *subkeys.emplace_back(std::move(key));
    const auto it = std::lower_bound(
        subkeys.begin(), subkeys.end(), name,
        [](const std::unique_ptr<HiveKey>& k, std::u16string_view n) { return text::compareNoCase(k->name, n) < 0; });
    return **subkeys.insert(it, std::move(key));
}

HiveKey* Hive::find(HiveKey& from, std::span<const std::u16string> path)
{
    HiveKey* key = &from;
    for (const auto& name : path) {
        key = key->findSubkey(name);
        if (!key)
            return nullptr;
    }
    return key;
}

bool Hive::needsBlock(const HiveKey& key) const
{
    return !key.values.empty() || key.className || key.link || key.subkeys.empty();
}

std::string Hive::keyPathText(const HiveKey& key)
{
    std::vector<const HiveKey*> chain;
    for (const HiveKey* k = &key; k->parent; k = k->parent)
        chain.push_back(k);
    std::string out;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        if (it != chain.rbegin())
            out += "\\\\";
        appendEscaped(out, (*it)->name, '[', ']');
    }
    return out;
}

std::string Hive::blockText(const HiveKey& key) const
{
    std::string out;
    appendBlockText(out, key, key.parent ? keyPathText(*key.parent) : std::string());
    return out;
}

void Hive::appendBlockText(std::string& out, const HiveKey& key, std::string_view parentPath) const
{
    out += "\n[";
    out += parentPath;
    if (key.parent && key.parent->parent)
        out += "\\\\";
    appendEscaped(out, key.name, '[', ']');
    // "] <seconds>\n#time=<hex>\n", made without printf: an import writes it for every key.
    const auto seconds = static_cast<unsigned>((key.modified - FileTimeAt1970) / FileTimeTicksPerSecond);
    out += "] ";
    char digits[24];
    const auto decimal = std::to_chars(digits, digits + sizeof digits, seconds);
    out.append(digits, decimal.ptr);
    out += "\n#time=";
    const auto high = std::to_chars(digits, digits + sizeof digits, unsigned(key.modified >> 32), 16);
    out.append(digits, high.ptr);
    const auto low = std::to_chars(digits, digits + sizeof digits, unsigned(key.modified & 0xFFFFFFFFu), 16);
    out.append(8 - std::size_t(low.ptr - digits), '0');
    out.append(digits, low.ptr);
    out += '\n';
    if (key.className) {
        out += "#class=\"";
        appendEscaped(out, *key.className, '"', '"');
        out += "\"\n";
    }
    if (key.link)
        out += "#link\n";
    for (const auto& value : key.values)
        appendValueLine(out, value);
}

void Hive::removeBlocks(HiveKey& key)
{
    if (key.blocks == 0)
        return;
    if (key.blocks == 1 && key.blockHint < m_blocks.size() && m_blocks[key.blockHint].key == &key) {
        m_blocks[key.blockHint].key = nullptr;
    } else {
        for (Block& block : m_blocks)
            if (block.key == &key)
                block.key = nullptr;
    }
    key.blocks = 0;
    m_hasDeadBlocks = true;
}

void Hive::rewrite(HiveKey& key)
{
    load(key);
    if (!key.dirty) {
        key.dirty = true;
        m_dirtyOrder.push_back(&key);
    }
}

void Hive::flush()
{
    if (m_dirtyOrder.empty() && !m_hasDeadBlocks)
        return;
    std::vector<Block> fresh;
    // The text of every block made here goes into one string: an import makes a hundred thousand.
    const auto made = std::make_shared<std::string>();
    made->reserve(m_dirtyOrder.size() * 128);
    // Keys changed together are mostly siblings: their parent's path is written once.
    const HiveKey* lastParent = nullptr;
    std::string parentPath;
    for (HiveKey* key : m_dirtyOrder) {
        if (!key->dirty)
            continue; // deleted since
        key->dirty = false;
        if (!needsBlock(*key)) {
            removeBlocks(*key);
            continue;
        }
        // The blocks of a key written more than once (by hand) become one: its first.
        const bool hinted = key->blocks > 0 && key->blockHint < m_blocks.size() && m_blocks[key->blockHint].key == key;
        Block* first = hinted ? &m_blocks[key->blockHint] : nullptr;
        if (key->blocks > 1 || (key->blocks > 0 && !hinted)) {
            for (Block& existing : m_blocks) {
                if (existing.key != key || &existing == first)
                    continue;
                if (!first) {
                    first = &existing;
                } else {
                    existing.key = nullptr;
                    m_hasDeadBlocks = true;
                }
            }
        }
        if (key->parent != lastParent) {
            lastParent = key->parent;
            parentPath = lastParent ? keyPathText(*lastParent) : std::string();
        }
        const std::size_t offset = made->size();
        appendBlockText(*made, *key, parentPath);
        Block block{key, offset, made->size() - offset, made};
        if (first)
            *first = std::move(block);
        else
            fresh.push_back(std::move(block));
        key->blocks = 1;
    }
    m_dirtyOrder.clear();
    m_deleted.clear();
    if (fresh.empty() && !m_hasDeadBlocks)
        return; // every block stays where it was

    // New blocks go where Wine would write them: before the first block that comes after them.
    // Keys made in Wine's order (an import of an export) need no sort. In a focused hive, whose
    // new keys all lie below the one key it may make, they go before the text its parse found
    // comes after that key, and never into other text nobody read.
    const auto inOrder = [](const Block& a, const Block& b) { return comesBefore(a.key, b.key); };
    const auto goesBefore = [this](const HiveKey* newKey, const HiveKey* existing) {
        if (existing == m_place.get())
            return true;
        return existing != m_unread.get() && comesBefore(newKey, existing);
    };
    if (!std::is_sorted(fresh.begin(), fresh.end(), inOrder))
        std::sort(fresh.begin(), fresh.end(), inOrder);
    std::vector<Block> merged;
    merged.reserve(m_blocks.size() + fresh.size());
    auto next = fresh.begin();
    for (Block& block : m_blocks) {
        if (!block.key)
            continue;
        while (next != fresh.end() && goesBefore(next->key, block.key))
            merged.push_back(std::move(*next++));
        merged.push_back(std::move(block));
    }
    for (; next != fresh.end(); ++next)
        merged.push_back(std::move(*next));
    m_blocks = std::move(merged);
    for (std::size_t i = 0; i < m_blocks.size(); ++i)
        m_blocks[i].key->blockHint = static_cast<std::uint32_t>(i);
    m_hasDeadBlocks = false;
}

HiveKey& Hive::create(HiveKey& from, std::span<const std::u16string> path, std::uint64_t now, bool& created)
{
    created = false;
    HiveKey* key = &from;
    HiveKey* touched = nullptr;
    for (const auto& name : path) {
        HiveKey* child = key->findSubkey(name);
        if (!child) {
            if (!touched) {
                touched = key;
                load(*key); // its block may have to go now that it has a subkey
            }
            child = &insertSubkey(*key, name);
            child->modified = now;
            child->loaded = true;
        }
        key = child;
    }
    if (touched) {
        created = true;
        rewrite(*key);
        // Wine stamps the parent of a new key; it keeps a block only while it needs one.
        touched->modified = now;
        if (touched->blocks > 0)
            rewrite(*touched);
    }
    return *key;
}

void Hive::setValue(HiveKey& key, HiveValue value, std::uint64_t now)
{
    load(key);
    const int index = key.findValue(value.name);
    if (index >= 0) {
        // The value keeps the case of its name, as on Windows.
        HiveValue& existing = key.values[std::size_t(index)];
        existing.type = value.type;
        existing.data = std::move(value.data);
    } else {
        const auto it =
            std::lower_bound(key.values.begin(), key.values.end(), value.name,
                             [](const HiveValue& v, std::u16string_view n) { return compareValues(v, n) < 0; });
        key.values.insert(it, std::move(value));
    }
    key.modified = now;
    rewrite(key);
}

bool Hive::deleteValue(HiveKey& key, std::u16string_view name, std::uint64_t now)
{
    load(key);
    const int index = key.findValue(name);
    if (index < 0)
        return false;
    key.values.erase(key.values.begin() + index);
    key.modified = now;
    rewrite(key);
    return true;
}

void Hive::deleteKey(HiveKey& key, std::uint64_t now)
{
    HiveKey* parent = key.parent;
    if (!parent || !key.subkeys.empty())
        return;
    load(*parent);
    removeBlocks(key);
    const auto it = std::find_if(parent->subkeys.begin(), parent->subkeys.end(),
                                 [&](const std::unique_ptr<HiveKey>& k) { return k.get() == &key; });
    if (key.dirty) {
        key.dirty = false;
        m_deleted.push_back(std::move(*it));
    }
    parent->subkeys.erase(it);
    parent->modified = now;
    // A parent left without subkeys, values and block of its own would vanish at the next
    // read; rewrite gives it a block, as Wine does.
    rewrite(*parent);
}

std::optional<std::string_view> Hive::blockSource(const HiveKey& key) const
{
    // A key changed since is made anew at the next flush.
    if (key.dirty)
        return std::nullopt;
    if (key.blocks == 0)
        return std::string_view();
    if (key.blocks > 1 || key.blockHint >= m_blocks.size())
        return std::nullopt;
    const Block& block = m_blocks[key.blockHint];
    if (block.key != &key || block.owned)
        return std::nullopt;
    return block.view(m_text.view());
}

std::string Hive::serialize()
{
    const auto parts = pieces();
    std::size_t size = 0;
    for (const std::string_view part : parts)
        size += part.size();
    std::string out;
    out.reserve(size + 1);
    for (const std::string_view part : parts)
        out += part;
    return out;
}

std::vector<std::string_view> Hive::pieces()
{
    flush();
    // Blocks that lie one after the other, in the text or as one flush made them, make one piece.
    // A fresh block starts with its line end, so it also follows a last line without one.
    std::vector<std::string_view> out{m_text.view().substr(0, m_headerLength)};
    for (const Block& block : m_blocks) {
        const std::string_view view = block.view(m_text.view());
        std::string_view& last = out.back();
        if (last.data() + last.size() == view.data())
            last = std::string_view(last.data(), last.size() + view.size());
        else
            out.push_back(view);
    }
    return out;
}

void Hive::commit(std::string text)
{
    m_text = std::move(text);
    std::size_t offset = m_headerLength;
    for (Block& block : m_blocks) {
        const std::size_t length = block.length;
        block.offset = offset;
        block.length = length;
        block.owned.reset();
        block.key->blockHint = static_cast<std::uint32_t>(&block - m_blocks.data());
        offset += length;
    }
}

} // namespace core::registry