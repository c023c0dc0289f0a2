// The style sheet that gives a page what the BODY tag gives it. Portable: standard library only.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "ColorScheme.h"

// Four rules, each on a line of its own ended by CR LF, as the clipboard carries text:
//   body { background-color: #FFEBD7; color: #000000; }
//   a:link { color: #008200; }
//   a:visited { color: #551A8B; }
//   a:active { color: #EE0000; }
// The colours are those the sample page shows (DisplayHex). In the background form the body
// rule names the picture after the colour, background-image: url("NAME"), or says none for an
// empty name; the colour stays so that the text is readable while the picture loads or if it
// is missing:
//   body { background-color: #FFEBD7; background-image: url("paper.bmp"); color: #000000; }
std::string ComposeStyleSheet(const int32_t* table, std::string_view backgroundName,
                              bool backgroundForm);
// The same four rules with values in role order in place of the colours and, unless it is
// empty, image as the body's background-image.
std::string ComposeStyleRules(const std::string (&values)[kRoleCount], std::string_view image);
// The picture as a background-image value: url("NAME"), or none for an empty name.
std::string CssImageValue(std::string_view backgroundName);

// value as it may stand between the double quotes of a CSS string: '"' and '\' escaped by a
// backslash; control characters and '<' (which could end a style element) as hexadecimal
// escapes followed by a space; everything else unchanged.
std::string EscapeCssString(std::string_view value);
