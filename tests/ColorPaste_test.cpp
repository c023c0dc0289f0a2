#include "scheme/ColorPaste.h"

#include <gtest/gtest.h>

#include "TestValues.h"
#include "scheme/BodyTag.h"
#include "scheme/SchemeExport.h"
#include "scheme/StyleSheet.h"

namespace {
constexpr uint32_t kUnset = 0xFFFFFFFF;
// A scheme whose five colours all differ from the starting ones.
constexpr int32_t kOwnScheme[kComponentCount] = {18,  52, 86, 250, 240, 230, 26, 115,
                                                 232, 1,  2,  3,   200, 100, 0};

struct PasteCase {
    const char* text;
    std::array<uint32_t, 5> roles;
    std::array<bool, 5> fromStyleSheet;
    const char* picture; // nullptr: none named
};

void ExpectColors(const std::optional<PastedColors>& colors, const PasteCase& expected) {
    ASSERT_TRUE(colors) << expected.text;
    for (int role = 0; role < kRoleCount; ++role) {
        EXPECT_EQ(colors->roles[role].value_or(kUnset), expected.roles[role])
            << expected.text << " role " << role;
        EXPECT_EQ(colors->fromStyleSheet[role], expected.fromStyleSheet[role])
            << expected.text << " role " << role;
    }
    EXPECT_EQ(colors->picture.value_or("(none)"), expected.picture ? expected.picture : "(none)")
        << expected.text;
    EXPECT_FALSE(colors->single);
}

std::array<uint32_t, 5> Rgb(const int32_t* table) {
    std::array<uint32_t, 5> rgb{};
    for (int role = 0; role < kRoleCount; ++role)
        rgb[role] = static_cast<uint32_t>(table[3 * role] << 16 | table[3 * role + 1] << 8 |
                                          table[3 * role + 2]);
    return rgb;
}
} // namespace

TEST(ReadPastedColors, TagsPagesAndStyleSheetsAsABrowserReadsThem) {
    const PasteCase cases[] = {
        {"<body bgcolor=chucknorris bgcolor=#fff TEXT='f00' link=\"#55555\" "
         "Vlink=\"rgb(255, 0, 0)\" alink=transparent background=\"a&amp;b&#x20;c.png\">",
         {0xC00000, 0x0F0000, 0x555550, 0x005500, kUnset},
         {},
         "a&b c.png"},
        // Only the page's first real body tag counts, and its style rules beat its attributes.
        {"<!DOCTYPE html><html><head><title><body bgcolor=red></title>\r\n"
         "<script>document.write(\"<body text=red>\")</script><!-- <body bgcolor=blue> -->\n"
         "<style>body { color: #123456 } a:visited { color: rebeccapurple !important }\n"
         "a:visited { color: red }</style></head>\n"
         "<BODY Text=\"#000000\" bgColor=\"#fFeBd7\" LINK=#008200 "
         "style=\"background-color: oklch(80% 0.15 160)\"><p>Hi</p><body alink=red></body>",
         {0x52DB9C, 0x123456, 0x008200, 0x663399, kUnset},
         {true, true, false, true, false},
         nullptr},
        // The cascade: specificity, then the later rule; invalid values and print rules drop.
        {"/* hand-written */\n"
         "a { color: red }\n"
         "a:link, a:visited { color: #00f; }\n"
         ":link { color: lime } :active { color: yellow }\n"
         "a:active { color: green; }\n"
         "body { background: #fff url('tile\\).png') repeat; color: navy; color: bogus; }\n"
         "@media print { body { color: black } }\n",
         {0xFFFFFF, 0x000080, 0x0000FF, 0x0000FF, 0x008000},
         {true, true, true, true, true},
         "tile).png"},
        {"a { color: #abc } body{background-color:ffffff}",
         {kUnset, kUnset, 0xAABBCC, 0xAABBCC, 0xAABBCC},
         {false, false, true, true, true},
         nullptr},
    };
    const PasteCase tokens = {
        "{\"tintwright\": {\"link\": {\"$type\": \"color\", \"$value\": {\"colorSpace\": "
        "\"display-p3\", \"components\": [1, 0, 0]}}, \"page-text\": {\"$value\": "
        "{\"hex\": \"#123456\"}}, \"active-link\": {\"$value\": \"hsl(120 100% 25%)\"}}}",
        {kUnset, 0x123456, 0xFF0B0C, kUnset, 0x008000},
        {},
        nullptr};
    ExpectColors(ReadPastedColors(tokens.text), tokens);
    for (const PasteCase& expected : cases)
        ExpectColors(ReadPastedColors(expected.text), expected);
}

TEST(ReadPastedColors, OneColourGoesToTheCurrentRoleAndNothingReadableIsNothing) {
    const auto one = ReadPastedColors("  oklch(80% 0.15 160)\r\n");
    ASSERT_TRUE(one);
    EXPECT_EQ(one->single, 0x52DB9Cu);
    EXPECT_FALSE(one->roles[0]);
    for (const char* text : {"", " \r\n", "hello world", "<p>no body here</p>", "{}",
                             "<!-- <body bgcolor=red>", "p { color: red }"})
        EXPECT_FALSE(ReadPastedColors(text)) << text;
}

TEST(ReadPastedColors, CopyTagCopyAsCssAndTheExportsComeBackAsTheSameScheme) {
    const std::array<bool, 5> none{}, all{true, true, true, true, true};
    auto hex = [](ColorRole role) { return HexColor(kOwnScheme, role); };
    const std::string bg = hex(RoleBackground), text = hex(RoleText), link = hex(RoleLink),
                      vlink = hex(RoleVisitedLink), alink = hex(RoleActiveLink);
    BodyTagInputs inputs{bg, text, link, vlink, alink, "my \"<paper>\" & 1.bmp", false};
    std::array<uint32_t, 5> rgb = Rgb(kOwnScheme);
    ExpectColors(ReadPastedColors(ComposeBodyTag(inputs)), {"tag", rgb, none, nullptr});
    inputs.backgroundForm = true;
    std::array<uint32_t, 5> noColor = rgb;
    noColor[0] = kUnset;
    ExpectColors(ReadPastedColors(ComposeBodyTag(inputs)),
                 {"tag, picture", noColor, none, "my \"<paper>\" & 1.bmp"});

    const char* name = "my \"paper\"\\\x01<1.bmp";
    const struct {
        const char* what;
        std::string (*compose)(const int32_t*, std::string_view, bool);
        std::array<bool, 5> fromStyleSheet;
    } exports[] = {{"css", ComposeStyleSheet, all},
                   {"variables", ComposeCssVariables, all},
                   {"tokens", ComposeDesignTokens, none}};
    for (const auto& format : exports) {
        SCOPED_TRACE(format.what);
        ExpectColors(ReadPastedColors(format.compose(kOwnScheme, name, false)),
                     {"no picture", rgb, format.fromStyleSheet, nullptr});
        // The picture's rule keeps the background colour beside it, so that comes back too.
        ExpectColors(ReadPastedColors(format.compose(kOwnScheme, name, true)),
                     {"picture", rgb, format.fromStyleSheet, name});
    }
    // The body rule that keeps its colour beside the picture.
    ExpectColors(ReadPastedColors("body { background-color: #123456; background-image: "
                                  "url(\"my \\\"paper\\\"\\\\\\1 \\3c 1.bmp\"); color: #FAF0E6; }"),
                 {"both",
                  {0x123456, 0xFAF0E6, kUnset, kUnset, kUnset},
                  {true, true, false, false, false},
                  name});
}
