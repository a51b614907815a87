#include "tools/reg/reg_file.h"

#include "core/registry/value_data.h"
#include "core/text/cp1250.h"
#include "core/text/unicode.h"
#include "core/text/ascii.h"
#include "tools/locale/locale_text.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace regtool {
namespace {

using localetext::format;
using localetext::tr;

constexpr std::size_t npos = std::u16string_view::npos;
constexpr std::u16string_view Version5 = u"Windows Registry Editor Version 5.00";
constexpr std::u16string_view Version4 = u"REGEDIT4";

bool isBlank(char16_t c)
{
    return c == u' ' || c == u'\t';
}

std::size_t skipBlanks(std::u16string_view line, std::size_t pos)
{
    while (pos < line.size() && isBlank(line[pos]))
        ++pos;
    return pos;
}

// Nothing but blanks, or a comment, from `pos` to the end of the line.
bool restIsEmpty(std::u16string_view line, std::size_t pos)
{
    pos = skipBlanks(line, pos);
    return pos >= line.size() || line[pos] == u';';
}

bool startsWithNoCase(std::u16string_view line, std::size_t pos, std::u16string_view prefix)
{
    if (line.size() - pos < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (core::text::lowcase(line[pos + i]) != prefix[i])
            return false;
    return true;
}

bool decode(std::string_view bytes, std::u16string& text, std::string& error)
{
    if (bytes.starts_with("\xFF\xFE")) {
        bytes.remove_prefix(2);
        if (bytes.size() % 2 != 0) {
            error = tr("the file ends in the middle of a UTF-16 character");
            return false;
        }
        text = core::dataUnits({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
        return true;
    }
    if (bytes.starts_with("\xFE\xFF")) {
        error = tr("the file is in big-endian UTF-16, which the registry editor never writes");
        return false;
    }
    if (bytes.starts_with("\xEF\xBB\xBF"))
        bytes.remove_prefix(3);
    // A file of plain ASCII, as most are that are not UTF-16, is widened without a decoder.
    if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        text.resize(bytes.size());
        std::copy(bytes.begin(), bytes.end(), text.begin());
        return true;
    }
    text = core::text::isValidUtf8(bytes) ? core::text::toUtf16(bytes)
                                          : core::text::toUtf16(core::text::utf8FromCp1250(bytes));
    return true;
}

std::string lineError(std::size_t line, const std::string& what)
{
    return format(tr("line %1: %2"), {std::to_string(line), what});
}

class Parser {
public:
    Parser(std::u16string_view text, RegFile& file) : m_text(text), m_file(file) {}

    bool run(std::string& error)
    {
        std::u16string_view line;
        if (!nextLine(line)) {
            error = tr("the file is empty");
            return false;
        }
        while (!line.empty() && isBlank(line.back()))
            line.remove_suffix(1);
        if (line == Version5) {
            m_regedit4 = false;
        } else if (line == Version4) {
            m_regedit4 = true;
        } else {
            error = tr("the file does not begin with \"Windows Registry Editor Version 5.00\" or \"REGEDIT4\"");
            return false;
        }
        while (nextLine(line)) {
            const std::size_t start = skipBlanks(line, 0);
            if (start >= line.size() || line[start] == u';')
                continue;
            std::string what;
            if (line[start] == u'[') {
                if (!readKey(line.substr(start), what)) {
                    error = lineError(m_lineNumber, what);
                    return false;
                }
            } else if (line[start] == u'"' || line[start] == u'@') {
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

private:
    // A line ends at CR LF, LF or a lone CR: editors of old Macs end lines with CR alone, and
    // reading such a line as part of the one before would drop what stands on it.
    bool nextLine(std::u16string_view& line)
    {
        if (m_position >= m_text.size())
            return false;
        std::size_t end = m_position;
        while (end < m_text.size() && m_text[end] != u'\n' && m_text[end] != u'\r')
            ++end;
        line = m_text.substr(m_position, end - m_position);
        m_position = end + 1;
        if (end < m_text.size() && m_text[end] == u'\r' && m_position < m_text.size() && m_text[m_position] == u'\n')
            ++m_position;
        ++m_lineNumber;
        return true;
    }

    bool readKey(std::u16string_view line, std::string& what)
    {
        const std::size_t close = line.rfind(u']');
        if (close == npos) {
            what = tr("the key name has no closing ']'");
            return false;
        }
        std::u16string_view path = line.substr(1, close - 1);
        RegFileKey key;
        key.line = m_lineNumber;
        if (!path.empty() && path.front() == u'-') {
            key.remove = true;
            path.remove_prefix(1);
        }
        if (path.empty()) {
            what = tr("the key name is empty");
            return false;
        }
        key.path = path;
        m_file.keys.push_back(key);
        m_valueCounts.push_back(0);
        return true;
    }

    // A quoted name from just after its opening quote, viewed in the text where it holds no
    // escape; returns the position after the closing quote.
    std::size_t readName(std::u16string_view line, std::size_t pos, std::u16string_view& name)
    {
        const std::size_t end = line.find_first_of(u"\\\"", pos);
        if (end != npos && line[end] == u'"') {
            name = line.substr(pos, end - pos);
            return end + 1;
        }
        m_scratch.clear();
        pos = readQuoted(line, pos, m_scratch);
        name = m_file.names.emplace_back(m_scratch);
        return pos;
    }

    // A quoted text from just after its opening quote; returns the position after the closing one.
    std::size_t readQuoted(std::u16string_view line, std::size_t pos, std::u16string& out)
    {
        while (pos < line.size()) {
            const char16_t c = line[pos++];
            if (c == u'"')
                return pos;
            if (c != u'\\') {
                out += c;
                continue;
            }
            if (pos >= line.size())
                return npos;
            const char16_t escaped = line[pos++];
            switch (escaped) {
            case u'\\': out += u'\\'; break;
            case u'"': out += u'"'; break;
            case u'n': out += u'\n'; break;
            case u'r': out += u'\r'; break;
            case u'0': out += char16_t(0); break;
            default:
                // As Wine does: the backslash goes, the character stays, and the user is told.
                m_file.warnings.push_back(format(tr("reg: Unrecognized escape sequence [\\%1]"),
                                                 {core::text::toUtf8(std::u16string_view(&escaped, 1))}));
                out += escaped;
                break;
            }
        }
        return npos;
    }

    bool readValue(std::u16string_view line, std::size_t pos, std::string& what)
    {
        RegFileValue value;
        if (line[pos] == u'@') {
            ++pos;
        } else {
            pos = readName(line, pos + 1, value.name);
            if (pos == npos) {
                what = tr("the value name has no closing quote");
                return false;
            }
        }
        pos = skipBlanks(line, pos);
        if (pos >= line.size() || line[pos] != u'=') {
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

public:
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
    bool readData(std::u16string_view line, std::size_t pos, RegFileValue& value, std::string& what)
    {
        if (pos < line.size() && line[pos] == u'-' && restIsEmpty(line, pos + 1)) {
            value.remove = true;
            return true;
        }
        if (pos < line.size() && line[pos] == u'"') {
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
            core::appendUtf16Le(m_file.data, m_scratch);
            m_file.data.insert(m_file.data.end(), {0, 0});
            return true;
        }
        if (startsWithNoCase(line, pos, u"dword:")) {
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
        if (startsWithNoCase(line, pos, u"hex:")) {
            value.type = 3;
            pos += 4;
        } else if (startsWithNoCase(line, pos, u"hex(")) {
            pos += 4;
            std::uint64_t type = 0;
            std::size_t digits = 0;
            for (; pos < line.size() && core::text::hexDigitValue(line[pos]) >= 0; ++pos, ++digits)
                type = type << 4 | static_cast<std::uint64_t>(core::text::hexDigitValue(line[pos]));
            if (digits == 0 || digits > 8 || !startsWithNoCase(line, pos, u"):")) {
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
    bool readHexList(std::u16string_view line, std::size_t pos, std::vector<std::uint8_t>& data, std::string& what)
    {
        for (;;) {
            pos = skipBlanks(line, pos);
            if (pos >= line.size() || line[pos] == u';')
                return true;
            if (line[pos] == u'\\') {
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
                } while (pos < line.size() && line[pos] == u';');
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
            if (pos < line.size() && line[pos] == u',')
                ++pos;
            else if (pos < line.size() && line[pos] != u'\\' && line[pos] != u';') {
                what = tr("the hex data is not a list of bytes like 01,a2,ff");
                return false;
            }
        }
    }

    std::u16string_view m_text;
    RegFile& m_file;
    std::u16string m_scratch;
    std::vector<std::size_t> m_valueCounts;                        // of each key, in m_file.values
    std::vector<std::pair<std::size_t, std::size_t>> m_dataRanges; // of each value, in m_file.data
    std::size_t m_position = 0;
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

bool parseRegFile(std::string_view bytes, RegFile& file, std::string& error)
{
    file = RegFile{};
    file.text = std::make_unique<std::u16string>();
    if (!decode(bytes, *file.text, error))
        return false;
    // Mostly a key line, a value line and a blank one: reserved so that the lists are not copied as
    // they grow. Counted in the bytes, where a search is quick; in UTF-16 a character may count
    // that is no line end, which only reserves a little more.
    std::size_t lines = 0;
    for (std::size_t pos = 0; pos < bytes.size(); ++pos, ++lines) {
        const void* found = std::memchr(bytes.data() + pos, '\n', bytes.size() - pos);
        if (!found)
            break;
        pos = static_cast<std::size_t>(static_cast<const char*>(found) - bytes.data());
    }
    file.keys.reserve(lines / 3 + 1);
    file.values.reserve(lines / 3 + 1);
    file.data.reserve(bytes.size() / 2);
    Parser parser(*file.text, file);
    if (!parser.run(error)) {
        file = RegFile{};
        return false;
    }
    parser.finish();
    return true;
}

RegFileWriter::RegFileWriter()
{
    m_text = Version5;
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
