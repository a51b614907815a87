#include "core/registry/hive_parse.h"

#include "core/registry/hive_text.h"
#include "core/registry/value_data.h"
#include "core/text/ascii.h"
#include "core/text/unicode.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace core::registry {
namespace {

constexpr std::size_t npos = std::string_view::npos;
// How much of a mapped hive's text read last stays in memory.
constexpr std::size_t ForgetWindow = std::size_t{8} << 20;

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
        const std::size_t end =
            found ? static_cast<std::size_t>(static_cast<const char*>(found) - m_text.data()) : m_text.size();
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

// The characters straight into UTF-16LE data, as a value's text is kept.
struct CollectData {
    std::vector<std::uint8_t>& out;
    void raw(std::string_view run)
    {
        const std::size_t start = out.size();
        out.resize(start + run.size() * 2);
        std::uint8_t* to = out.data() + start;
        for (const char c : run) {
            if (static_cast<unsigned char>(c) >= 0x80) {
                out.resize(start);
                appendUtf16Le(out, text::toUtf16(run));
                return;
            }
            *to++ = static_cast<std::uint8_t>(c);
            *to++ = 0;
        }
    }
    void unit(unsigned value)
    {
        out.push_back(static_cast<std::uint8_t>(value & 0xFF));
        out.push_back(static_cast<std::uint8_t>(value >> 8));
    }
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
        case '0':
        case '1':
        case '2':
        case '3':
        case '4':
        case '5':
        case '6':
        case '7': {
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
const char* readValue(LineReader& lines, std::string_view line, HiveValue* out)
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
    const bool text = pos < line.size() && (line[pos] == '"' || line[pos] == 's');
    for (const Tag& tag : tags) {
        if (!text)
            break;
        if (!startsWith(line, pos, tag.text))
            continue;
        pos += tag.text.size();
        std::size_t end;
        if (out) {
            out->type = tag.type;
            out->data.clear();
            CollectData sink{out->data};
            end = scanString(line, pos, '"', sink);
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
        if (out) {
            const std::size_t start = out->data.size();
            out->data.resize(start + (line.size() - pos) / 3);
            std::uint8_t* to = out->data.data() + start;
            while (pos + 3 <= line.size() && line[pos + 2] == ',' && hexValue(line[pos]) >= 0 &&
                   hexValue(line[pos + 1]) >= 0) {
                *to++ = static_cast<std::uint8_t>(hexValue(line[pos]) * 16 + hexValue(line[pos + 1]));
                pos += 3;
            }
            out->data.resize(static_cast<std::size_t>(to - out->data.data()));
        } else {
            while (pos + 3 <= line.size() && line[pos + 2] == ',' && hexValue(line[pos]) >= 0 &&
                   hexValue(line[pos + 1]) >= 0)
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
            key.className = std::make_unique<std::u16string>(scratch);
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

} // namespace

void splitKeyPath(std::u16string_view path, std::vector<std::u16string_view>& components)
{
    components.clear();
    std::size_t pos = 0;
    while (pos < path.size()) {
        if (path[pos] == u'\\') {
            ++pos;
            continue;
        }
        const std::size_t end = std::min(path.find(u'\\', pos), path.size());
        components.push_back(path.substr(pos, end - pos));
        pos = end;
    }
}

// One pass over a file's text: checks every line, builds the tree of keys and cuts the text
// into the header and one block per key. Values are read later, from a key's block, when asked for.
class Hive::Parser {
public:
    Parser(const io::FileText& source, Hive& hive, HiveParseError& error)
        : m_source(source)
        , m_text(source.view())
        , m_lines(source.view())
        , m_hive(hive)
        , m_error(error)
    {
    }

    bool run()
    {
        std::string_view line;
        if (const std::size_t nul = m_text.find('\0'); nul != npos)
            return fail(1 + std::size_t(std::count(m_text.begin(), m_text.begin() + std::ptrdiff_t(nul), '\n')),
                        "the file holds a NUL byte");
        if (!m_lines.next(line) || line != HiveSignature)
            return fail(1, "the first line is not \"" + std::string(HiveSignature) + "\"");
        // Blocks average far more than 48 bytes; what a smaller guess leaves unused is never touched.
        m_hive.m_blocks.reserve(m_text.size() / 48);

        bool previousEmpty = false;
        std::size_t previousStart = 0;
        std::size_t forgotten = 0;
        while (m_lines.next(line)) {
            const std::size_t start = m_lines.lineStart();
            // The text read is given back as the parse goes: a walk reads it again one key at a time.
            if (start - forgotten >= ForgetWindow) {
                m_source.forget(forgotten, start);
                forgotten = start;
            }
            const std::size_t first = skipSpaces(line, 0);
            if (first == line.size()) {
                previousEmpty = line.empty();
                previousStart = start;
                continue;
            }
            const std::string_view body = line.substr(first);
            switch (body[0]) {
            case '[':
                // The blank line before a key belongs to its block.
                if (!keyLine(body, previousEmpty ? previousStart : start))
                    return false;
                break;
            case '"':
            case '@':
                if (!m_current)
                    return fail(m_lines.lineNumber(), "a value comes before the first key");
                if (const char* what = readValue(m_lines, body, nullptr); *what)
                    return fail(m_lines.lineNumber(), what);
                break;
            case '#':
            case ';': break;
            default: return fail(m_lines.lineNumber(), "the line is neither a key, a value nor a comment");
            }
            previousEmpty = false;
        }
        closeSegment(m_text.size());
        return true;
    }

private:
    bool fail(std::size_t lineNumber, std::string what)
    {
        m_error.line = lineNumber;
        m_error.what = std::move(what);
        return false;
    }

    // The text from the last boundary up to `end` is the header or the current key's block.
    void closeSegment(std::size_t end)
    {
        if (!m_current) {
            m_hive.m_headerLength = end;
            return;
        }
        if (m_current->blocks == 1)
            m_current->blockHint = static_cast<std::uint32_t>(m_hive.m_blocks.size());
        m_hive.m_blocks.push_back(Block{m_current, m_segmentStart, end - m_segmentStart, nullptr});
    }

    // A "[path] seconds" line: finds or makes the key, and starts its block at `boundary`.
    bool keyLine(std::string_view body, std::size_t boundary)
    {
        // Files are written in order, so a key mostly shares its first components with the
        // key before it, byte for byte: those are taken from it without being read again,
        // up to the first escape other than a separator.
        const std::size_t common = commonStart(body, m_previousKeyLine);
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
        m_previousKeyLine = body;
        m_pathText.clear();
        CollectText sink{m_pathText};
        const std::size_t end = scanString(body, from, ']', sink);
        if (end == npos)
            return fail(m_lines.lineNumber(), "the key name has no closing ']'");
        const std::uint64_t time = blockTime(body, end);
        splitKeyPath(m_pathText, m_components);
        const std::size_t total = shared + m_components.size();
        if (total > MaxKeyDepth)
            return fail(m_lines.lineNumber(),
                        "the key lies more than " + std::to_string(MaxKeyDepth) + " levels below the root");
        for (const auto name : m_components)
            if (name.size() > MaxKeyNameLength)
                return fail(m_lines.lineNumber(),
                            "a key name is longer than " + std::to_string(MaxKeyNameLength) + " characters");
        HiveKey* key = shared > 0 ? m_previousKeys[shared - 1] : m_hive.m_root.get();
        std::size_t depth = shared;
        while (depth < total && depth < m_previousComponents.size() &&
               sameUnits(m_components[depth - shared], m_previousComponents[depth])) {
            key = m_previousKeys[depth];
            ++depth;
        }
        m_previousComponents.resize(total);
        m_previousKeys.resize(total);
        for (; depth < total; ++depth) {
            const std::u16string_view name = m_components[depth - shared];
            HiveKey* child = key->findSubkey(name);
            if (!child) {
                child = &m_hive.insertSubkey(*key, name);
                child->modified = time;
            }
            m_previousComponents[depth].assign(name);
            m_previousKeys[depth] = child;
            key = child;
        }
        closeSegment(boundary);
        m_segmentStart = boundary;
        m_current = key;
        if (key->blocks++ == 0)
            key->modified = time;
        return true;
    }

    const io::FileText& m_source;
    std::string_view m_text;
    LineReader m_lines;
    Hive& m_hive;
    HiveParseError& m_error;
    std::u16string m_pathText;
    std::vector<std::u16string_view> m_components;
    // The key line before, its path's names and their keys.
    std::string_view m_previousKeyLine;
    std::vector<std::u16string> m_previousComponents;
    std::vector<HiveKey*> m_previousKeys;
    HiveKey* m_current = nullptr; // whose block is being read; none in the header
    std::size_t m_segmentStart = 0;
};

// Where a key's block begins: at its line, or at the empty line before it.
std::size_t blockStart(std::string_view text, std::size_t lineStart)
{
    if (lineStart >= 2 && text[lineStart - 1] == '\n') {
        if (text[lineStart - 2] == '\n')
            return lineStart - 1;
        if (lineStart >= 3 && text[lineStart - 2] == '\r' && text[lineStart - 3] == '\n')
            return lineStart - 2;
    }
    return lineStart;
}

inline char lowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The pass of parseFocused: it finds the key lines (all lines when the whole file is checked,
// else only the lines that start with '['), and reads a key line's path only when a quick
// comparison with each focus as Wine writes it cannot tell how the two relate.
class Hive::FocusedParser {
public:
    FocusedParser(std::string_view text, std::span<const std::vector<std::u16string>> foci, bool checkAll, Hive& hive,
                  HiveParseError& error)
        : m_text(text)
        , m_checkAll(checkAll)
        , m_lines(text)
        , m_hive(hive)
        , m_error(error)
    {
        m_foci.reserve(foci.size());
        for (const auto& names : foci)
            m_foci.emplace_back(names);
        m_placeMark = hive.m_place.get();
        m_findPlace = m_placeMark != nullptr;
    }

    bool run()
    {
        if (m_checkAll)
            if (const std::size_t nul = m_text.find('\0'); nul != npos)
                return fail(lineAt(nul), "the file holds a NUL byte");
        std::string_view line;
        if (!m_lines.next(line) || line != HiveSignature)
            return fail(1, "the first line is not \"" + std::string(HiveSignature) + "\"");
        if (m_checkAll) {
            while (m_lines.next(line)) {
                const std::size_t first = skipSpaces(line, 0);
                if (first == line.size())
                    continue;
                const std::string_view body = line.substr(first);
                if (body[0] == '[') {
                    if (!keyLine(body, m_lines.lineStart()))
                        return false;
                } else if (!otherLine(body, m_lines, m_firstBoundary != npos)) {
                    return false;
                }
            }
        } else {
            // In a hive that reads, a line whose first character that is not blank is '[' is a key line.
            std::size_t pos = m_lines.lineStart() + line.size();
            while (pos < m_text.size()) {
                const void* found = std::memchr(m_text.data() + pos, '[', m_text.size() - pos);
                if (!found)
                    break;
                const auto at = static_cast<std::size_t>(static_cast<const char*>(found) - m_text.data());
                std::size_t start = at;
                while (start > 0 && m_text[start - 1] != '\n' && isSpace(m_text[start - 1]))
                    --start;
                // Most key lines of a large hive lie beside every focus: they only end the block before them.
                if (start > 0 && m_text[start - 1] == '\n' && m_firstBoundary != npos && besideAll(at)) {
                    if (m_segmentKey)
                        closeSegment(blockStart(m_text, start));
                    pos = at + 1;
                    continue;
                }
                const void* lineEnd = std::memchr(m_text.data() + at, '\n', m_text.size() - at);
                const std::size_t end =
                    lineEnd ? static_cast<std::size_t>(static_cast<const char*>(lineEnd) - m_text.data())
                            : m_text.size();
                if (start > 0 && m_text[start - 1] == '\n') {
                    std::string_view body = m_text.substr(at, end - at);
                    if (!body.empty() && body.back() == '\r')
                        body.remove_suffix(1);
                    keyLine(body, start);
                }
                pos = end;
            }
        }
        closeSegment(m_text.size());
        if (!m_checkAll && !checkFocusBlocks())
            return false;
        makeBlocks();
        return true;
    }

private:
    // One key the parse reads, with what the quick comparisons need of it.
    struct Focus {
        explicit Focus(std::span<const std::u16string> focusNames) : names(focusNames)
        {
            for (std::size_t i = 0; i < names.size(); ++i) {
                if (i)
                    written += "\\\\";
                const std::size_t start = written.size();
                appendEscaped(written, names[i], '[', ']');
                for (std::size_t j = start; j < written.size(); ++j) {
                    quick = quick && written[j] != '\\';
                    written[j] = lowerAscii(written[j]);
                }
            }
            // A name that is not plain ASCII may equal another spelling of it, so every path is read.
            for (const auto& name : names)
                for (const char16_t unit : name)
                    quick = quick && unit < 0x80;
            separatorsBefore.resize(written.size() + 1);
            secondOfPair.resize(written.size() + 1);
            std::size_t separators = 0;
            for (std::size_t i = 0; i <= written.size(); ++i) {
                separatorsBefore[i] = separators;
                if (i > 0 && i < written.size() && written[i] == '\\' && !secondOfPair[i - 1] &&
                    written[i - 1] == '\\') {
                    secondOfPair[i] = true;
                    ++separators;
                }
            }
            firstLines.resize(names.size());
            writtenWords = written + std::string(8, '\0');
        }

        std::span<const std::u16string> names;
        std::string written;      // the path as a key line holds it, lower case
        std::string writtenWords; // the same followed by NULs to a whole word
        bool quick = true;
        std::vector<std::size_t> separatorsBefore;
        std::vector<bool> secondOfPair;
        std::vector<std::string_view> firstLines;
        std::size_t deepest = 0;
        std::vector<HiveKey*> path; // the keys made so far from the root down the path
    };

    bool fail(std::size_t lineNumber, std::string what)
    {
        m_error.line = lineNumber;
        m_error.what = std::move(what);
        return false;
    }

    std::size_t lineAt(std::size_t pos) const
    {
        return 1 + std::size_t(std::count(m_text.begin(), m_text.begin() + std::ptrdiff_t(pos), '\n'));
    }

    // A line that is no key line, as the whole parse checks it.
    bool otherLine(std::string_view body, LineReader& lines, bool afterKey)
    {
        switch (body[0]) {
        case '"':
        case '@':
            if (!afterKey)
                return fail(lines.lineNumber(), "a value comes before the first key");
            if (const char* what = readValue(lines, body, nullptr); *what)
                return fail(lines.lineNumber(), what);
            return true;
        case '#':
        case ';':
        case '[': return true;
        default: return fail(lines.lineNumber(), "the line is neither a key, a value nor a comment");
        }
    }

    // Without checkAll only the blocks of the keys on the foci's paths are checked, line by line
    // as the whole parse does.
    bool checkFocusBlocks()
    {
        for (const auto& [key, start, end] : m_segments) {
            LineReader lines(m_text.substr(start, end - start));
            std::string_view line;
            while (lines.next(line)) {
                const std::size_t first = skipSpaces(line, 0);
                if (first < line.size() && !otherLine(line.substr(first), lines, true)) {
                    m_error.line += lineAt(start) - 1;
                    return false;
                }
            }
        }
        return true;
    }

    // The names of a key line's path; false when it has no closing ']'.
    static bool readPath(std::string_view body, std::u16string& text, std::vector<std::u16string_view>& names,
                         std::size_t& end)
    {
        text.clear();
        CollectText sink{text};
        end = scanString(body, 1, ']', sink);
        if (end == npos)
            return false;
        splitKeyPath(text, names);
        return true;
    }
    bool readPath(std::string_view body, std::size_t& end) { return readPath(body, m_pathText, m_components, end); }

    // Whether a key line stays within Windows' limits, told without reading its path where its
    // text alone shows it; `read` when the path must be read to tell.
    bool quickLimits(std::string_view body, bool& read)
    {
        std::size_t names = 1;
        for (std::size_t pos = 1, length = 0;;) {
            const std::size_t next = findEither(body, pos, '\\', ']');
            length += next - pos;
            if (next >= body.size())
                return fail(m_lines.lineNumber(), "the key name has no closing ']'");
            if (length > MaxKeyNameLength || names > MaxKeyDepth || body[next] == ']' || next + 1 >= body.size() ||
                body[next + 1] != '\\') {
                read = length > MaxKeyNameLength || names > MaxKeyDepth || body[next] != ']';
                return true;
            }
            ++names;
            length = 0;
            pos = next + 2;
        }
    }

    bool checkLimits()
    {
        if (m_components.size() > MaxKeyDepth)
            return fail(m_lines.lineNumber(),
                        "the key lies more than " + std::to_string(MaxKeyDepth) + " levels below the root");
        for (const auto name : m_components)
            if (name.size() > MaxKeyNameLength)
                return fail(m_lines.lineNumber(),
                            "a key name is longer than " + std::to_string(MaxKeyNameLength) + " characters");
        return true;
    }

    struct Relation {
        std::size_t depth = 0; // how many names of the focus the path starts with
        bool whole = false;    // the path is those names and no more: the focus or a key above it
        bool below = false;    // the path goes on below the focus
        bool read = false;     // the quick comparison cannot tell
    };

    // Byte by byte against the focus as Wine writes it: while the line's text is plain ASCII its
    // bytes are its names' characters, and separators stand where the focus has them.
    static Relation quickRelation(const Focus& focus, std::string_view body)
    {
        const std::string& written = focus.written;
        std::size_t pos = 1;
        for (std::size_t i = 0; i < written.size(); ++i, ++pos) {
            if (pos >= body.size())
                return {0, false, false, true};
            const char c = body[pos];
            if (lowerAscii(c) == written[i])
                continue;
            if (c == '\\' || static_cast<unsigned char>(c) >= 0x80 || focus.secondOfPair[i])
                return {0, false, false, true};
            // A plain character or the end: the name being compared differs from the focus's,
            // unless the path ends just where the focus has a separator.
            if (c == ']' && written[i] == '\\')
                return {focus.separatorsBefore[i] + 1, true, false, false};
            return {focus.separatorsBefore[i], false, false, false};
        }
        if (pos >= body.size() || body[pos] == '\\' || static_cast<unsigned char>(body[pos]) >= 0x80)
            return {0, false, false, true};
        if (body[pos] == ']')
            return {focus.names.size(), true, false, false};
        return {focus.names.size() - 1, false, false, false};
    }

    // Whether the key line whose '[' is at `at` names a key beside the focus's path, told by
    // comparing eight bytes at a time where that alone shows it; `depth` is then how many names of
    // the focus its path starts with.
    bool quickBeside(const Focus& focus, std::size_t at, std::size_t& depth) const
    {
        const std::string& written = focus.written;
        if (!focus.quick || !wordSearch || at + written.size() + 9 > m_text.size())
            return false;
        const char* line = m_text.data() + at + 1;
        std::size_t i = 0;
        for (; i < written.size(); i += 8) {
            const std::uint64_t word = loadWord(line + i);
            // The capitals of the word made small: 'A'..'Z' are the plain bytes from 0x41 to 0x5A.
            const std::uint64_t low = word & (byteOnes * 0x7F);
            const std::uint64_t capitals =
                ((low + byteOnes * (0x80 - 'A')) & ~(low + byteOnes * (0x80 - 'Z' - 1)) & ~word) & (byteOnes << 7);
            if (const std::uint64_t differ = (word | (capitals >> 2)) ^ loadWord(focus.writtenWords.data() + i)) {
                i += static_cast<std::size_t>(std::countr_zero(differ) / 8);
                break;
            }
        }
        if (i >= written.size())
            return false;
        const char c = line[i];
        if (c == '\\' || c == ']' || c == '\n' || c == '\r' || static_cast<unsigned char>(c) >= 0x80 ||
            focus.secondOfPair[i])
            return false;
        depth = focus.separatorsBefore[i];
        return true;
    }

    // Whether the key line beside every focus's path and names no key above one that is not named yet.
    bool besideAll(std::size_t at) const
    {
        for (const Focus& focus : m_foci) {
            std::size_t depth = 0;
            if (!quickBeside(focus, at, depth) || depth > focus.deepest)
                return false;
        }
        return true;
    }

    Relation relationOfPath(const Focus& focus) const
    {
        Relation relation;
        const auto& names = focus.names;
        while (relation.depth < names.size() && relation.depth < m_components.size() &&
               text::equalNoCase(m_components[relation.depth], names[relation.depth]))
            ++relation.depth;
        relation.whole = relation.depth == m_components.size();
        relation.below = relation.depth == names.size() && m_components.size() > names.size();
        return relation;
    }

    bool keyLine(std::string_view body, std::size_t lineStart)
    {
        const std::size_t boundary = blockStart(m_text, lineStart);
        if (m_firstBoundary == npos)
            m_firstBoundary = boundary;
        closeSegment(boundary);
        m_relations.resize(m_foci.size());
        bool read = false;
        for (std::size_t f = 0; f < m_foci.size() && !read; ++f) {
            read = !m_foci[f].quick;
            if (!read) {
                m_relations[f] = quickRelation(m_foci[f], body);
                read = m_relations[f].read;
            }
        }
        if (m_checkAll && !read && !quickLimits(body, read))
            return false;
        std::size_t end = npos;
        if (read) {
            if (!readPath(body, end))
                return m_checkAll ? fail(m_lines.lineNumber(), "the key name has no closing ']'") : true;
            if (m_checkAll && !checkLimits())
                return false;
            for (std::size_t f = 0; f < m_foci.size(); ++f)
                m_relations[f] = relationOfPath(m_foci[f]);
        }
        if (m_findPlace && m_place == npos && placeComesBefore(body, read))
            m_place = boundary;
        HiveKey* named = nullptr; // the key the line names, when it lies on a focus's path
        for (std::size_t f = 0; f < m_foci.size(); ++f) {
            Focus& focus = m_foci[f];
            const Relation& relation = m_relations[f];
            // The keys of the focus's path are named as the first line that holds each names them.
            for (; focus.deepest < relation.depth; ++focus.deepest)
                focus.firstLines[focus.deepest] = body;
            if (relation.whole && relation.depth > 0 && !named) {
                named = makePath(focus, relation.depth);
            } else if (relation.below) {
                HiveKey* key = makePath(focus, focus.names.size());
                const std::u16string_view name = m_components[focus.names.size()];
                if (!key->findSubkey(name))
                    m_hive.insertSubkey(*key, name);
            }
        }
        if (named) {
            m_segmentKey = named;
            m_segmentStart = boundary;
            if (named->blocks++ == 0) {
                if (end == npos) {
                    std::u16string text;
                    std::vector<std::u16string_view> names;
                    readPath(body, text, names, end);
                }
                named->modified = blockTime(body, end);
            }
        }
        return true;
    }

    // Whether the focus, were it made, would come before the key the line names in Wine's order
    // (ancestors first, siblings in case-insensitive order): its block would go before this line's.
    bool placeComesBefore(std::string_view body, bool read)
    {
        const Relation& relation = m_relations[0];
        if (relation.whole || relation.below)
            return false;
        std::size_t end = npos;
        if (!read && !readPath(body, end))
            return false;
        const auto& names = m_foci[0].names;
        const std::size_t depth = relation.depth;
        return depth < names.size() && depth < m_components.size() &&
               text::compareNoCase(names[depth], m_components[depth]) < 0;
    }

    // The keys from the root down `depth` names of the focus, named and timed by the lines that
    // first held them; a key made for another focus already is taken as it is.
    HiveKey* makePath(Focus& focus, std::size_t depth)
    {
        std::u16string text;
        std::vector<std::u16string_view> names;
        for (; focus.path.size() < depth;) {
            const std::size_t at = focus.path.size();
            HiveKey* parent = at == 0 ? m_hive.m_root.get() : focus.path.back();
            std::size_t end = npos;
            // Unless the whole file is checked, a broken line may be among them: it names nothing.
            const bool read = readPath(focus.firstLines[at], text, names, end) && names.size() > at;
            const std::u16string_view name = read ? names[at] : std::u16string_view(focus.names[at]);
            HiveKey* child = parent->findSubkey(name);
            if (!child)
                child = &m_hive.insertSubkey(*parent, name);
            // A key listed only as a subkey of another focus has no time yet.
            if (child->modified == 0 && child->blocks == 0)
                child->modified = read ? blockTime(focus.firstLines[at], end) : currentFileTime();
            focus.path.push_back(child);
        }
        return depth == 0 ? m_hive.m_root.get() : focus.path[depth - 1];
    }

    void closeSegment(std::size_t end)
    {
        if (m_segmentKey)
            m_segments.push_back(Segment{m_segmentKey, m_segmentStart, end});
        m_segmentKey = nullptr;
    }

    // The header, the blocks of the keys on the foci's paths and the text between them as blocks of nobody's.
    void makeBlocks()
    {
        for (Focus& focus : m_foci)
            makePath(focus, focus.deepest);
        m_hive.m_headerLength = m_firstBoundary == npos ? m_text.size() : m_firstBoundary;
        std::size_t done = m_hive.m_headerLength;
        for (const Segment& segment : m_segments) {
            unreadBlocks(done, segment.start);
            if (segment.key->blocks == 1)
                segment.key->blockHint = static_cast<std::uint32_t>(m_hive.m_blocks.size());
            m_hive.m_blocks.push_back(Block{segment.key, segment.start, segment.end - segment.start, nullptr});
            done = segment.end;
        }
        unreadBlocks(done, m_text.size());
    }

    // The text from `start` to `end` that nobody read, as one block, or two where the focus's place
    // lies within it: the second, from there, belongs to the place.
    void unreadBlocks(std::size_t start, std::size_t end)
    {
        if (m_place >= start && m_place < end) {
            if (m_place > start)
                m_hive.m_blocks.push_back(Block{m_hive.m_unread.get(), start, m_place - start, nullptr});
            m_hive.m_blocks.push_back(Block{m_placeMark, m_place, end - m_place, nullptr});
        } else if (end > start) {
            m_hive.m_blocks.push_back(Block{m_hive.m_unread.get(), start, end - start, nullptr});
        }
    }

    struct Segment {
        HiveKey* key;
        std::size_t start;
        std::size_t end;
    };

    std::string_view m_text;
    bool m_checkAll;
    LineReader m_lines;
    Hive& m_hive;
    HiveParseError& m_error;
    std::vector<Focus> m_foci;
    std::vector<Relation> m_relations; // of the key line being read, one per focus
    // Where the block of the one focus would go, were it made: sought when the hive has a mark for it.
    HiveKey* m_placeMark = nullptr;
    bool m_findPlace = false;
    std::size_t m_place = npos;
    std::u16string m_pathText;
    std::vector<std::u16string_view> m_components;
    std::size_t m_firstBoundary = npos;
    HiveKey* m_segmentKey = nullptr; // whose block is being read, when it is on a focus's path
    std::size_t m_segmentStart = 0;
    std::vector<Segment> m_segments;
};

bool Hive::parseFocused(io::FileText&& text, std::span<const std::u16string> focus, bool checkAll, Hive& result,
                        HiveParseError& error)
{
    const std::vector<std::u16string> path(focus.begin(), focus.end());
    return parseFocused(std::move(text), std::span(&path, 1), checkAll, result, error);
}

bool Hive::parseFocused(io::FileText&& text, std::span<const std::vector<std::u16string>> foci, bool checkAll,
                        Hive& result, HiveParseError& error)
{
    if (foci.empty() || std::any_of(foci.begin(), foci.end(), [](const auto& focus) { return focus.empty(); }))
        return parse(std::move(text), result, error);
    Hive hive;
    hive.m_root->loaded = false;
    hive.m_foci.assign(foci.begin(), foci.end());
    hive.m_checked = checkAll;
    hive.m_unread = std::make_unique<HiveKey>();
    // A hive read whole for one key may make that key: its parse finds where the key's block goes.
    if (checkAll && foci.size() == 1)
        hive.m_place = std::make_unique<HiveKey>();
    if (!FocusedParser(text.view(), hive.m_foci, checkAll, hive, error).run())
        return false;
    hive.m_text = std::move(text);
    result = std::move(hive);
    return true;
}

bool Hive::check(std::string_view text, std::span<const std::u16string> focus, HiveParseError& error)
{
    if (focus.empty()) {
        Hive whole;
        const io::FileText copy{std::string(text)};
        return Parser(copy, whole, error).run();
    }
    // Every line is checked whichever keys the pass reads: it reads none, which spares it
    // comparing each key line with a focus.
    Hive scratch;
    scratch.m_root->loaded = false;
    scratch.m_unread = std::make_unique<HiveKey>();
    return FocusedParser(text, {}, true, scratch, error).run();
}

bool Hive::checkWhole(HiveParseError& error)
{
    if (m_checked || m_foci.size() != 1 || !unchanged())
        return widen(error);
    const std::vector<std::vector<std::u16string>> foci = m_foci;
    Hive again;
    if (!parseFocused(std::move(m_text), foci, true, again, error))
        return false;
    *this = std::move(again);
    return true;
}

bool Hive::unchanged() const
{
    return m_dirtyOrder.empty() && !m_hasDeadBlocks &&
           std::none_of(m_blocks.begin(), m_blocks.end(), [](const Block& b) { return b.owned != nullptr; });
}

bool Hive::widen(HiveParseError& error)
{
    if (m_foci.empty())
        return true;
    Hive whole;
    whole.m_root->loaded = false;
    // Unchanged, the text it was read from is the whole file: parsed again in place, without a copy.
    if (unchanged()) {
        if (!Parser(m_text, whole, error).run())
            return false;
        whole.m_text = std::move(m_text);
    } else if (!parse(serialize(), whole, error)) {
        return false;
    }
    *this = std::move(whole);
    return true;
}

bool Hive::parse(io::FileText text, Hive& result, HiveParseError& error)
{
    Hive hive;
    hive.m_root->loaded = false;
    if (!Parser(text, hive, error).run())
        return false;
    hive.m_text = std::move(text);
    result = std::move(hive);
    return true;
}

void Hive::load(HiveKey& key)
{
    if (key.loaded)
        return;
    key.loaded = true;
    key.values.resize(readBlocks(key, key.values, &key));
}

void Hive::readValues(const HiveKey& key, std::vector<HiveValue>& values) const
{
    values.resize(readValuesOver(key, values));
}

std::size_t Hive::readValuesOver(const HiveKey& key, std::vector<HiveValue>& values) const
{
    if (!key.loaded)
        return readBlocks(key, values, nullptr);
    if (values.size() < key.values.size())
        values.resize(key.values.size());
    std::copy(key.values.begin(), key.values.end(), values.begin());
    return key.values.size();
}

std::size_t Hive::readBlocks(const HiveKey& key, std::vector<HiveValue>& values, HiveKey* attributes) const
{
    std::u16string scratch;
    std::size_t count = 0;
    const auto byName = [](const HiveValue& v, std::u16string_view n) { return text::compareNoCase(v.name, n) < 0; };
    const bool hinted = key.blocks == 1 && key.blockHint < m_blocks.size() && m_blocks[key.blockHint].key == &key;
    // Keys are mostly read in the file's order: the text well behind the one read goes back to the system.
    if (hinted && m_blocks[key.blockHint].offset >= m_forgottenTo + ForgetWindow) {
        m_text.forget(m_forgottenTo, m_blocks[key.blockHint].offset);
        m_forgottenTo = m_blocks[key.blockHint].offset;
    }
    const auto first = hinted ? m_blocks.begin() + std::ptrdiff_t(key.blockHint) : m_blocks.begin();
    const auto last = hinted ? first + 1 : (key.blocks > 0 ? m_blocks.end() : m_blocks.begin());
    for (auto it = first; it != last; ++it) {
        const Block& block = *it;
        if (block.key != &key)
            continue;
        LineReader lines(block.view(m_text.view()));
        std::string_view line;
        while (lines.next(line)) {
            const std::string_view body = line.substr(skipSpaces(line, 0));
            if (body.empty())
                continue;
            if (body[0] == '[' && attributes) {
                scratch.clear();
                CollectText sink{scratch};
                const std::size_t end = scanString(body, 1, ']', sink);
                attributes->modified = blockTime(body, end == npos ? body.size() : end);
            } else if (body[0] == '#' && attributes) {
                readOption(body, *attributes, scratch);
            } else if (body[0] == '"' || body[0] == '@') {
                // Read over the next element, whose memory serves again.
                if (count == values.size())
                    values.emplace_back();
                HiveValue& value = values[count];
                if (*readValue(lines, body, &value))
                    continue; // cannot happen: the whole file was checked when it was read
                // Wine writes values in name order, so a value mostly goes at the end.
                if (count == 0 || text::compareNoCase(values[count - 1].name, value.name) < 0) {
                    ++count;
                    continue;
                }
                const auto end = values.begin() + std::ptrdiff_t(count);
                const auto place = std::lower_bound(values.begin(), end, value.name, byName);
                // A name given twice keeps its last value.
                if (place != end && text::compareNoCase(place->name, value.name) == 0) {
                    std::swap(*place, value);
                } else {
                    std::rotate(place, end, end + 1);
                    ++count;
                }
            }
        }
    }
    return count;
}

} // namespace core::registry
