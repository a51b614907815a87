#include "core/text/unicode.h"

#include <gtest/gtest.h>

using namespace core::text;

TEST(Unicode, RoundTripsEveryPlane)
{
    const std::string text = "Zażółć ДЖ 中文 \xF0\x9F\x8C\x8E \xF3\xA0\x80\x81";
    const auto wide = toUtf16(text);
    EXPECT_EQ(toUtf8(wide), text);
    EXPECT_EQ(wide[wide.size() - 2], 0xDB40); // a supplementary-plane character takes two units
}

TEST(Unicode, LoneSurrogateSurvivesTheTripThroughUtf8)
{
    const std::u16string lone{u'a', char16_t(0xD83C), u'b'};
    EXPECT_EQ(toUtf16(toUtf8(lone)), lone);
}

TEST(Unicode, BrokenUtf8BecomesReplacementCharacters)
{
    EXPECT_EQ(toUtf16("a\xC3"), (std::u16string{u'a', char16_t(0xFFFD)}));
    EXPECT_EQ(toUtf16("\xC0\x80"), (std::u16string{char16_t(0xFFFD), char16_t(0xFFFD)})); // overlong
    EXPECT_EQ(toUtf16("\xF4\x90\x80\x80").front(), 0xFFFD);                                // beyond U+10FFFF
}

TEST(Unicode, ValidUtf8IsWhatDecodesWithoutReplacement)
{
    const std::pair<std::string_view, bool> cases[] = {
        {"", true},
        {"Za\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87 \xF0\x9F\x8C\x8E", true},
        {"\xEF\xBF\xBD", true}, // U+FFFD itself
        {"\xED\xA0\xBC", true}, // a lone surrogate, as it travels
        {"a\xC3", false},
        {"\xC0\x80", false},
        {"\xF4\x90\x80\x80", false},
        {"\xB3\xF3\x64\x9F", false}, // Windows-1250
        {"\xF8\x88\x80\x80\x80", false},
    };
    for (const auto& [bytes, valid] : cases)
        EXPECT_EQ(isValidUtf8(bytes), valid) << bytes;
}

TEST(Unicode, ComparesWithoutRegardToCase)
{
    EXPECT_TRUE(equalNoCase("CrashControl", "CRASHCONTROL"));
    EXPECT_TRUE(equalNoCase("Użytkownik", "UŻYTKOWNIK"));
    EXPECT_FALSE(equalNoCase("Użytkownik", "Uzytkownik"));
    EXPECT_LT(compareNoCase(u"abc", u"ABD"), 0);
    EXPECT_LT(compareNoCase(u"ab", u"AB\\"), 0);
    EXPECT_EQ(compareNoCase(u"Ą", u"ą"), 0);
    EXPECT_LT(compareNoCase(u"A_B", u"AB"), 0); // Wine's order: '_' before the letters
}
