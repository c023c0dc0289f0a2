// The scheme for other tools: CSS custom properties and design tokens. Portable: standard
// library only.
#pragma once
#include <cstdint>
#include <string>
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

// The scheme as custom properties on :root, one line each, then the rules of Copy as CSS with
// var() in place of the colours; lines end in CR LF:
//   :root {
//     --page-background: #FFEBD7;
//     ...
//     --page-background-image: url("paper.bmp");   (in the background form only)
//   }
//   body { background-color: var(--page-background); color: var(--page-text); }
//   a:link { color: var(--link); }   and a:visited, a:active likewise
// In the background form the body rule keeps its colour beside background-image, and an
// empty name is "none".
std::string ComposeCssVariables(const int32_t* table, std::string_view backgroundName,
                                bool backgroundForm);

// The scheme as W3C design tokens: a "tintwright" group of five colour tokens named as above,
// each {"$type": "color", "$value": {"colorSpace": "srgb", "components": [1, 0.92157, 0.84314],
// "hex": "#ffebd7"}}, the components to five decimals. In the background form the page
// background's token names the picture in its $extensions. Lines end in CR LF.
std::string ComposeDesignTokens(const int32_t* table, std::string_view backgroundName,
                                bool backgroundForm);
