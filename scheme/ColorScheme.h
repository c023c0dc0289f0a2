// The colour scheme in memory: five roles, fifteen components, and their hexadecimal text.
// Portable: standard library only.
#pragma once
#include <cstdint>
#include <string>

// Each role's value is the control id of its radio button.
enum ColorRole : int32_t {
    RoleBackground = 1000,
    RoleText = 1001,
    RoleLink = 1002,
    RoleVisitedLink = 1003,
    RoleActiveLink = 1004,
};

inline constexpr int kRoleCount = 5;
inline constexpr int kComponentCount = 15;
inline constexpr ColorRole kRoles[kRoleCount] = {RoleBackground, RoleText, RoleLink,
                                                 RoleVisitedLink, RoleActiveLink};

enum Channel : int { ChannelRed = 0, ChannelGreen = 1, ChannelBlue = 2 };

// The default scheme: background, text, new link, visited link, active link; R, G, B each.
inline constexpr int32_t kDefaultScheme[kComponentCount] = {255, 235, 215, 0,   0,   0, 0, 130,
                                                            0,   85,  26,  139, 238, 0, 0};

// The process's components, in role order; a scheme file may bring any value, kept unchanged.
extern int32_t ColorTable[kComponentCount];

constexpr bool IsColorRole(int32_t value) {
    return value >= RoleBackground && value <= RoleActiveLink;
}
constexpr int ComponentIndex(ColorRole role, int channel) {
    return 3 * (role - RoleBackground) + channel;
}

// One role's text: each component as "%X" of its unsigned 32-bit value, "0"-padded to two
// characters when shorter; six characters for components 0..255, up to 24 otherwise.
std::string HexColor(int32_t red, int32_t green, int32_t blue);
std::string HexColor(const int32_t* table, ColorRole role);

// The display colour of a role (0x00BBGGRR) from the low eight bits of each component.
uint32_t RoleColorRef(const int32_t* table, ColorRole role);
// The display colour of a role as 0x00RRGGBB, red in the top byte of the three.
uint32_t RoleRgb(const int32_t* table, ColorRole role);
// Sets role's components in table to those of the colour 0x00RRGGBB.
void SetRoleRgb(int32_t* table, ColorRole role, uint32_t rgb);

// The components 0 to 255 of a colour 0x00RRGGBB, and back; the top byte is ignored.
struct Rgb8 {
    int red, green, blue;
};
constexpr Rgb8 UnpackRgb(uint32_t rgb) {
    return {static_cast<int>(rgb >> 16 & 0xFF), static_cast<int>(rgb >> 8 & 0xFF),
            static_cast<int>(rgb & 0xFF)};
}
constexpr uint32_t PackRgb(int red, int green, int blue) {
    return static_cast<uint32_t>(red & 0xFF) << 16 | static_cast<uint32_t>(green & 0xFF) << 8 |
           static_cast<uint32_t>(blue & 0xFF);
}

// The same display colour as six upper-case hexadecimal digits, red first, whatever the
// components: "FFEBD7".
std::string DisplayHex(const int32_t* table, ColorRole role);

// Restores the default scheme in table.
void ResetColorTable(int32_t* table);
