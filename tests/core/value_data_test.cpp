#include "core/registry/value_data.h"

#include <gtest/gtest.h>

using namespace core;

TEST(ValueData, TextGoesLowByteFirstAndComesBackUpToItsZero)
{
    const std::u16string text = u"A\u017c\U0001F30E";
    const std::vector<std::uint8_t> data = stringData(text);
    EXPECT_EQ(data, (std::vector<std::uint8_t>{0x41, 0x00, 0x7c, 0x01, 0x3c, 0xd8, 0x0e, 0xdf, 0x00, 0x00}));
    EXPECT_EQ(dataString(data), text);
    EXPECT_EQ(dataUnits(data), text + u'\0');

    std::vector<std::uint8_t> list{0xff};
    appendUtf16Le(list, std::u16string(u"a\0b", 3));
    EXPECT_EQ(list, (std::vector<std::uint8_t>{0xff, 'a', 0, 0, 0, 'b', 0}));
}

TEST(ValueData, DataThatIsNotWholeTextIsReadAsFarAsItGoes)
{
    // An odd last byte is no unit; text without its zero is all text; a zero inside ends it.
    EXPECT_EQ(dataUnits(std::vector<std::uint8_t>{'a', 0, 'b'}), u"a");
    EXPECT_EQ(dataString(std::vector<std::uint8_t>{'a', 0, 'b', 0}), u"ab");
    EXPECT_EQ(dataString(std::vector<std::uint8_t>{'a', 0, 0, 0, 'b', 0, 0, 0}), u"a");
    EXPECT_EQ(dataString({}), u"");
    EXPECT_EQ(stringData(u""), (std::vector<std::uint8_t>{0, 0}));
}
