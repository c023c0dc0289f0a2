#include "scheme/SchemeExport.h"

#include <gtest/gtest.h>

#include "TestValues.h"

TEST(ComposeCssVariables, PropertiesOnRootThenTheRulesThroughVar) {
    EXPECT_EQ(ComposeCssVariables(kDefaultScheme, "paper.bmp", false),
              ":root {\r\n"
              "  --page-background: #FFEBD7;\r\n"
              "  --page-text: #000000;\r\n"
              "  --link: #008200;\r\n"
              "  --visited-link: #551A8B;\r\n"
              "  --active-link: #EE0000;\r\n"
              "}\r\n"
              "body { background-color: var(--page-background); color: var(--page-text); }\r\n"
              "a:link { color: var(--link); }\r\n"
              "a:visited { color: var(--visited-link); }\r\n"
              "a:active { color: var(--active-link); }\r\n");
    const std::string picture = ComposeCssVariables(kOddValues, "my \"paper\".bmp", true);
    EXPECT_NE(picture.find("  --active-link: #030405;\r\n"
                           "  --page-background-image: url(\"my \\\"paper\\\".bmp\");\r\n}\r\n"
                           "body { background-color: var(--page-background); "
                           "background-image: var(--page-background-image); "
                           "color: var(--page-text); }\r\n"),
              std::string::npos);
    EXPECT_NE(
        ComposeCssVariables(kDefaultScheme, "", true).find("  --page-background-image: none;\r\n"),
        std::string::npos);
}

TEST(ComposeDesignTokens, OneColourTokenPerRoleInTheTintwrightGroup) {
    EXPECT_EQ(
        ComposeDesignTokens(kDefaultScheme, "a\"b\\c\x01.bmp", true),
        "{\r\n"
        "  \"tintwright\": {\r\n"
        "    \"page-background\": {\"$type\": \"color\", \"$value\": {\"colorSpace\": \"srgb\", "
        "\"components\": [1, 0.92157, 0.84314], \"hex\": \"#ffebd7\"}, \"$extensions\": "
        "{\"org.tintwright.background-image\": \"a\\\"b\\\\c\\u0001.bmp\"}},\r\n"
        "    \"page-text\": {\"$type\": \"color\", \"$value\": {\"colorSpace\": \"srgb\", "
        "\"components\": [0, 0, 0], \"hex\": \"#000000\"}},\r\n"
        "    \"link\": {\"$type\": \"color\", \"$value\": {\"colorSpace\": \"srgb\", "
        "\"components\": [0, 0.5098, 0], \"hex\": \"#008200\"}},\r\n"
        "    \"visited-link\": {\"$type\": \"color\", \"$value\": {\"colorSpace\": \"srgb\", "
        "\"components\": [0.33333, 0.10196, 0.5451], \"hex\": \"#551a8b\"}},\r\n"
        "    \"active-link\": {\"$type\": \"color\", \"$value\": {\"colorSpace\": \"srgb\", "
        "\"components\": [0.93333, 0, 0], \"hex\": \"#ee0000\"}}\r\n"
        "  }\r\n"
        "}\r\n");
}
