// The scheme for other tools: CSS custom properties and design tokens. Portable: standard
// library only.
#pragma once
#include <string_view>

// The names of the five roles, in role order, as custom properties ("--page-background") and
// as the tokens of the "tintwright" group: page-background, page-text, link, visited-link,
// active-link.
inline constexpr std::string_view kSchemeTokenNames[5] = {"page-background", "page-text", "link",
                                                          "visited-link", "active-link"};
// The custom property that names the picture while the background form is on.
inline constexpr std::string_view kPictureProperty = "--page-background-image";
// Where the page background's token keeps the picture's name, among its $extensions.
inline constexpr std::string_view kPictureExtension = "org.tintwright.background-image";
