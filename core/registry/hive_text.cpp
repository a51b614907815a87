#include "core/registry/hive_text.h"

#include "core/registry/value_data.h"
#include "core/text/unicode.h"
#include "core/text/ascii.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace core::registry {
namespace {

constexpr std::size_t npos = std::string_view::npos;

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Hex digits by table: hex lists are the bulk of many hives.
struct HexDigits {
    signed char value[256];
    constexpr HexDigits() : value{}
    {
        for (int c = 0; c < 256; ++c)
            value[c] = static_cast<signed char>(text::hexDigitValue(static_cast<unsigned char>(c)));
    }
};
constexpr HexDigits hexDigits;

int hexValue(char c)
{
    return hexDigits.value[static_cast<unsigned char>(c)];
}

bool isHexDigitUnit(char16_t c)
{
    return c < 128 && text::hexDigitValue(c) >= 0;
}

std::size_t skipSpaces(std::string_view line, std::size_t pos)
{
    while (pos < line.size() && isSpace(line[pos]))
        ++pos;
    return pos;
}

bool startsWith(std::string_view text, std::size_t pos, std::string_view prefix)
{
    return text.size() - pos >= prefix.size() && text.compare(pos, prefix.size(), prefix) == 0;
}

// Key and value lines are mostly long runs of plain characters, so the two searches below look
// at eight bytes at a time. The lowest marked byte of a word is exact; only bytes after it may
// be marked falsely, which is why the search needs the lowest byte first in memory.
constexpr bool wordSearch = std::endian::native == std::endian::little;
constexpr std::uint64_t byteOnes = 0x0101010101010101ull;

std::uint64_t loadWord(const char* at)
{
    std::uint64_t word;
    std::memcpy(&word, at, sizeof word);
    return word;
}

// The position of the first `a` or `b` in `text` from `pos`, or text.size().
std::size_t findEither(std::string_view text, std::size_t pos, char a, char b)
{
    if constexpr (wordSearch) {
        if (text.size() >= 8) {
            const std::uint64_t wordA = byteOnes * static_cast<unsigned char>(a);
            const std::uint64_t wordB = byteOnes * static_cast<unsigned char>(b);
            const auto marks = [&](std::size_t at) {
                const std::uint64_t word = loadWord(text.data() + at);
                const std::uint64_t xa = word ^ wordA;
                const std::uint64_t xb = word ^ wordB;
                return (((xa - byteOnes) & ~xa) | ((xb - byteOnes) & ~xb)) & (byteOnes << 7);
            };
            for (; pos + 8 <= text.size(); pos += 8)
                if (const std::uint64_t marked = marks(pos))
                    return pos + static_cast<std::size_t>(std::countr_zero(marked) / 8);
            if (pos == text.size())
                return pos;
            // The rest is the end of the last word, whose first bytes were looked at already.
            const std::size_t last = text.size() - 8;
            const std::uint64_t marked = marks(last) >> ((pos - last) * 8);
            return marked ? pos + static_cast<std::size_t>(std::countr_zero(marked) / 8) : text.size();
        }
    }
    while (pos < text.size() && text[pos] != a && text[pos] != b)
        ++pos;
    return pos;
}

// Equality unit for unit, as the bytes compare.
bool sameUnits(std::u16string_view a, std::u16string_view b)
{
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(char16_t)) == 0;
}

// The length of the longest common start of `a` and `b`.
std::size_t commonStart(std::string_view a, std::string_view b)
{
    const std::size_t size = std::min(a.size(), b.size());
    std::size_t pos = 0;
    if constexpr (wordSearch) {
        for (; pos + 8 <= size; pos += 8) {
            const std::uint64_t differ = loadWord(a.data() + pos) ^ loadWord(b.data() + pos);
            if (differ)
                return pos + static_cast<std::size_t>(std::countr_zero(differ) / 8);
        }
    }
    while (pos < size && a[pos] == b[pos])
        ++pos;
    return pos;
}

// The lines of a text, without their "\n" and a "\r" before it, as Wine reads them.
class LineReader {
public:
    explicit LineReader(std::string_view text) : m_text(text) {}

    bool next(std::string_view& line)
    {
        if (m_pos >= m_text.size())
            return false;
        m_start = m_pos;
        const void* found = std::memchr(m_text.data() + m_pos, '\n', m_text.size() - m_pos);
        const std::size_t end = found ? static_cast<std::size_t>(static_cast<const char*>(found) - m_text.data())
                                      : m_text.size();
        m_pos = found ? end + 1 : end;
        line = m_text.substr(m_start, end - m_start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        ++m_line;
        return true;
    }
    std::size_t lineStart() const { return m_start; }
    std::size_t lineNumber() const { return m_line; }

private:
    std::string_view m_text;
    std::size_t m_pos = 0;
    std::size_t m_start = 0;
    std::size_t m_line = 0;
};

// Receives the characters of a quoted string; the validating pass throws them away.
struct DiscardText {
    void raw(std::string_view) {}
    void unit(unsigned) {}
};

struct CollectText {
    std::u16string& out;
    void raw(std::string_view run)
    {
        const std::size_t start = out.size();
        out.resize(start + run.size());
        char16_t* to = out.data() + start;
        for (const char c : run) {
            if (static_cast<unsigned char>(c) >= 0x80) {
                out.resize(start);
                out += text::toUtf16(run);
                return;
            }
            *to++ = static_cast<char16_t>(c);
        }
    }
    void unit(unsigned value) { out += static_cast<char16_t>(value); }
};

// Reads an escaped string from `pos` up to the unescaped `endChar`. Returns the position
// after `endChar`, or npos when the line ends first.
template <class Sink>
std::size_t scanString(std::string_view line, std::size_t pos, char endChar, Sink& sink)
{
    while (pos < line.size()) {
        const std::size_t runStart = pos;
        pos = findEither(line, pos, '\\', endChar);
        if (pos > runStart)
            sink.raw(line.substr(runStart, pos - runStart));
        if (pos >= line.size())
            return npos;
        if (line[pos] == endChar)
            return pos + 1;
        if (++pos >= line.size())
            return npos;
        const char c = line[pos++];
        switch (c) {
        case 'a': sink.unit(7); break;
        case 'b': sink.unit(8); break;
        case 'e': sink.unit(27); break;
        case 'f': sink.unit(12); break;
        case 'n': sink.unit(10); break;
        case 'r': sink.unit(13); break;
        case 't': sink.unit(9); break;
        case 'v': sink.unit(11); break;
        case 'x': {
            unsigned value = 0;
            for (int n = 0; n < 4 && pos < line.size() && hexValue(line[pos]) >= 0; ++n)
                value = value * 16 + static_cast<unsigned>(hexValue(line[pos++]));
            sink.unit(value);
            break;
        }
        case '0': case '1': case '2': case '3': case '4': case '5': case '6': case '7': {
            unsigned value = static_cast<unsigned>(c - '0');
            for (int n = 1; n < 3 && pos < line.size() && line[pos] >= '0' && line[pos] <= '7'; ++n)
                value = value * 8 + static_cast<unsigned>(line[pos++] - '0');
            sink.unit(value);
            break;
        }
        default:
            if (static_cast<unsigned char>(c) < 0x80)
                sink.unit(static_cast<unsigned char>(c));
            else
                --pos; // an escaped non-ASCII character stands for itself
            break;
        }
    }
    return npos;
}

// Parses one value line (starting at its '"' or '@') and the continuation lines of a hex
// list. `out` is null in the validating pass. Returns an empty string or the reason.
const char* readValue(LineReader& lines, std::string_view line, HiveValue* out, std::u16string& scratch)
{
    std::size_t pos = 0;
    if (line[0] == '@') {
        pos = 1;
        if (out)
            out->name.clear();
    } else if (out) {
        out->name.clear();
        CollectText sink{out->name};
        pos = scanString(line, 1, '"', sink);
    } else {
        DiscardText sink;
        pos = scanString(line, 1, '"', sink);
    }
    if (pos == npos)
        return "the value name has no closing quote";
    if (pos >= line.size() || line[pos] != '=')
        return "'=' expected after the value name";
    ++pos;

    struct Tag {
        std::string_view text;
        std::uint32_t type;
    };
    static constexpr Tag tags[] = {{"\"", 1}, {"str:\"", 1}, {"str(2):\"", 2}, {"str(7):\"", 7}};
    for (const Tag& tag : tags) {
        if (!startsWith(line, pos, tag.text))
            continue;
        pos += tag.text.size();
        std::size_t end;
        if (out) {
            scratch.clear();
            CollectText sink{scratch};
            end = scanString(line, pos, '"', sink);
            out->type = tag.type;
            out->data.clear();
            appendUtf16Le(out->data, scratch);
            out->data.push_back(0);
            out->data.push_back(0);
        } else {
            DiscardText sink;
            end = scanString(line, pos, '"', sink);
        }
        return end == npos ? "the text has no closing quote" : "";
    }

    if (startsWith(line, pos, "dword:")) {
        // Read as strtoul reads it: leading blanks, then hex digits (too many give all ones);
        // the rest of the line is ignored.
        pos = skipSpaces(line, pos + 6);
        std::uint64_t value = 0;
        while (pos < line.size() && hexValue(line[pos]) >= 0) {
            value = std::min<std::uint64_t>(value * 16 + static_cast<unsigned>(hexValue(line[pos++])), 0xFFFFFFFFFull);
        }
        if (out) {
            const auto dword = static_cast<std::uint32_t>(value);
            out->type = 4;
            out->data = {static_cast<std::uint8_t>(dword), static_cast<std::uint8_t>(dword >> 8),
                         static_cast<std::uint8_t>(dword >> 16), static_cast<std::uint8_t>(dword >> 24)};
        }
        return "";
    }

    std::uint32_t type = 3;
    if (startsWith(line, pos, "hex:")) {
        pos += 4;
    } else if (startsWith(line, pos, "hex(")) {
        pos += 4;
        std::uint64_t value = 0;
        const std::size_t digits = pos;
        while (pos < line.size() && hexValue(line[pos]) >= 0)
            value = std::min<std::uint64_t>(value * 16 + static_cast<unsigned>(hexValue(line[pos++])), 0xFFFFFFFFFull);
        if (pos == digits || !startsWith(line, pos, "):"))
            return "the value type is not understood";
        type = static_cast<std::uint32_t>(value);
        pos += 2;
    } else {
        return "the value type is not understood";
    }
    if (out) {
        out->type = type;
        out->data.clear();
    }
    for (;;) {
        // Wine writes every byte as two digits and a comma.
        while (pos + 3 <= line.size() && line[pos + 2] == ',' && hexValue(line[pos]) >= 0 &&
               hexValue(line[pos + 1]) >= 0) {
            if (out)
                out->data.push_back(static_cast<std::uint8_t>(hexValue(line[pos]) * 16 + hexValue(line[pos + 1])));
            pos += 3;
        }
        pos = skipSpaces(line, pos);
        while (pos < line.size() && hexValue(line[pos]) >= 0) {
            unsigned byte = 0;
            while (pos < line.size() && hexValue(line[pos]) >= 0) {
                byte = byte * 16 + static_cast<unsigned>(hexValue(line[pos++]));
                if (byte > 0xFF)
                    return "a byte of hex data is out of range";
            }
            if (out)
                out->data.push_back(static_cast<std::uint8_t>(byte));
            pos = skipSpaces(line, pos);
            if (pos < line.size() && line[pos] == ',')
                ++pos;
            pos = skipSpaces(line, pos);
        }
        pos = skipSpaces(line, pos);
        if (pos >= line.size())
            return "";
        if (line[pos] != '\\')
            return "the hex data is malformed";
        if (!lines.next(line))
            return "the hex data goes on past the end of the file";
        pos = skipSpaces(line, 0);
    }
}

// Reads the attributes of a key from a "#..." line, as Wine does; unknown options are ignored.
void readOption(std::string_view line, HiveKey& key, std::u16string& scratch)
{
    if (startsWith(line, 0, "#time=")) {
        std::uint64_t time = 0;
        for (std::size_t pos = 6; pos < line.size() && hexValue(line[pos]) >= 0; ++pos)
            time = (time << 4) | static_cast<unsigned>(hexValue(line[pos]));
        key.modified = time;
    } else if (startsWith(line, 0, "#class=\"")) {
        scratch.clear();
        CollectText sink{scratch};
        if (scanString(line, 8, '"', sink) != npos)
            key.className = scratch;
    } else if (startsWith(line, 0, "#link")) {
        key.link = true;
    }
}

// Parses the "] <seconds>" after a key path; Wine takes the current time when they are missing.
std::uint64_t blockTime(std::string_view line, std::size_t pos)
{
    pos = skipSpaces(line, pos);
    if (pos >= line.size() || line[pos] < '0' || line[pos] > '9')
        return currentFileTime();
    std::uint32_t seconds = 0;
    while (pos < line.size() && line[pos] >= '0' && line[pos] <= '9')
        seconds = seconds * 10 + static_cast<std::uint32_t>(line[pos++] - '0');
    return std::uint64_t(seconds) * FileTimeTicksPerSecond + FileTimeAt1970;
}

void splitPath(std::u16string_view path, std::vector<std::u16string_view>& components)
{
    components.clear();
    std::size_t pos = 0;
    while (pos < path.size()) {
        // Wine takes a run of separators as one.
        if (path[pos] == u'\\') {
            ++pos;
            continue;
        }
        const std::size_t end = std::min(path.find(u'\\', pos), path.size());
        components.push_back(path.substr(pos, end - pos));
        pos = end;
    }
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
    timespec now {};
    clock_gettime(CLOCK_REALTIME, &now);
    return FileTimeAt1970 + std::uint64_t(now.tv_sec) * FileTimeTicksPerSecond + std::uint64_t(now.tv_nsec) / 100;
}

std::string hiveHeader(std::u16string_view rootPath)
{
    std::string header(HiveSignature);
    header += "\n;; All keys relative to ";
    std::vector<std::u16string_view> components;
    splitPath(rootPath, components);
    for (std::size_t i = 0; i < components.size(); ++i) {
        if (i)
            header += "\\\\";
        appendEscaped(header, components[i], '[', ']');
    }
    header += "\n\n#arch=win64\n";
    return header;
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
            if (c == '\\' || c == escape1 || c == escape2)
                out += '\\';
            out += c;
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
    case 1: case 2: case 7:
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
    default:
        break;
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
    hive.m_text = std::move(header);
    hive.m_headerLength = hive.m_text.size();
    return hive;
}

bool Hive::parse(std::string text, Hive& result, HiveParseError& error)
{
    Hive hive;
    hive.m_root->loaded = false;
    const std::string_view view(text);
    LineReader lines(view);
    std::string_view line;
    auto fail = [&](std::size_t lineNumber, std::string what) {
        error.line = lineNumber;
        error.what = std::move(what);
        return false;
    };
    if (const std::size_t nul = view.find('\0'); nul != npos)
        return fail(1 + std::size_t(std::count(view.begin(), view.begin() + std::ptrdiff_t(nul), '\n')),
                    "the file holds a NUL byte");
    if (!lines.next(line) || line != HiveSignature)
        return fail(1, "the first line is not \"" + std::string(HiveSignature) + "\"");
    // Blocks average far more than 48 bytes; what a smaller guess leaves unused is never touched.
    hive.m_blocks.reserve(view.size() / 48);

    std::u16string scratch;
    std::u16string pathText;
    std::vector<std::u16string_view> components;
    std::vector<std::u16string> previousComponents;
    std::vector<HiveKey*> previousKeys;
    std::string_view previousKeyLine;

    HiveKey* current = nullptr;
    std::size_t segmentStart = 0;
    bool previousEmpty = false;
    std::size_t previousStart = 0;
    auto closeSegment = [&](std::size_t end) {
        if (!current)
            hive.m_headerLength = end;
        else {
            if (current->blocks == 1)
                current->blockHint = hive.m_blocks.size();
            hive.m_blocks.push_back(Block{current, segmentStart, end - segmentStart, nullptr});
        }
    };

    while (lines.next(line)) {
        const std::size_t start = lines.lineStart();
        const std::size_t first = skipSpaces(line, 0);
        if (first == line.size()) {
            previousEmpty = line.empty();
            previousStart = start;
            continue;
        }
        const std::string_view body = line.substr(first);
        switch (body[0]) {
        case '[': {
            const std::size_t boundary = previousEmpty ? previousStart : start;
            // Files are written in order, so a key mostly shares its first components with the
            // key before it, byte for byte: those are taken from it without being read again,
            // up to the first escape other than a separator.
            const std::size_t common = commonStart(body, previousKeyLine);
            // A separator is an escaped backslash, wholly inside the common start.
            const std::string_view sharedPart = body.substr(0, common > 0 ? common - 1 : 0);
            std::size_t shared = 0;
            std::size_t from = 1;
            for (std::size_t i = 1; i < sharedPart.size();) {
                i = findEither(sharedPart, i, '\\', ']');
                if (i >= sharedPart.size() || body[i] == ']' || body[i + 1] != '\\' || i == from)
                    break;
                ++shared;
                i += 2;
                from = i;
            }
            previousKeyLine = body;
            pathText.clear();
            CollectText sink{pathText};
            const std::size_t end = scanString(body, from, ']', sink);
            if (end == npos)
                return fail(lines.lineNumber(), "the key name has no closing ']'");
            const std::uint64_t time = blockTime(body, end);
            splitPath(pathText, components);
            const std::size_t total = shared + components.size();
            if (total > MaxKeyDepth)
                return fail(lines.lineNumber(), "the key lies more than " + std::to_string(MaxKeyDepth) +
                                                    " levels below the root");
            for (const auto name : components)
                if (name.size() > MaxKeyNameLength)
                    return fail(lines.lineNumber(), "a key name is longer than " + std::to_string(MaxKeyNameLength) +
                                                        " characters");
            HiveKey* key = shared > 0 ? previousKeys[shared - 1] : hive.m_root.get();
            std::size_t depth = shared;
            while (depth < total && depth < previousComponents.size() &&
                   sameUnits(components[depth - shared], previousComponents[depth])) {
                key = previousKeys[depth];
                ++depth;
            }
            previousComponents.resize(total);
            previousKeys.resize(total);
            for (; depth < total; ++depth) {
                const std::u16string_view name = components[depth - shared];
                HiveKey* child = key->findSubkey(name);
                if (!child) {
                    child = &hive.insertSubkey(*key, name);
                    child->modified = time;
                }
                previousComponents[depth].assign(name);
                previousKeys[depth] = child;
                key = child;
            }
            closeSegment(boundary);
            segmentStart = boundary;
            current = key;
            if (key->blocks++ == 0)
                key->modified = time;
            break;
        }
        case '"':
        case '@':
            if (!current)
                return fail(lines.lineNumber(), "a value comes before the first key");
            if (const char* what = readValue(lines, body, nullptr, scratch); *what)
                return fail(lines.lineNumber(), what);
            break;
        case '#':
        case ';':
            break;
        default:
            return fail(lines.lineNumber(), "the line is neither a key, a value nor a comment");
        }
        previousEmpty = false;
    }
    closeSegment(view.size());
    hive.m_text = std::move(text);
    result = std::move(hive);
    return true;
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
    const auto it = std::lower_bound(subkeys.begin(), subkeys.end(), name,
                                     [](const std::unique_ptr<HiveKey>& k, std::u16string_view n) {
                                         return text::compareNoCase(k->name, n) < 0;
                                     });
    return **subkeys.insert(it, std::move(key));
}

HiveKey* Hive::find(std::span<const std::u16string> path)
{
    HiveKey* key = m_root.get();
    for (const auto& name : path) {
        key = key->findSubkey(name);
        if (!key)
            return nullptr;
    }
    return key;
}

void Hive::load(HiveKey& key)
{
    if (key.loaded)
        return;
    key.loaded = true;
    std::u16string scratch;
    HiveValue value;
    const bool hinted = key.blocks == 1 && key.blockHint < m_blocks.size() && m_blocks[key.blockHint].key == &key;
    const auto first = hinted ? m_blocks.begin() + std::ptrdiff_t(key.blockHint) : m_blocks.begin();
    const auto last = hinted ? first + 1 : (key.blocks > 0 ? m_blocks.end() : m_blocks.begin());
    for (auto it = first; it != last; ++it) {
        const Block& block = *it;
        if (block.key != &key)
            continue;
        LineReader lines(block.view(m_text));
        std::string_view line;
        while (lines.next(line)) {
            const std::string_view body = line.substr(skipSpaces(line, 0));
            if (body.empty())
                continue;
            if (body[0] == '[') {
                scratch.clear();
                CollectText sink{scratch};
                const std::size_t end = scanString(body, 1, ']', sink);
                key.modified = blockTime(body, end == npos ? body.size() : end);
            } else if (body[0] == '#') {
                readOption(body, key, scratch);
            } else if (body[0] == '"' || body[0] == '@') {
                if (*readValue(lines, body, &value, scratch))
                    continue; // cannot happen: the whole file was checked when it was read
                const int index = key.findValue(value.name);
                if (index >= 0) {
                    key.values[std::size_t(index)] = std::move(value);
                } else {
                    const auto place = std::lower_bound(
                        key.values.begin(), key.values.end(), value.name,
                        [](const HiveValue& v, std::u16string_view n) { return compareValues(v, n) < 0; });
                    key.values.insert(place, std::move(value));
                }
                value = HiveValue{};
            }
        }
    }
}

bool Hive::needsBlock(const HiveKey& key) const
{
    return !key.values.empty() || key.className || key.link || key.subkeys.empty();
}

std::string Hive::blockText(const HiveKey& key) const
{
    std::vector<const HiveKey*> chain;
    for (const HiveKey* k = &key; k->parent; k = k->parent)
        chain.push_back(k);
    std::string out = "\n[";
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        if (it != chain.rbegin())
            out += "\\\\";
        appendEscaped(out, (*it)->name, '[', ']');
    }
    char buffer[64];
    const auto seconds = static_cast<unsigned>((key.modified - FileTimeAt1970) / FileTimeTicksPerSecond);
    std::snprintf(buffer, sizeof buffer, "] %u\n#time=%x%08x\n", seconds, unsigned(key.modified >> 32),
                  unsigned(key.modified & 0xFFFFFFFFu));
    out += buffer;
    if (key.className) {
        out += "#class=\"";
        appendEscaped(out, *key.className, '"', '"');
        out += "\"\n";
    }
    if (key.link)
        out += "#link\n";
    for (const auto& value : key.values)
        appendValueLine(out, value);
    return out;
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
    if (m_dirty.insert(&key).second)
        m_dirtyOrder.push_back(&key);
}

void Hive::flush()
{
    if (m_dirty.empty() && !m_hasDeadBlocks)
        return;
    std::vector<Block> fresh;
    for (HiveKey* key : m_dirtyOrder) {
        if (m_dirty.erase(key) == 0)
            continue; // deleted, or already done under this address
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
        Block block{key, 0, 0, std::make_unique<std::string>(blockText(*key))};
        if (first)
            *first = std::move(block);
        else
            fresh.push_back(std::move(block));
        key->blocks = 1;
    }
    m_dirty.clear();
    m_dirtyOrder.clear();
    if (fresh.empty() && !m_hasDeadBlocks)
        return; // every block stays where it was

    // New blocks go where Wine would write them: before the first block that comes after them.
    // Keys made in Wine's order (an import of an export) need no sort.
    const auto inOrder = [](const Block& a, const Block& b) { return comesBefore(a.key, b.key); };
    if (!std::is_sorted(fresh.begin(), fresh.end(), inOrder))
        std::sort(fresh.begin(), fresh.end(), inOrder);
    std::vector<Block> merged;
    merged.reserve(m_blocks.size() + fresh.size());
    auto next = fresh.begin();
    for (Block& block : m_blocks) {
        if (!block.key)
            continue;
        while (next != fresh.end() && comesBefore(next->key, block.key))
            merged.push_back(std::move(*next++));
        merged.push_back(std::move(block));
    }
    for (; next != fresh.end(); ++next)
        merged.push_back(std::move(*next));
    m_blocks = std::move(merged);
    for (std::size_t i = 0; i < m_blocks.size(); ++i)
        m_blocks[i].key->blockHint = i;
    m_hasDeadBlocks = false;
}

HiveKey& Hive::create(std::span<const std::u16string> path, std::uint64_t now, bool& created)
{
    created = false;
    HiveKey* key = m_root.get();
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
        const auto it = std::lower_bound(key.values.begin(), key.values.end(), value.name,
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
    m_dirty.erase(&key);
    std::erase_if(parent->subkeys, [&](const std::unique_ptr<HiveKey>& k) { return k.get() == &key; });
    parent->modified = now;
    // A parent left without subkeys, values and block of its own would vanish at the next
    // read; rewrite gives it a block, as Wine does.
    rewrite(*parent);
}

std::optional<std::string_view> Hive::blockSource(const HiveKey& key) const
{
    // A key changed since is made anew at the next flush.
    if (m_dirty.count(const_cast<HiveKey*>(&key)))
        return std::nullopt;
    if (key.blocks == 0)
        return std::string_view();
    if (key.blocks > 1 || key.blockHint >= m_blocks.size())
        return std::nullopt;
    const Block& block = m_blocks[key.blockHint];
    if (block.key != &key || block.owned)
        return std::nullopt;
    return block.view(m_text);
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
    // Blocks nobody changed lie one after the other in the text and make one piece.
    // A fresh block starts with its line end, so it also follows a last line without one.
    std::vector<std::string_view> out{std::string_view(m_text).substr(0, m_headerLength)};
    bool lastFromText = true;
    for (const Block& block : m_blocks) {
        const std::string_view view = block.view(m_text);
        std::string_view& last = out.back();
        if (lastFromText && !block.owned && last.data() + last.size() == view.data())
            last = std::string_view(last.data(), last.size() + view.size());
        else
            out.push_back(view);
        lastFromText = !block.owned;
    }
    return out;
}

void Hive::commit(std::string text)
{
    m_text = std::move(text);
    std::size_t offset = m_headerLength;
    for (Block& block : m_blocks) {
        const std::size_t length = block.owned ? block.owned->size() : block.length;
        block.offset = offset;
        block.length = length;
        block.owned.reset();
        block.key->blockHint = std::size_t(&block - m_blocks.data());
        offset += length;
    }
}

} // namespace core::registry
