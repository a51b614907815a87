#include "tools/locale/locale_text.h"

#include "core/text/fill_in.h"

#include <langinfo.h>
#include <libintl.h>

#include <cerrno>
#include <clocale>
#include <cstdlib>
#include <filesystem>

namespace localetext {
namespace {

// The locale name the C library reads for `category`: LC_ALL, else the category's own, else LANG.
std::string requestedLocale(const char* category)
{
    for (const char* name : {"LC_ALL", category, "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value)
            return value;
    }
    return {};
}

bool passesUnchanged(std::string_view charset)
{
    return charset.empty() || charset == "UTF-8" || charset == "utf8" || charset == "ANSI_X3.4-1968" ||
           charset == "ASCII";
}

} // namespace

void initialise(const char* argv0)
{
    // A locale that is not generated on this machine still tells the language and that the
    // user wants UTF-8 (C.UTF-8 is always there): gettext needs only a locale other than C and
    // the language through LANGUAGE.
    if (!std::setlocale(LC_CTYPE, ""))
        std::setlocale(LC_CTYPE, "C.UTF-8");
    if (!std::setlocale(LC_MESSAGES, "")) {
        std::setlocale(LC_MESSAGES, "C.UTF-8");
        const std::string name = requestedLocale("LC_MESSAGES");
        const std::string language = name.substr(0, name.find_first_of(".@"));
        if (!language.empty() && language != "C" && language != "POSIX")
            setenv("LANGUAGE", language.c_str(), 0);
    }
    std::error_code ignored;
    std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", ignored);
    if (program.empty() && argv0)
        program = argv0;
    const std::filesystem::path catalogues = program.parent_path() / DOSTROJNIK_BIN_TO_LOCALE;
    bindtextdomain(Domain, catalogues.c_str());
    bind_textdomain_codeset(Domain, "UTF-8");
}

const char* tr(const char* english)
{
    return dgettext(Domain, english);
}

std::string format(std::string_view pattern, std::initializer_list<std::string_view> arguments)
{
    return core::text::fillIn(pattern, {arguments.begin(), arguments.size()});
}

Encoder::Encoder(std::string charset, Towards towards) : m_fromUtf8(towards == Towards::Locale)
{
    if (charset.empty())
        charset = nl_langinfo(CODESET);
    if (!passesUnchanged(charset))
        m_converter = m_fromUtf8 ? iconv_open(charset.c_str(), "UTF-8") : iconv_open("UTF-8", charset.c_str());
}

Encoder::~Encoder()
{
    if (m_converter != reinterpret_cast<iconv_t>(-1))
        iconv_close(m_converter);
}

std::string Encoder::encode(std::string_view text)
{
    if (m_converter == reinterpret_cast<iconv_t>(-1))
        return std::string(text);
    std::string out(text.size() * 4 + 16, '\0');
    char* in = const_cast<char*>(text.data());
    std::size_t inLeft = text.size();
    char* to = out.data();
    std::size_t toLeft = out.size();
    iconv(m_converter, nullptr, nullptr, nullptr, nullptr);
    while (inLeft > 0) {
        if (iconv(m_converter, &in, &inLeft, &to, &toLeft) != static_cast<std::size_t>(-1))
            break;
        if (errno == E2BIG) {
            const std::size_t used = out.size() - toLeft;
            out.resize(out.size() * 2);
            to = out.data() + used;
            toLeft = out.size() - used;
            continue;
        }
        // A character the set lacks (or a broken sequence): one '?' for the whole UTF-8 sequence,
        // for a byte of any other set.
        std::size_t length = 1;
        while (m_fromUtf8 && length < inLeft && (static_cast<unsigned char>(in[length]) & 0xC0) == 0x80)
            ++length;
        in += length;
        inLeft -= length;
        if (toLeft == 0) {
            const std::size_t used = out.size();
            out.resize(out.size() * 2);
            to = out.data() + used;
            toLeft = out.size() - used;
        }
        *to++ = '?';
        --toLeft;
    }
    out.resize(out.size() - toLeft);
    return out;
}

} // namespace localetext
