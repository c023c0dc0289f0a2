#include "scheme/BodyTag.h"

#include <gtest/gtest.h>

#include "TestValues.h"

namespace {
BodyTagInputs Defaults() {
    BodyTagInputs in;
    in.bgcolorHex = "FFEBD7";
    in.textHex = "000000";
    in.linkHex = "008200";
    in.vlinkHex = "551A8B";
    in.alinkHex = "EE0000";
    return in;
}
} // namespace

TEST(ComposeBodyTag, DefaultSchemeWithBackgroundColour) {
    std::string tag = ComposeBodyTag(Defaults());
    EXPECT_EQ(tag, kDefaultTag);
    EXPECT_EQ(tag.size(), 87u);
}

TEST(ComposeBodyTag, BackgroundFormNamesTheImageAndDropsTheColour) {
    BodyTagInputs in = Defaults();
    in.backgroundForm = true;
    in.backgroundName = "paper.bmp";
    EXPECT_EQ(ComposeBodyTag(in),
              "<BODY BACKGROUND=\"paper.bmp\" TEXT=\"#000000\" LINK=\"#008200\" "
              "VLINK=\"#551A8B\" ALINK=\"#EE0000\" >");
    in.backgroundName = "";
    EXPECT_EQ(ComposeBodyTag(in).rfind("<BODY BACKGROUND=\"\" TEXT=", 0), 0u);
}

TEST(ComposeBodyTag, LongHexTextsAreInsertedUnchanged) {
    BodyTagInputs in = Defaults();
    in.bgcolorHex = "100FFFFFFFF05";
    EXPECT_EQ(ComposeBodyTag(in).rfind("<BODY BGCOLOR=\"#100FFFFFFFF05\" TEXT=", 0), 0u);
}

TEST(EscapeAttributeValue, OrdinaryNamesStandUnchanged) {
    for (const char* name : {"my paper.bmp", "R&D.jpg", "caf\xE9 cr\xE8me.tga", "a'b.bmp"})
        EXPECT_EQ(EscapeAttributeValue(name), name);
}

TEST(EscapeAttributeValue, CharactersThatWouldBreakTheTagBecomeReferences) {
    EXPECT_EQ(EscapeAttributeValue("a\"b<c>d"), "a&quot;b&lt;c&gt;d");
    EXPECT_EQ(EscapeAttributeValue(std::string("x\ny\tz\x7f", 6)), "x&#10;y&#9;z&#127;");
    BodyTagInputs in = Defaults();
    in.backgroundForm = true;
    in.backgroundName = "\"><script>";
    std::string tag = ComposeBodyTag(in);
    EXPECT_EQ(tag.find('\n'), std::string::npos);
    EXPECT_EQ(tag.rfind("<BODY BACKGROUND=\"&quot;&gt;&lt;script&gt;\" TEXT=", 0), 0u);
}
