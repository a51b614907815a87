#include "core/settings/ini_file.h"

#include "core/error.h"
#include "core/io/atomic_file.h"
#include "core/text/cp1250.h"
#include "core/text/unicode.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <limits>
#include <optional>

namespace core {
namespace {

// A text value comes back through a buffer of 2048 characters, its terminating zero included.
constexpr size_t MaxValueLength = 2047;
constexpr std::string_view LineEnd = "\r\n";
constexpr std::string_view Utf8Bom = "\xEF\xBB\xBF";

// The file is Windows-1250, unless an editor saved it as UTF-8 with a byte-order mark: then
// it is read and written as UTF-8, so that the user's edit is neither misread nor mangled.
enum class Encoding { Cp1250, Utf8 };

std::string decode(std::string_view bytes, Encoding encoding)
{
    return encoding == Encoding::Cp1250 ? text::utf8FromCp1250(bytes) : std::string(bytes);
}

std::string encode(std::string_view utf8, Encoding encoding)
{
    return encoding == Encoding::Cp1250 ? text::cp1250FromUtf8(utf8) : std::string(utf8);
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\x1a';
}

std::string_view trim(std::string_view s)
{
    size_t begin = 0;
    while (begin < s.size() && isBlank(s[begin]))
        ++begin;
    size_t end = s.size();
    while (end > begin && isBlank(s[end - 1]))
        --end;
    return s.substr(begin, end - begin);
}

// A name as the caller gives it (UTF-8), prepared for comparison with names in the file. The
// name goes through the file's encoding first, so that a name written with a character the
// code page lacks (stored as '?') is found again by the same name.
class Name {
public:
    Name(std::string_view utf8, Encoding encoding)
        : m_bytes(encode(utf8, encoding)), m_text(decode(m_bytes, encoding)), m_encoding(encoding),
          m_units(text::toUtf16(m_text).size())
    {
    }

    const std::string& bytes() const { return m_bytes; }

    bool matches(std::string_view candidate) const
    {
        if (candidate == m_bytes)
            return true;
        // Case-insensitive equality keeps the number of UTF-16 units, and each unit takes one
        // byte of the code page or one to three bytes of UTF-8: a cheap test that keeps a huge
        // line from being converted at all.
        if (m_encoding == Encoding::Cp1250 ? candidate.size() != m_bytes.size()
                                           : candidate.size() < m_units || candidate.size() > 3 * m_units)
            return false;
        return text::equalNoCase(decode(candidate, m_encoding), m_text);
    }

private:
    std::string m_bytes;
    std::string m_text;
    Encoding m_encoding;
    size_t m_units;
};

// One line of the file: its content and where its line end (CR LF, LF or CR) stops.
struct Line {
    size_t begin = 0;
    size_t end = 0;  // end of the content
    size_t next = 0; // after the line end; equals `end` for a last line without one
};

class LineReader {
public:
    LineReader(std::string_view text, size_t start) : m_text(text), m_position(start) {}

    bool next(Line& line)
    {
        if (m_position >= m_text.size())
            return false;
        line.begin = m_position;
        size_t i = m_position;
        while (i < m_text.size() && m_text[i] != '\n' && m_text[i] != '\r')
            ++i;
        line.end = i;
        if (i < m_text.size()) {
            if (m_text[i] == '\r' && i + 1 < m_text.size() && m_text[i + 1] == '\n')
                i += 2;
            else
                ++i;
        }
        line.next = i;
        m_position = i;
        return true;
    }

private:
    std::string_view m_text;
    size_t m_position;
};

enum class LineKind { Other, Section, Key };

struct ParsedLine {
    LineKind kind = LineKind::Other;
    std::string_view name;
    std::string_view value;
};

// "[name]" (up to the last ']' of the line), "key=value" (at the first '='), or anything else:
// comments (";..."), blank lines and junk, which are kept as they are and never match.
ParsedLine parse(std::string_view content)
{
    ParsedLine parsed;
    const std::string_view line = trim(content);
    if (line.empty() || line.front() == ';')
        return parsed;
    if (line.front() == '[') {
        const size_t close = line.rfind(']');
        if (close != std::string_view::npos) {
            parsed.kind = LineKind::Section;
            parsed.name = trim(line.substr(1, close - 1));
        }
        return parsed;
    }
    const size_t equals = line.find('=');
    if (equals != std::string_view::npos) {
        parsed.kind = LineKind::Key;
        parsed.name = trim(line.substr(0, equals));
        parsed.value = trim(line.substr(equals + 1));
    }
    return parsed;
}

struct Document {
    std::string_view text;
    Encoding encoding = Encoding::Cp1250;
    size_t bodyStart = 0;

    explicit Document(std::string_view contents) : text(contents)
    {
        if (contents.substr(0, Utf8Bom.size()) == Utf8Bom) {
            encoding = Encoding::Utf8;
            bodyStart = Utf8Bom.size();
        }
    }
};

// Where a key is, or where it would go. The first section of a name counts, and the first
// key of a name within it.
struct Location {
    bool sectionFound = false;
    // After the section's header or its last key line: where a new key of the section goes.
    Line insertAfter;
    bool keyFound = false;
    Line keyLine;
    std::string_view keyName;
    std::string_view value;
};

Location locate(const Document& document, const Name& section, const Name& key)
{
    Location location;
    LineReader reader(document.text, document.bodyStart);
    Line line;
    while (reader.next(line)) {
        const ParsedLine parsed = parse(document.text.substr(line.begin, line.end - line.begin));
        if (parsed.kind == LineKind::Section) {
            if (location.sectionFound)
                break;
            if (section.matches(parsed.name)) {
                location.sectionFound = true;
                location.insertAfter = line;
            }
        } else if (parsed.kind == LineKind::Key && location.sectionFound) {
            location.insertAfter = line;
            if (key.matches(parsed.name)) {
                location.keyFound = true;
                location.keyLine = line;
                location.keyName = parsed.name;
                location.value = parsed.value;
                break;
            }
        }
    }
    return location;
}

std::string_view unquote(std::string_view value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

// Cuts a UTF-8 text after `limit` UTF-16 units, never inside a character.
std::string cutUtf8(std::string_view utf8, size_t limit)
{
    std::u16string units = text::toUtf16(utf8.substr(0, 4 * limit));
    if (units.size() > limit) {
        size_t length = limit;
        if (units[length - 1] >= 0xD800 && units[length - 1] <= 0xDBFF)
            --length;
        units.resize(length);
    }
    return text::toUtf8(units);
}

// Text that goes into one line of the file: a line break would split the line and turn the
// rest into a line of its own (even a section header), so each becomes a blank; a zero ends
// the text, as it ends a C string.
std::string oneLine(std::string_view text)
{
    text = text.substr(0, text.find('\0'));
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            out += ' ';
        } else {
            out += text[i];
        }
    }
    return out;
}

// A section or key name as the file holds it: on one line, without surrounding blanks.
std::string cleanName(std::string_view name)
{
    return std::string(trim(oneLine(name)));
}

bool endsWithLineEnd(std::string_view text)
{
    return !text.empty() && (text.back() == '\n' || text.back() == '\r');
}

std::optional<std::int32_t> parseInteger(std::string_view text)
{
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty())
        return std::nullopt;
    if (text.front() == '$') {
        text.remove_prefix(1);
        std::uint32_t pattern = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), pattern, 16);
        if (text.empty() || error != std::errc() || end != text.data() + text.size())
            return std::nullopt;
        // Eight hex digits are the 32-bit pattern: "$FFFFFFFF" is -1.
        if (negative)
            pattern = 0u - pattern;
        return static_cast<std::int32_t>(pattern);
    }
    if (text.front() < '0' || text.front() > '9')
        return std::nullopt;
    std::int64_t magnitude = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), magnitude, 10);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    const std::int64_t value = negative ? -magnitude : magnitude;
    if (value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

// A settings file reached through a symbolic link is changed where it lies, so the link stays.
std::filesystem::path resolveLink(const std::filesystem::path& path)
{
    std::error_code error;
    if (!std::filesystem::is_symlink(path, error))
        return path;
    const auto target = std::filesystem::weakly_canonical(path, error);
    return error ? path : target;
}

} // namespace

TIniFile::TIniFile(std::filesystem::path path, SystemCalls& calls) : m_path(std::move(path)), m_calls(calls) {}

std::optional<std::string> iniFileValue(std::string_view contents, std::string_view section, std::string_view key)
{
    const Document document(contents);
    // Names are taken as a write stores them, so what was written is found again.
    const Location location =
        locate(document, Name(cleanName(section), document.encoding), Name(cleanName(key), document.encoding));
    if (!location.keyFound)
        return std::nullopt;
    const std::string_view value = unquote(location.value);
    if (document.encoding == Encoding::Cp1250)
        return text::utf8FromCp1250(value.substr(0, MaxValueLength));
    return cutUtf8(value, MaxValueLength);
}

std::optional<std::string> TIniFile::readRaw(std::string_view section, std::string_view key) const
{
    // Every read opens, reads and closes the file, so a hand edit made meanwhile counts.
    std::string contents;
    if (io::readFile(m_calls, m_path, contents))
        return std::nullopt;
    return iniFileValue(contents, section, key);
}

std::string TIniFile::ReadString(std::string_view section, std::string_view key, std::string_view fallback) const
{
    auto value = readRaw(section, key);
    return value ? std::move(*value) : std::string(fallback);
}

std::int32_t TIniFile::ReadInteger(std::string_view section, std::string_view key, std::int32_t fallback) const
{
    const auto value = readRaw(section, key);
    if (!value)
        return fallback;
    std::string_view text = *value;
    std::string rewritten;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        rewritten = "$" + std::string(text.substr(2));
        text = rewritten;
    }
    return parseInteger(text).value_or(fallback);
}

void TIniFile::WriteInteger(std::string_view section, std::string_view key, std::int32_t value)
{
    WriteString(section, key, std::to_string(value));
}

void TIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value)
{
    const auto refused = [this] { return Error("Unable to write to " + m_path.string()); };
    const auto target = resolveLink(m_path);
    auto folder = target.parent_path();
    if (folder.empty())
        folder = ".";

    // Other copies of the program may write the same file: the read-modify-write is theirs
    // or ours, never interleaved.
    io::FolderLock lock;
    if (io::FolderLock::acquire(m_calls, folder, lock))
        throw refused();

    std::string contents;
    const std::error_code readError = io::readFile(m_calls, target, contents);
    if (readError && readError != std::errc::no_such_file_or_directory)
        throw refused(); // a file we cannot read is never overwritten

    const std::string updated = iniFileWithValue(contents, section, key, value);
    if (!readError && updated == contents) {
        // Nothing changes, so nothing is rewritten; a file we may not write is still reported.
        if (!io::canReplace(m_calls, target))
            throw refused();
        return;
    }
    if (io::replaceFile(m_calls, target, updated))
        throw refused();
}

std::string iniFileWithValue(std::string_view contents, std::string_view section, std::string_view key,
                             std::string_view value)
{
    const Document document(contents);
    const std::string sectionName = cleanName(section);
    const std::string keyName = cleanName(key);
    const Location location =
        locate(document, Name(sectionName, document.encoding), Name(keyName, document.encoding));
    const std::string encodedValue = encode(oneLine(value), document.encoding);

    std::string updated;
    updated.reserve(contents.size() + encodedValue.size() + section.size() + key.size() + 16);
    if (location.keyFound) {
        // Replaced in place, with the key's spelling as the file has it.
        updated.append(contents, 0, location.keyLine.begin);
        updated.append(location.keyName);
        updated += '=';
        updated += encodedValue;
        updated += LineEnd;
        updated.append(contents, location.keyLine.next);
    } else if (location.sectionFound) {
        const Line& after = location.insertAfter;
        updated.append(contents, 0, after.next);
        if (after.next == after.end)
            updated += LineEnd; // the last line had no line end
        updated += encode(keyName, document.encoding);
        updated += '=';
        updated += encodedValue;
        updated += LineEnd;
        updated.append(contents, after.next);
    } else {
        updated = contents;
        if (updated.size() > document.bodyStart && !endsWithLineEnd(updated))
            updated += LineEnd;
        updated += '[';
        updated += encode(sectionName, document.encoding);
        updated += ']';
        updated += LineEnd;
        updated += encode(keyName, document.encoding);
        updated += '=';
        updated += encodedValue;
        updated += LineEnd;
    }
    return updated;
}

std::filesystem::path settingsPathFor(const std::filesystem::path& executable)
{
    auto path = executable;
    path.replace_extension(".ini");
    return path;
}

} // namespace core
