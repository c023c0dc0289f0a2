#include "scheme/LegacyColor.h"

#include <gtest/gtest.h>

#include <string>

TEST(ReadLegacyColor, ReadsAsBrowsersDo) {
    const std::pair<std::string, uint32_t> cases[] = {
        {"chucknorris", 0xC00000},
        {"f00", 0x0F0000},
        {"#55555", 0x555550},
        {"rgb(255, 0, 0)", 0x005500},
        {"#f00", 0xFF0000},
        {" Red\n", 0xFF0000},
        {"#FFEBD7", 0xFFEBD7},
        {"#1234567", 0x124570},      // padded to nine digits, then the first two of each
        {"#001200340056", 0x123456}, // leading zeros removed from all three together
        {"#0123456789abcdef01234567890abc", 0x23CD67}, // longer than eight: the last eight
        {" ", 0x000000},
        {"\xF0\x9F\x98\x80"
         "ff",
         0x00FF00}, // a code point beyond U+FFFF counts as "00"
        {"\xC3\xA9"
         "ff",
         0x000F0F},
        {std::string(127, '0') + "ffff", 0x0000F0}, // only the first 128 code points count
    };
    for (const auto& [text, rgb] : cases)
        EXPECT_EQ(ReadLegacyColor(text), rgb) << text;
    EXPECT_FALSE(ReadLegacyColor(""));
    EXPECT_FALSE(ReadLegacyColor(" TRANSPARENT "));
}
