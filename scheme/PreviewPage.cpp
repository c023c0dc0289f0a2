#include "PreviewPage.h"

namespace {
constexpr const char* kLineStyle = "font: 11pt 'Times New Roman', serif; text-align: center";
constexpr const char* kTitleStyle =
    "font: normal 14pt Arial, sans-serif; text-align: center; margin: 8px 0";
constexpr const char* kActiveHint =
    "(To see the active link color, press the mouse button on the link above and hold it.)";

bool KeptInUrl(unsigned char ch) {
    return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') ||
           ch == '-' || ch == '.' || ch == '_' || ch == '~' || ch == ':' || ch == '/';
}
} // namespace

std::string EscapeHtmlText(std::string_view text) {
    std::string escaped;
    for (char ch : text) {
        switch (ch) {
        case '&': escaped += "&amp;"; break;
        case '<': escaped += "&lt;"; break;
        case '>': escaped += "&gt;"; break;
        case '"': escaped += "&quot;"; break;
        default: escaped += ch;
        }
    }
    return escaped;
}

std::string ComposePreviewPage(const PreviewPageInputs& inputs) {
    const std::string title = EscapeHtmlText(inputs.title);
    const std::string line = std::string("<p style=\"") + kLineStyle + "\">";
    std::string page = "<!DOCTYPE html>\r\n<html>\r\n<head>\r\n<meta charset=\"utf-8\">\r\n";
    page += "<title>" + title + "</title>\r\n</head>\r\n";
    page += std::string(inputs.tag) + "\r\n";
    page += std::string("<h1 style=\"") + kTitleStyle + "\">" + title + "</h1>\r\n";
    page += line + kSampleLineTexts[0] + "</p>\r\n";
    page += line + "<a href=\"" + EscapeHtmlText(inputs.newHref) + "\">" + kSampleLineTexts[1] +
            "</a></p>\r\n";
    page += line + "<a href=\"" + EscapeHtmlText(inputs.visitedHref) + "\">" + kSampleLineTexts[2] +
            "</a></p>\r\n";
    page += line + "<a href=\"" + EscapeHtmlText(inputs.newHref) + "\">" + kSampleLineTexts[3] +
            "</a><br>\r\n" + kActiveHint + "</p>\r\n";
    page += "</body>\r\n</html>\r\n";
    return page;
}

std::string FileUrl(std::string_view windowsPath) {
    constexpr char kDigits[] = "0123456789ABCDEF";
    std::string url = "file:";
    if (windowsPath.substr(0, 2) == "\\\\")
        windowsPath.remove_prefix(1); // \\server\share: the host follows "file:"
    else
        url += "//";
    url += '/';
    for (char ch : windowsPath) {
        const auto byte = static_cast<unsigned char>(ch);
        if (ch == '\\')
            url += '/';
        else if (KeptInUrl(byte))
            url += ch;
        else
            url += {'%', kDigits[byte >> 4], kDigits[byte & 15]};
    }
    return url;
}
