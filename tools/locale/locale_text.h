#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include <iconv.h>

namespace localetext {

// The message catalogue of the programs: share/locale/<language>/LC_MESSAGES/<Domain>.mo.
inline constexpr const char* Domain = "kwintor-dostrojnik";

// Takes the character set and the language of the messages from the locale (LC_ALL, LC_CTYPE,
// LC_MESSAGES, LANG), leaving numbers in the C format, and finds the catalogues in share/locale
// beside the program's folder (bin/), both in the build tree and installed. `argv0` serves only
// when the system does not tell where the program is.
void initialise(const char* argv0);

// Marks a message where it is defined, for xgettext; tr() translates it where it is used.
constexpr const char* N_(const char* english)
{
    return english;
}

// The message in the user's language, UTF-8; the English text itself when there is no translation.
const char* tr(const char* english);

// `pattern` with %1, %2 ... replaced by the arguments (a translation may put them in another order).
std::string format(std::string_view pattern, std::initializer_list<std::string_view> arguments);

// Turns UTF-8 text into the locale's character set for the terminal, a pipe or a file alike, or
// what comes in the locale's character set (arguments, the C library's messages) into UTF-8. A
// character the target lacks, or a broken sequence, becomes '?'. The C locale's ASCII cannot hold
// the registry's names, so there, as under a UTF-8 locale, the text passes unchanged.
class Encoder {
public:
    enum class Towards { Locale, Utf8 };
    // `charset` as nl_langinfo(CODESET) names it; empty for the current locale's.
    explicit Encoder(std::string charset = {}, Towards towards = Towards::Locale);
    ~Encoder();
    Encoder(const Encoder&) = delete;
    Encoder& operator=(const Encoder&) = delete;

    std::string encode(std::string_view text);
    // Whether encode changes anything: not between UTF-8 and UTF-8.
    bool converts() const { return m_converter != reinterpret_cast<iconv_t>(-1); }

private:
    iconv_t m_converter = reinterpret_cast<iconv_t>(-1);
    bool m_fromUtf8 = true;
};

} // namespace localetext
