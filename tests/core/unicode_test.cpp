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
