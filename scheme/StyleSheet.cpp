#include "StyleSheet.h"

#include <cstdio>

#include "ColorScheme.h"

namespace {
constexpr const char* kLineEnd = "\r\n";

std::string ColorRule(const char* selector, const std::string& value) {
    return std::string(selector) + " { color: " + value + "; }" + kLineEnd;
}
} // namespace

std::string EscapeCssString(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (char ch : value) {
        const auto byte = static_cast<unsigned char>(ch);
        if (ch == '"' || ch == '\\') {
            out += '\\';
            out += ch;
        } else if (byte < 0x20 || byte == 0x7F || ch == '<') {
            char escape[5];
            std::snprintf(escape, sizeof escape, "\\%x ", byte);
            out += escape;
        } else {
            out += ch;
        }
    }
    return out;
}

std::string CssImageValue(std::string_view backgroundName) {
    return backgroundName.empty() ? "none" : "url(\"" + EscapeCssString(backgroundName) + "\")";
}

std::string ComposeStyleRules(const std::string (&values)[kRoleCount], std::string_view image) {
    std::string css = "body { background-color: " + values[0] + "; ";
    if (!image.empty()) css += "background-image: " + std::string(image) + "; ";
    css += "color: " + values[1] + "; }" + kLineEnd;
    css += ColorRule("a:link", values[2]);
    css += ColorRule("a:visited", values[3]);
    css += ColorRule("a:active", values[4]);
    return css;
}

std::string ComposeStyleSheet(const int32_t* table, std::string_view backgroundName,
                              bool backgroundForm) {
    std::string colors[kRoleCount];
    for (int role = 0; role < kRoleCount; ++role)
        colors[role] = "#" + DisplayHex(table, kRoles[role]);
    return ComposeStyleRules(colors, backgroundForm ? CssImageValue(backgroundName) : "");
}
