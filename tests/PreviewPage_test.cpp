#include "scheme/PreviewPage.h"

#include <gtest/gtest.h>

TEST(PreviewPage, TheTagStandsAsGivenAndTheTitleAsText) {
    PreviewPageInputs inputs;
    inputs.tag = "<BODY BACKGROUND=\"a&b.png\" TEXT=\"#000000\" >";
    inputs.title = "Caf\xC3\xA9 <b>& \"co\"";
    inputs.newHref = "never.html";
    inputs.visitedHref = "self.html";
    const std::string page = ComposePreviewPage(inputs);
    EXPECT_NE(page.find("\r\n<BODY BACKGROUND=\"a&b.png\" TEXT=\"#000000\" >\r\n"),
              std::string::npos);
    EXPECT_NE(page.find("<title>Caf\xC3\xA9 &lt;b&gt;&amp; &quot;co&quot;</title>"),
              std::string::npos);
    EXPECT_NE(page.find("<meta charset=\"utf-8\">"), std::string::npos);
    EXPECT_NE(page.find("<a href=\"self.html\">Links that you've already been to are this color."),
              std::string::npos);
}

TEST(PreviewPage, FileUrlsEscapeEverythingButThePathsPlainCharacters) {
    const std::pair<const char*, const char*> cases[] = {
        {"C:\\Temp\\a b\\p.html", "file:///C:/Temp/a%20b/p.html"},
        {"C:\\J\xC3\xB6\\#1%?.html", "file:///C:/J%C3%B6/%231%25%3F.html"},
        {"\\\\server\\share\\p.html", "file://server/share/p.html"},
    };
    for (const auto& [path, url] : cases)
        EXPECT_EQ(FileUrl(path), url) << path;
}
