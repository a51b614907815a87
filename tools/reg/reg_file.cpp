#include "tools/reg/reg_file.h"

#include "core/registry/value_data.h"
#include "core/text/cp1250.h"
#include "core/text/unicode.h"
#include "core/text/ascii.h"
#include "tools/locale/locale_text.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <type_traits>

namespace regtool {
namespace {

using localetext::format;
using localetext::tr;

constexpr std::size_t npos = std::string_view::npos;
constexpr std::string_view Version5 = "Windows Registry Editor Version 5.00";
constexpr std::string_view Version4 = "REGEDIT4";

// The file's text is read in the units it holds: bytes of UTF-8 for most files, so that a file
// of plain ASCII is never widened, and UTF-16 units for a file in UTF-16, whose texts must keep
// every unit (an unpaired surrogate included) on their way into the registry's data.
template <class Char>
using View = std::basic_string_view<Char>;

template <class Char>
bool isBlank(Char c)
{
    return c == Char(' ') || c == Char('\t');
}

template <class Char>
std::size_t skipBlanks(View<Char> line, std::size_t pos)
{
    while (pos < line.size() && isBlank(line[pos]))
        ++pos;
    return pos;
}

// Nothing but blanks, or a comment, from `pos` to the end of the line.
template <class Char>
bool restIsEmpty(View<Char> line, std::size_t pos)
{
    pos = skipBlanks(line, pos);
    return pos >= line.size() || line[pos] == Char(';');
}

// `prefix` is plain ASCII in lower case.
template <class Char>
bool startsWithNoCase(View<Char> line, std::size_t pos, std::string_view prefix)
{
    if (line.size() - pos < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (core::text::lowcase(static_cast<char16_t>(static_cast<std::make_unsigned_t<Char>>(line[pos + i]))) !=
            static_cast<char16_t>(prefix[i]))
            return false;
    return true;
}

template <class Char>
bool equalsAscii(View<Char> text, std::string_view ascii)
{
    return text.size() == ascii.size() &&
           std::equal(ascii.begin(), ascii.end(), text.begin(), [](char a, Char b) { return Char(a) == b; });
}

bool isAscii(std::string_view bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::string lineError(std::size_t line, const std::string& what)
{
    return format(tr("line %1: %2"), {std::to_string(line), what});
}

// Text that the file's keys and values view, kept in pieces that never move.
class Arena {
public:
    explicit Arena(std::deque<std::string>& pieces) : m_pieces(pieces) {}

    std::string_view keep(std::string_view text)
    {
        constexpr std::size_t Piece = 256 * 1024;
        if (m_pieces.empty() || m_pieces.back().capacity() - m_pieces.back().size() < text.size()) {
            m_pieces.emplace_back().reserve(std::max(Piece, text.size()));
        }
        std::string& piece = m_pieces.back();
        const std::size_t start = piece.size();
        piece += text;
        return std::string_view(piece).substr(start);
    }

private:
    std::deque<std::string>& m_pieces;
};

template <class Char>
class Parser {
public:
    Parser(View<Char> text, RegFile& file) : m_text(text), m_file(file), m_arena(file.names) {}

    bool run(std::string& error)
    {
        View<Char> line;
        if (!nextLine(line)) {
            error = tr("the file is empty");
            return false;
        }
        while (!line.empty() && isBlank(line.back()))
            line.remove_suffix(1);
        if (equalsAscii(line, Version5)) {
            m_regedit4 = false;
        } else if (equalsAscii(line, Version4)) {
            m_regedit4 = true;
        } else {
            error = tr("the file does not begin with \"Windows Registry Editor Version 5.00\" or \"REGEDIT4\"");
            return false;
        }
        while (nextLine(line)) {
            const std::size_t start = skipBlanks(line, 0);
            if (start >= line.size() || line[start] == Char(';'))
                continue;
            std::string what;
            if (line[start] == Char('[')) {
                if (!readKey(line.substr(start), what)) {
                    error = lineError(m_lineNumber, what);
                    return false;
                }
            } else if (line[start] == Char('"') || line[start] == Char('@')) {
                const std::size_t valueLine = m_lineNumber;
                if (!readValue(line, start, what)) {
                    error = lineError(valueLine, what);
                    return false;
                }
            } else {
                error = lineError(m_lineNumber, tr("neither a [key] nor a \"value\"=data line"));
                return false;
            }
        }
        return true;
    }

    // Points the keys at their values and the values at their data, which lie where they will stay.
    void finish()
    {
        for (std::size_t i = 0; i < m_file.values.size(); ++i)
            m_file.values[i].data = std::span(m_file.data).subspan(m_dataRanges[i].first, m_dataRanges[i].second);
        std::size_t first = 0;
        for (std::size_t i = 0; i < m_file.keys.size(); ++i) {
            m_file.keys[i].values = std::span(m_file.values).subspan(first, m_valueCounts[i]);
            first += m_valueCounts[i];
        }
    }

private:
    // A line ends at CR LF, LF or a lone CR: editors of old Macs end lines with CR alone, and
    // reading such a line as part of the one before would drop what stands on it.
    bool nextLine(View<Char>& line)
    {
        if (m_position >= m_text.size())
            return false;
        const std::size_t end = lineEnd(m_position);
        line = m_text.substr(m_position, end - m_position);
        m_position = end + 1;
        if (end < m_text.size() && m_text[end] == Char('\r') && m_position < m_text.size() &&
            m_text[m_position] == Char('\n'))
            ++m_position;
        ++m_lineNumber;
        return true;
    }

    // The first CR or LF from `pos`, or the end of the text.
    std::size_t lineEnd(std::size_t pos)
    {
        if constexpr (std::is_same_v<Char, char>) {
            const char* data = m_text.data();
            // The LF found last stays ahead while lines end in a lone CR.
            if (m_newline < pos || m_newline == npos) {
                const void* found = std::memchr(data + pos, '\n', m_text.size() - pos);
                m_newline = found ? static_cast<std::size_t>(static_cast<const char*>(found) - data) : m_text.size();
            }
            const std::size_t newline = m_newline;
            // Mostly a CR just before the LF, or none.
            if (newline > pos && data[newline - 1] == '\r' && !std::memchr(data + pos, '\r', newline - 1 - pos))
                return newline - 1;
            const void* cr = std::memchr(data + pos, '\r', newline - pos);
            return cr ? static_cast<std::size_t>(static_cast<const char*>(cr) - data) : newline;
        } else {
            const std::size_t end = m_text.find_first_of(u"\r\n", pos);
            return end == npos ? m_text.size() : end;
        }
    }

    // A path or a name as the registry takes it, in UTF-8.
    std::string_view utf8(View<Char> text)
    {
        if constexpr (std::is_same_v<Char, char>) {
            return text;
        } else {
            m_utf8.clear();
            core::text::appendUtf8(m_utf8, text);
            return m_arena.keep(m_utf8);
        }
    }

    bool readKey(View<Char> line, std::string& what)
    {
        const std::size_t close = line.rfind(Char(']'));
        if (close == npos) {
            what = tr("the key name has no closing ']'");
            return false;
        }
        View<Char> path = line.substr(1, close - 1);
        RegFileKey key;
        key.line = m_lineNumber;
        if (!path.empty() && path.front() == Char('-')) {
            key.remove = true;
            path.remove_prefix(1);
        }
        if (path.empty()) {
            what = tr("the key name is empty");
            return false;
        }
        key.path = utf8(path);
        m_file.keys.push_back(key);
        m_valueCounts.push_back(0);
        return true;
    }

    // A quoted name from just after its opening quote, viewed in the text where it holds no
    // escape; returns the position after the closing quote.
    std::size_t readName(View<Char> line, std::size_t pos, std::string_view& name)
    {
        std::size_t end = pos;
        while (end < line.size() && line[end] != Char('\\') && line[end] != Char('"'))
            ++end;
        if (end < line.size() && line[end] == Char('"')) {
            name = utf8(line.substr(pos, end - pos));
            return end + 1;
        }
        m_scratch.clear();
        pos = readQuoted(line, pos, m_scratch);
        if constexpr (std::is_same_v<Char, char>)
            name = m_arena.keep(m_scratch);
        else
            name = utf8(m_scratch);
        return pos;
    }

    // A quoted text from just after its opening quote; returns the position after the closing one.
    std::size_t readQuoted(View<Char> line, std::size_t pos, std::basic_string<Char>& out)
    {
        while (pos < line.size()) {
            const Char c = line[pos++];
            if (c == Char('"'))
                return pos;
            if (c != Char('\\')) {
                out += c;
                continue;
            }
            if (pos >= line.size())
                return npos;
            const Char escaped = line[pos++];
            switch (escaped) {
            case Char('\\'): out += Char('\\'); break;
            case Char('"'): out += Char('"'); break;
            case Char('n'): out += Char('\n'); break;
            case Char('r'): out += Char('\r'); break;
            case Char('0'): out += Char(0); break;
            default: {
                // As Wine does: the backslash goes, the character stays, and the user is told.
                std::string shown;
                if constexpr (std::is_same_v<Char, char>) {
                    // The whole character, where it takes more than one byte.
                    std::size_t end = pos;
                    while (end < line.size() && (static_cast<unsigned char>(line[end]) & 0xC0) == 0x80 &&
                           static_cast<unsigned char>(escaped) >= 0xC0)
                        ++end;
                    shown = line.substr(pos - 1, end - pos + 1);
                } else {
                    shown = core::text::toUtf8(std::u16string_view(&escaped, 1));
                }
                m_file.warnings.push_back(format(tr("reg: Unrecognized escape sequence [\\%1]"), {shown}));
                out += escaped;
                break;
            }
            }
        }
        return npos;
    }

    bool readValue(View<Char> line, std::size_t pos, std::string& what)
    {
        RegFileValue value;
        if (line[pos] == Char('@')) {
            ++pos;
        } else {
            pos = readName(line, pos + 1, value.name);
            if (pos == npos) {
                what = tr("the value name has no closing quote");
                return false;
            }
        }
        pos = skipBlanks(line, pos);
        if (pos >= line.size() || line[pos] != Char('=')) {
            what = tr("'=' expected after the value name");
            return false;
        }
        pos = skipBlanks(line, pos + 1);
        const std::size_t start = m_file.data.size();
        if (!readData(line, pos, value, what))
            return false;
        if (m_file.keys.empty()) {
            what = tr("a value before the first [key]");
            return false;
        }
        // Values under a key that the file deletes have nowhere to go.
        if (m_file.keys.back().remove) {
            m_file.data.resize(start);
            return true;
        }
        m_file.values.push_back(value);
        m_dataRanges.emplace_back(start, m_file.data.size() - start);
        ++m_valueCounts.back();
        return true;
    }

    // A text as the registry keeps it: UTF-16LE.
    void appendText(const std::basic_string<Char>& text)
    {
        if constexpr (std::is_same_v<Char, char>) {
            if (isAscii(text)) {
                const std::size_t start = m_file.data.size();
                m_file.data.resize(start + text.size() * 2);
                std::uint8_t* to = m_file.data.data() + start;
                for (const char c : text) {
                    *to++ = static_cast<std::uint8_t>(c);
                    *to++ = 0;
                }
            } else {
                core::appendUtf16Le(m_file.data, core::text::toUtf16(text));
            }
        } else {
            core::appendUtf16Le(m_file.data, text);
        }
    }

    bool readData(View<Char> line, std::size_t pos, RegFileValue& value, std::string& what)
    {
        if (pos < line.size() && line[pos] == Char('-') && restIsEmpty(line, pos + 1)) {
            value.remove = true;
            return true;
        }
        if (pos < line.size() && line[pos] == Char('"')) {
            m_scratch.clear();
            pos = readQuoted(line, pos + 1, m_scratch);
            if (pos == npos) {
                what = tr("the text has no closing quote");
                return false;
            }
            if (!restIsEmpty(line, pos)) {
                what = tr("unexpected characters after the text");
                return false;
            }
            value.type = 1;
            appendText(m_scratch);
            m_file.data.insert(m_file.data.end(), {0, 0});
            return true;
        }
        if (startsWithNoCase(line, pos, "dword:")) {
            pos += 6;
            std::uint32_t number = 0;
            std::size_t digits = 0;
            for (; pos < line.size() && core::text::hexDigitValue(line[pos]) >= 0; ++pos, ++digits)
                number = number << 4 | static_cast<std::uint32_t>(core::text::hexDigitValue(line[pos]));
            if (digits == 0 || digits > 8 || !restIsEmpty(line, pos)) {
                what = tr("dword: takes one to eight hexadecimal digits");
                return false;
            }
            value.type = 4;
            m_file.data.insert(m_file.data.end(),
                               {static_cast<std::uint8_t>(number), static_cast<std::uint8_t>(number >> 8),
                                static_cast<std::uint8_t>(number >> 16), static_cast<std::uint8_t>(number >> 24)});
            return true;
        }
        if (startsWithNoCase(line, pos, "hex:")) {
            value.type = 3;
            pos += 4;
        } else if (startsWithNoCase(line, pos, "hex(")) {
            pos += 4;
            std::uint64_t type = 0;
            std::size_t digits = 0;
            for (; pos < line.size() && core::text::hexDigitValue(line[pos]) >= 0; ++pos, ++digits)
                type = type << 4 | static_cast<std::uint64_t>(core::text::hexDigitValue(line[pos]));
            if (digits == 0 || digits > 8 || !startsWithNoCase(line, pos, "):")) {
                what = tr("hex(N): takes a type of one to eight hexadecimal digits");
                return false;
            }
            value.type = static_cast<std::uint32_t>(type);
            pos += 2;
        } else {
            what = tr("the data is none of \"text\", dword:, hex:, hex(N): or -");
            return false;
        }
        const std::size_t start = m_file.data.size();
        if (!readHexList(line, pos, m_file.data, what))
            return false;
        // A REGEDIT4 file holds the texts of these types in the ANSI code page.
        if (m_regedit4 && (value.type == 1 || value.type == 2 || value.type == 7)) {
            const std::string ansi(m_file.data.begin() + std::ptrdiff_t(start), m_file.data.end());
            m_file.data.resize(start);
            core::appendUtf16Le(m_file.data, core::text::toUtf16(core::text::utf8FromCp1250(ansi)));
        }
        return true;
    }

    // Bytes "01,02,ff", going on in the next line after a backslash.
    bool readHexList(View<Char> line, std::size_t pos, std::vector<std::uint8_t>& data, std::string& what)
    {
        for (;;) {
            pos = skipBlanks(line, pos);
            if (pos >= line.size() || line[pos] == Char(';'))
                return true;
            if (line[pos] == Char('\\')) {
                if (!restIsEmpty(line, pos + 1)) {
                    what = tr("unexpected characters after the line's closing backslash");
                    return false;
                }
                do {
                    if (!nextLine(line)) {
                        what = tr("the hex data goes on past the end of the file");
                        return false;
                    }
                    pos = skipBlanks(line, 0);
                } while (pos < line.size() && line[pos] == Char(';'));
                continue;
            }
            if (core::text::hexDigitValue(line[pos]) < 0) {
                what = tr("the hex data is not a list of bytes like 01,a2,ff");
                return false;
            }
            unsigned byte = static_cast<unsigned>(core::text::hexDigitValue(line[pos++]));
            if (pos < line.size() && core::text::hexDigitValue(line[pos]) >= 0)
                byte = byte << 4 | static_cast<unsigned>(core::text::hexDigitValue(line[pos++]));
            if (pos < line.size() && core::text::hexDigitValue(line[pos]) >= 0) {
                what = tr("a byte of hex data has more than two digits");
                return false;
            }
            data.push_back(static_cast<std::uint8_t>(byte));
            pos = skipBlanks(line, pos);
            if (pos < line.size() && line[pos] == Char(','))
                ++pos;
            else if (pos < line.size() && line[pos] != Char('\\') && line[pos] != Char(';')) {
                what = tr("the hex data is not a list of bytes like 01,a2,ff");
                return false;
            }
        }
    }

    View<Char> m_text;
    RegFile& m_file;
    Arena m_arena;
    std::basic_string<Char> m_scratch;
    std::string m_utf8;
    std::vector<std::size_t> m_valueCounts;                        // of each key, in m_file.values
    std::vector<std::pair<std::size_t, std::size_t>> m_dataRanges; // of each value, in m_file.data
    std::size_t m_position = 0;
    std::size_t m_newline = npos;
    std::size_t m_lineNumber = 0;
    bool m_regedit4 = false;
};

void appendEscaped(std::u16string& out, std::u16string_view text)
{
    for (const char16_t c : text) {
        if (c == u'\\' || c == u'"') {
            out += u'\\';
            out += c;
        } else if (c == u'\n') {
            out += u"\\n";
        } else if (c == u'\r') {
            out += u"\\r";
        } else {
            out += c;
        }
    }
}

// Data that the quoted form gives back exactly: whole UTF-16 units ending in one zero, with no
// other zero and no line break inside.
bool isPlainText(std::span<const std::uint8_t> data)
{
    if (data.size() < 2 || data.size() % 2 != 0 || data[data.size() - 1] != 0 || data[data.size() - 2] != 0)
        return false;
    for (std::size_t i = 0; i + 2 < data.size(); i += 2) {
        const char16_t unit = static_cast<char16_t>(data[i] | data[i + 1] << 8);
        if (unit == 0 || unit == u'\n' || unit == u'\r')
            return false;
    }
    return true;
}

// `@=` for the default value, else `"name"=`.
void appendName(std::u16string& out, std::u16string_view name)
{
    if (name.empty()) {
        out += u"@=";
        return;
    }
    out += u'"';
    appendEscaped(out, name);
    out += u"\"=";
}

void appendAscii(std::u16string& out, const char* text)
{
    for (; *text; ++text)
        out += static_cast<char16_t>(*text);
}

} // namespace

namespace {

template <class Char>
bool parseText(View<Char> text, std::size_t bytes, RegFile& file, std::string& error)
{
    // Mostly a key line, a value line and a blank one: reserved so that the lists are not copied as
    // they grow.
    std::size_t lines = 0;
    if constexpr (std::is_same_v<Char, char>) {
        for (const char* at = text.data();
             (at = static_cast<const char*>(std::memchr(at, '\n', text.size() - std::size_t(at - text.data())))); ++at)
            ++lines;
    } else {
        lines = static_cast<std::size_t>(std::count(text.begin(), text.end(), u'\n'));
    }
    file.keys.reserve(lines / 3 + 1);
    file.values.reserve(lines / 3 + 1);
    file.data.reserve(bytes / 2);
    Parser<Char> parser(text, file);
    if (!parser.run(error)) {
        file = RegFile{};
        return false;
    }
    parser.finish();
    return true;
}

} // namespace

bool parseRegFileText(core::io::FileText bytes, RegFile& file, std::string& error)
{
    file = RegFile{};
    std::string_view view = bytes.view();
    if (view.starts_with("\xFF\xFE")) {
        view.remove_prefix(2);
        if (view.size() % 2 != 0) {
            error = tr("the file ends in the middle of a UTF-16 character");
            return false;
        }
        file.wide = std::make_unique<std::u16string>(
            core::dataUnits({reinterpret_cast<const std::uint8_t*>(view.data()), view.size()}));
        return parseText<char16_t>(*file.wide, view.size(), file, error);
    }
    if (view.starts_with("\xFE\xFF")) {
        error = tr("the file is in big-endian UTF-16, which the registry editor never writes");
        return false;
    }
    if (view.starts_with("\xEF\xBB\xBF"))
        view.remove_prefix(3);
    // Plain ASCII, as most files are that are not UTF-16, or UTF-8 is read where it lies.
    if (isAscii(view) || core::text::isValidUtf8(view)) {
        // A short text held in the FileText itself moves with it.
        const std::size_t offset = static_cast<std::size_t>(view.data() - bytes.view().data());
        file.source = std::make_unique<core::io::FileText>(std::move(bytes));
        view = file.source->view().substr(offset);
    } else {
        file.source = std::make_unique<core::io::FileText>(core::text::utf8FromCp1250(view));
        view = file.source->view();
    }
    return parseText<char>(view, view.size(), file, error);
}

bool parseRegFile(std::string_view bytes, RegFile& file, std::string& error)
{
    return parseRegFileText(core::io::FileText(std::string(bytes)), file, error);
}

RegFileWriter::RegFileWriter()
{
    m_text.assign(Version5.begin(), Version5.end());
    m_text += u"\r\n\r\n";
}

void RegFileWriter::beginKey(std::u16string_view fullPath)
{
    m_text += u'[';
    m_text += fullPath;
    m_text += u"]\r\n";
}

void RegFileWriter::endKey()
{
    m_text += u"\r\n";
}

void RegFileWriter::removeKey(std::u16string_view fullPath)
{
    m_text += u"[-";
    m_text += fullPath;
    m_text += u"]\r\n\r\n";
}

void RegFileWriter::removeValue(std::u16string_view name)
{
    appendName(m_text, name);
    m_text += u"-\r\n";
}

void RegFileWriter::addValue(std::u16string_view name, std::uint32_t type, std::span<const std::uint8_t> data)
{
    std::u16string line;
    appendName(line, name);
    char buffer[32];
    if (type == 1 && isPlainText(data)) {
        line += u'"';
        appendEscaped(line, core::dataString(data));
        line += u'"';
    } else if (type == 4 && data.size() == 4) {
        const std::uint32_t dword = std::uint32_t(data[0]) | std::uint32_t(data[1]) << 8 |
                                    std::uint32_t(data[2]) << 16 | std::uint32_t(data[3]) << 24;
        std::snprintf(buffer, sizeof buffer, "dword:%08x", unsigned(dword));
        appendAscii(line, buffer);
    } else {
        if (type == 3)
            std::snprintf(buffer, sizeof buffer, "hex:");
        else
            std::snprintf(buffer, sizeof buffer, "hex(%x):", static_cast<unsigned>(type));
        appendAscii(line, buffer);
        // Wrapped where the registry editor wraps: once a line reaches 77 columns.
        std::size_t column = line.size();
        for (std::size_t i = 0; i < data.size(); ++i) {
            std::snprintf(buffer, sizeof buffer, "%02x", static_cast<unsigned>(data[i]));
            appendAscii(line, buffer);
            if (i + 1 == data.size())
                break;
            line += u',';
            column += 3;
            if (column >= 77) {
                line += u"\\\r\n  ";
                column = 2;
            }
        }
    }
    line += u"\r\n";
    m_text += line;
}

std::string RegFileWriter::bytes() const
{
    std::string out = "\xFF\xFE";
    out.reserve(2 + m_text.size() * 2);
    for (const char16_t unit : m_text) {
        out += static_cast<char>(unit & 0xFF);
        out += static_cast<char>(unit >> 8);
    }
    return out;
}

} // namespace regtool
