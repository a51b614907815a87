#include "core/text/cp1250.h"

#include <gtest/gtest.h>

#include <iconv.h>

using namespace core::text;

namespace {

// The C library's own converter, as an independent reference for the table.
std::string referenceUtf8(unsigned char byte)
{
    iconv_t converter = iconv_open("UTF-8", "CP1250");
    if (converter == reinterpret_cast<iconv_t>(-1))
        return "<no converter>";
    char in[1] = {static_cast<char>(byte)};
    char out[8] = {};
    char* inPointer = in;
    char* outPointer = out;
    size_t inLeft = 1;
    size_t outLeft = sizeof out;
    const size_t result = iconv(converter, &inPointer, &inLeft, &outPointer, &outLeft);
    iconv_close(converter);
    if (result == static_cast<size_t>(-1))
        return "<undefined>";
    return std::string(out, sizeof out - outLeft);
}

} // namespace

TEST(Cp1250, EveryDefinedByteMatchesTheSystemConverterBothWays)
{
    int defined = 0;
    for (int b = 0; b < 256; ++b) {
        const std::string byte(1, static_cast<char>(b));
        const std::string expected = referenceUtf8(static_cast<unsigned char>(b));
        if (expected == "<undefined>")
            continue;
        ++defined;
        SCOPED_TRACE(b);
        EXPECT_EQ(utf8FromCp1250(byte), expected);
        EXPECT_EQ(cp1250FromUtf8(expected), byte);
    }
    EXPECT_EQ(defined, 251);
}

TEST(Cp1250, PolishLettersHaveTheirCodePageBytes)
{
    EXPECT_EQ(cp1250FromUtf8("ąćęłńóśźż ĄĆĘŁŃÓŚŹŻ"),
              "\xB9\xE6\xEA\xB3\xF1\xF3\x9C\x9F\xBF \xA5\xC6\xCA\xA3\xD1\xD3\x8C\x8F\xAF");
    EXPECT_EQ(utf8FromCp1250("Dzie\xF1"), "Dzień");
}

TEST(Cp1250, UndefinedBytesSurviveARoundTrip)
{
    const std::string undefined = "\x81\x83\x88\x90\x98";
    const std::string text = utf8FromCp1250(undefined);
    EXPECT_EQ(text, "\xC2\x81\xC2\x83\xC2\x88\xC2\x90\xC2\x98"); // the C1 controls of the same number
    EXPECT_EQ(cp1250FromUtf8(text), undefined);
}

TEST(Cp1250, ACharacterTheCodePageLacksBecomesOneQuestionMark)
{
    EXPECT_EQ(cp1250FromUtf8("€ Ā 中 🌎 ß"), "\x80 ? ? ? \xDF");
    EXPECT_EQ(cp1250FromUtf8("a\xC3"), "a?");   // broken UTF-8
    EXPECT_EQ(cp1250FromUtf8("\xED\xA0\xBC"), "?"); // a lone surrogate
    const std::string withZero("a\0b", 3);
    EXPECT_EQ(cp1250FromUtf8(withZero), withZero);
    EXPECT_EQ(utf8FromCp1250(withZero), withZero);
}
