#include "scheme/PageText.h"

#include <gtest/gtest.h>

namespace {
const BodyTagInputs kColors{"FFEBD7", "000000", "008200", "551A8B", "EE0000", "b\xC3\xA9.png"};
const std::string kAdded =
    "BGCOLOR=\"#FFEBD7\" TEXT=\"#000000\" LINK=\"#008200\" VLINK=\"#551A8B\" ALINK=\"#EE0000\"";

std::optional<std::string> Utf8(std::string_view text) {
    return std::string(text);
}
// Latin-1 for the test's one non-ASCII character, refusing any other.
std::optional<std::string> Latin1(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, 2, "\xC3\xA9") == 0)
            out += '\xE9', ++i;
        else if (static_cast<unsigned char>(text[i]) < 0x80)
            out += text[i];
        else
            return std::nullopt;
    }
    return out;
}
} // namespace

TEST(PageText, BodyAttributesReplacedInPlaceAndAddedBeforeTheEnd) {
    const struct {
        std::string page, expected;
        bool backgroundForm;
    } cases[] = {
        {"<p>\r\n<Body onload='go()' Text=red\tid=x>\r\nz\xE9", // others, case, quotes, CR LF kept
         "<p>\r\n<Body onload='go()' Text=\"#000000\"\tid=x BGCOLOR=\"#FFEBD7\" LINK=\"#008200\" "
         "VLINK=\"#551A8B\" ALINK=\"#EE0000\">\r\nz\xE9",
         false},
        {"<BODY background=\"old.gif\" >", "<BODY " + kAdded + " >", false},
        {"<body bgcolor=\"#fff\"/>",
         "<body BACKGROUND=\"b\xE9.png\" TEXT=\"#000000\" LINK=\"#008200\" "
         "VLINK=\"#551A8B\" ALINK=\"#EE0000\"/>",
         true},
        // A value cut off by '>' stays empty; a removed attribute leaves its neighbours apart.
        {"<body a=>", "<body a=\"\" " + kAdded + ">", false},
        {"<body background=\"x\"<p>", "<body <p " + kAdded + ">", false},
        // Not the tags in a comment, a script or a title, nor an end tag.
        {"<!-- <body> --><script>'<body>'</SCRIPT ><title><body></title></body>\n<body>",
         "<!-- <body> --><script>'<body>'</SCRIPT ><title><body></title></body>\n<body " + kAdded +
             ">",
         false},
    };
    for (const auto& c : cases) {
        BodyTagInputs colors = kColors;
        colors.backgroundForm = c.backgroundForm;
        const PageEdit edit = ApplyBodyColors(c.page, colors, Latin1);
        EXPECT_EQ(edit.status, PageEditStatus::Done) << c.page;
        EXPECT_EQ(EditedPage(c.page, edit), c.expected);
    }
}

TEST(PageText, PagesWithoutABodyTagOrTheNameAreRefused) {
    for (const char* page : {"<p>text", "<!-- <body>", "<script><body>", "<body class='x"})
        EXPECT_EQ(ApplyBodyColors(page, kColors, Utf8).status, PageEditStatus::NoBody) << page;
    BodyTagInputs colors = kColors;
    colors.backgroundForm = true;
    colors.backgroundName = "\xE2\x82\xAC.png"; // no Latin-1 byte holds the euro sign
    EXPECT_EQ(ApplyBodyColors("<body>", colors, Latin1).status, PageEditStatus::NotEncodable);
}

TEST(PageText, StyleElementAddedAtTheEndOfTheHeadThenReplaced) {
    const std::string rules = "body { color: #000000; }\r\n";
    const std::string page = "<html>\n<head>\n  <title>t</title>\n  </head>\n<body>";
    const PageEdit first = ApplyStyleElement(page, rules, Utf8);
    const std::string once = "<html>\n<head>\n  <title>t</title>\n<style id=\"tintwright-colors\">"
                             "\nbody { color: #000000; }\n</style>\n  </head>\n<body>";
    EXPECT_EQ(EditedPage(page, first), once);
    const PageEdit second = ApplyStyleElement(once, "a { color: red; }\r\n", Utf8);
    EXPECT_EQ(EditedPage(once, second),
              "<html>\n<head>\n  <title>t</title>\n<style id=\"tintwright-colors\">\n"
              "a { color: red; }\n</style>\n  </head>\n<body>");
    // Without a head, before the BODY tag.
    EXPECT_EQ(EditedPage("x<body>", ApplyStyleElement("x<body>", rules, Utf8)),
              "x<style id=\"tintwright-colors\">\r\nbody { color: #000000; }\r\n</style><body>");
}

TEST(PageText, EncodingFromTheMarkThenTheMetaElseTheSystem) {
    const struct {
        std::string page;
        int codePage;
        size_t bom;
    } cases[] = {
        {"\xEF\xBB\xBF<meta charset=windows-1252>", 65001, 3},
        {"\xFF\xFE<\0", 1200, 2},
        {"<!-- <meta charset=big5> --><META CHARSET=\" Shift_JIS\">", 932, 0},
        {"<meta http-equiv=\"Content-Type\" content=\"text/html; charset='koi8-r'\">", 20866, 0},
        {"<meta content=\"text/html; charset=koi8-r\">", 1250, 0}, // no http-equiv
        {"<meta charset=utf-16>", 65001, 0},
        {std::string(1024, ' ') + "<meta charset=utf-8>", 1250, 0},
    };
    for (const auto& c : cases) {
        const PageEncoding encoding = FindPageEncoding(c.page, 1250);
        EXPECT_EQ(encoding.codePage, c.codePage) << c.page;
        EXPECT_EQ(encoding.bomLength, c.bom) << c.page;
    }
}

TEST(PageText, ColoursComeFromTheHeadTheBodyTagAndLaterStyleElementsOnly) {
    EXPECT_EQ(PageColorSource("<style>a{}</style><body text=red><p>x<!-- <style>b{}</style> -->"
                              "<script>'<style>c{}</style>'</script><STYLE media=all>d{}</Style "
                              "><p>y<style>e{}"),
              "<style>a{}</style><body text=red><STYLE media=all>d{}</Style ><style>e{}");
}

TEST(PageText, AStyleElementIsFoundWhereverItStartsInTheScansWordsOfEightBytes) {
    for (size_t offset = 0; offset <= 16; ++offset) {
        const std::string text(offset, 'x');
        EXPECT_EQ(PageColorSource("<body>" + text + "<p><Style>a{}</style><b>" + text +
                                  "<!-- <style>b{}</style> --><p>"),
                  "<body><Style>a{}</style>")
            << "offset " << offset;
    }
}
