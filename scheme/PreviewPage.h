// The sample page as a real HTML page for a browser. Portable: standard library only.
#pragma once
#include <string>
#include <string_view>

// The sample page's lines: the text line, then the new, visited and active links.
inline constexpr const char* kSampleLineTexts[4] = {
    "Normal text is going to be this color.",
    "New links are going to be this color.",
    "Links that you've already been to are this color.",
    "Links briefly turn to this color when clicked.",
};

struct PreviewPageInputs {
    std::string_view tag;         // the BODY start tag, written as it stands
    std::string_view title;       // UTF-8; shown as text
    std::string_view newHref;     // the new and the active link's: a page never shown
    std::string_view visitedHref; // the page itself, which the browser has shown by then
};

// A UTF-8 page, lines ended by CR LF: the title in the head and at the top of the body, then
// the sample page's lines in their roles, and under the active link how to see its colour.
std::string ComposePreviewPage(const PreviewPageInputs& inputs);

// text as it may stand in HTML's text or a quoted attribute: '&', '<', '>' and '"' as references.
std::string EscapeHtmlText(std::string_view text);

// The file: URL of a Windows path in UTF-8 ("C:\A b\p.html" gives "file:///C:/A%20b/p.html",
// "\\server\share\p.html" gives "file://server/share/p.html"): every byte but letters, digits,
// "-._~:/" escaped as %XX.
std::string FileUrl(std::string_view windowsPath);
