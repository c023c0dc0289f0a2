#include "StyleSheet.h"

#include <cstdio>

#include "ColorScheme.h"

namespace {
constexpr const char* kLineEnd = "\r\n";

std::string Color(const int32_t* table, ColorRole role) {
    return "#" + DisplayHex(table, role);
}

std::string ColorRule(const char* selector, const int32_t* table, ColorRole role) {
    return std::string(selector) + " { color: " + Color(table, role) + "; }" + kLineEnd;
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

std::string ComposeStyleSheet(const int32_t* table, std::string_view backgroundName,
                              bool backgroundForm) {
    std::string css = "body { background-color: " + Color(table, RoleBackground) + "; ";
    if (backgroundForm && backgroundName.empty())
        css += "background-image: none; ";
    else if (backgroundForm)
        css += "background-image: url(\"" + EscapeCssString(backgroundName) + "\"); ";
    css += "color: " + Color(table, RoleText) + "; }" + kLineEnd;
    css += ColorRule("a:link", table, RoleLink);
    css += ColorRule("a:visited", table, RoleVisitedLink);
    css += ColorRule("a:active", table, RoleActiveLink);
    return css;
}
