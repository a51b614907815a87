#include "tools/locale/locale_text.h"

#include <gtest/gtest.h>

namespace {

TEST(LocaleText, OutputTakesTheLocalesCharacterSetAndMarksOnlyWhatItLacks)
{
    struct Row {
        const char* charset;
        std::string text;
        std::string expected;
        localetext::Encoder::Towards towards = localetext::Encoder::Towards::Locale;
    };
    constexpr auto ToUtf8 = localetext::Encoder::Towards::Utf8;
    const Row rows[] = {
        {"UTF-8", "zażółć ☃ \xF0\x9F\x98\x80", "zażółć ☃ \xF0\x9F\x98\x80"},
        {"ANSI_X3.4-1968", "zażółć", "zażółć"},
        {"ISO-8859-2", "Żółw ☃ \xF0\x9F\x98\x80!", "\xAF\xF3\xB3w ? ?!"},
        {"CP1250", "Świętość",
         "\x8C"
         "wi\xEAto\x9C\xE6"},
        {"ISO-8859-1", std::string(5000, 'a') + "ół", std::string(5000, 'a') + "\xF3?"},
        {"ISO-8859-2", "a\xC5", "a?"}, // a sequence cut short
        {"ISO-8859-2", "\xAF\xF3\xB3w", "Żółw", ToUtf8},
        {"CP1250", "a\x98\x8C!", "a?Ś!", ToUtf8}, // a byte the set leaves undefined
    };
    for (const Row& row : rows) {
        localetext::Encoder encoder(row.charset, row.towards);
        EXPECT_EQ(encoder.encode(row.text), row.expected) << row.charset;
        EXPECT_EQ(encoder.encode(row.text), row.expected) << row.charset << ", again";
    }
}

TEST(LocaleText, FormatPutsTheArgumentsWhereTheTranslationWantsThem)
{
    EXPECT_EQ(localetext::format("%1 then %2", {"a", "b"}), "a then b");
    EXPECT_EQ(localetext::format("%2 przed %1", {"a", "b"}), "b przed a");
    EXPECT_EQ(localetext::format("100% of %1, %3", {"x"}), "100% of x, %3");
    EXPECT_EQ(localetext::format("%1", {"%2"}), "%2");
}

} // namespace
