#include "ColorScheme.h"

#include <cstdio>

int32_t ColorTable[kComponentCount] = {255, 235, 215, 0, 0, 0, 0, 130, 0, 85, 26, 139, 238, 0, 0};

namespace {
void AppendComponent(std::string& text, int32_t value) {
    char digits[9];
    std::snprintf(digits, sizeof digits, "%X", static_cast<uint32_t>(value));
    if (digits[1] == '\0') text += '0';
    text += digits;
}
} // namespace

std::string HexColor(int32_t red, int32_t green, int32_t blue) {
    std::string text;
    AppendComponent(text, red);
    AppendComponent(text, green);
    AppendComponent(text, blue);
    return text;
}

std::string HexColor(const int32_t* table, ColorRole role) {
    const int32_t* rgb = table + ComponentIndex(role, ChannelRed);
    return HexColor(rgb[0], rgb[1], rgb[2]);
}

uint32_t RoleColorRef(const int32_t* table, ColorRole role) {
    const int32_t* rgb = table + ComponentIndex(role, ChannelRed);
    return (static_cast<uint32_t>(rgb[0]) & 0xFF) | (static_cast<uint32_t>(rgb[1]) & 0xFF) << 8 |
           (static_cast<uint32_t>(rgb[2]) & 0xFF) << 16;
}

uint32_t RoleRgb(const int32_t* table, ColorRole role) {
    const int32_t* rgb = table + ComponentIndex(role, ChannelRed);
    return PackRgb(rgb[0], rgb[1], rgb[2]);
}

void SetRoleRgb(int32_t* table, ColorRole role, uint32_t rgb) {
    const Rgb8 c = UnpackRgb(rgb);
    int32_t* out = table + ComponentIndex(role, ChannelRed);
    out[0] = c.red;
    out[1] = c.green;
    out[2] = c.blue;
}

std::string DisplayHex(const int32_t* table, ColorRole role) {
    const Rgb8 c = UnpackRgb(RoleRgb(table, role));
    char digits[7];
    std::snprintf(digits, sizeof digits, "%02X%02X%02X", c.red, c.green, c.blue);
    return digits;
}

void ResetColorTable(int32_t* table) {
    for (int i = 0; i < kComponentCount; ++i)
        table[i] = kDefaultScheme[i];
}
