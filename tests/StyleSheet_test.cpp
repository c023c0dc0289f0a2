#include "scheme/StyleSheet.h"

#include <gtest/gtest.h>

#include "TestValues.h"

TEST(ComposeStyleSheet, DefaultSchemeGivesTheFourRules) {
    EXPECT_EQ(ComposeStyleSheet(kDefaultScheme, "paper.bmp", false),
              "body { background-color: #FFEBD7; color: #000000; }\r\n"
              "a:link { color: #008200; }\r\n"
              "a:visited { color: #551A8B; }\r\n"
              "a:active { color: #EE0000; }\r\n");
}

TEST(ComposeStyleSheet, BackgroundFormKeepsTheColourAndNamesThePictureEscapedOrNone) {
    EXPECT_EQ(ComposeStyleSheet(kDefaultScheme, "my \"paper\"\\1.bmp", true)
                  .rfind("body { background-color: #FFEBD7; background-image: url(\"my "
                         "\\\"paper\\\"\\\\1.bmp\"); "
                         "color: #000000; }\r\na:link",
                         0),
              0u);
    EXPECT_EQ(
        ComposeStyleSheet(kDefaultScheme, "", true)
            .rfind(
                "body { background-color: #FFEBD7; background-image: none; color: #000000; }\r\n",
                0),
        0u);
    // A control character or '<' would end the string or the style element.
    EXPECT_EQ(EscapeCssString(std::string("a\nb\x1f<c\x7f", 7)), "a\\a b\\1f \\3c c\\7f ");
}

TEST(ComposeStyleSheet, ComponentsOutOfRangeStillGiveSixDigitColours) {
    // The tag would carry "100FFFFFFFF05"-like texts; the sample page shows the low eight bits.
    EXPECT_EQ(ComposeStyleSheet(kOddValues, "", false),
              "body { background-color: #FF0000; color: #FF0000; }\r\n"
              "a:link { color: #01FF00; }\r\n"
              "a:visited { color: #008002; }\r\n"
              "a:active { color: #030405; }\r\n");
}
