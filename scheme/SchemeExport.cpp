#include "SchemeExport.h"

#include <cstdio>

#include "ColorScheme.h"
#include "StyleSheet.h"

namespace {
constexpr const char* kLineEnd = "\r\n";
// The components' decimals: enough that each comes back to the same 8-bit value.
constexpr int kComponentScale = 100000;

std::string Property(int role) {
    return "--" + std::string(kSchemeTokenNames[role]);
}

// value / 255 to five decimals, without trailing zeros, whatever the locale: "0.92157", "1".
std::string Component(uint32_t value) {
    const long scaled = (static_cast<long>(value) * kComponentScale + 127) / 255;
    char text[16];
    std::snprintf(text, sizeof text, "%ld.%05ld", scaled / kComponentScale,
                  scaled % kComponentScale);
    std::string out = text;
    while (out.back() == '0')
        out.pop_back();
    if (out.back() == '.') out.pop_back();
    return out;
}

std::string JsonString(std::string_view value) {
    std::string out = "\"";
    for (char ch : value) {
        if (ch == '"' || ch == '\\') {
            out += '\\';
            out += ch;
        } else if (static_cast<unsigned char>(ch) < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned char>(ch));
            out += escape;
        } else {
            out += ch;
        }
    }
    return out + "\"";
}
} // namespace

std::string ComposeCssVariables(const int32_t* table, std::string_view backgroundName,
                                bool backgroundForm) {
    std::string css = std::string(":root {") + kLineEnd;
    for (int role = 0; role < kRoleCount; ++role)
        css += "  " + Property(role) + ": #" + DisplayHex(table, kRoles[role]) + ";" + kLineEnd;
    if (backgroundForm) {
        css += "  " + std::string(kPictureProperty) + ": " + CssImageValue(backgroundName) + ";" +
               kLineEnd;
    }
    css += std::string("}") + kLineEnd;
    std::string vars[kRoleCount];
    for (int role = 0; role < kRoleCount; ++role)
        vars[role] = "var(" + Property(role) + ")";
    return css + ComposeStyleRules(vars, backgroundForm
                                             ? "var(" + std::string(kPictureProperty) + ")"
                                             : std::string());
}

std::string ComposeDesignTokens(const int32_t* table, std::string_view backgroundName,
                                bool backgroundForm) {
    std::string json = std::string("{") + kLineEnd + "  \"tintwright\": {" + kLineEnd;
    for (int role = 0; role < kRoleCount; ++role) {
        const uint32_t color = RoleColorRef(table, kRoles[role]);
        const uint32_t rgb[3] = {color & 0xFF, color >> 8 & 0xFF, color >> 16 & 0xFF};
        char hex[8];
        std::snprintf(hex, sizeof hex, "#%02x%02x%02x", rgb[0], rgb[1], rgb[2]);
        json +=
            "    " + JsonString(kSchemeTokenNames[role]) +
            ": {\"$type\": \"color\", \"$value\": {\"colorSpace\": \"srgb\", \"components\": [" +
            Component(rgb[0]) + ", " + Component(rgb[1]) + ", " + Component(rgb[2]) +
            "], \"hex\": \"" + hex + "\"}";
        if (role == 0 && backgroundForm)
            json += ", \"$extensions\": {" + JsonString(kPictureExtension) + ": " +
                    JsonString(backgroundName) + "}";
        json += role + 1 < kRoleCount ? "}," : "}";
        json += kLineEnd;
    }
    return json + "  }" + kLineEnd + "}" + kLineEnd;
}
