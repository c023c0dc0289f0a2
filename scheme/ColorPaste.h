// The colours in a pasted text: a BODY tag or a whole page, a style sheet, the design tokens
// that Copy as Design Tokens writes, or one colour. Portable: standard library only.
#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct PastedColors {
    std::array<std::optional<uint32_t>, 5>
        roles{}; // index = ColorRole - 1000; 0xRRGGBB; unset roles keep their colours
    std::array<bool, 5> fromStyleSheet{}; // which roles a <style>/style sheet rule set (CSS beats
                                          // the tag in a browser)
    std::optional<std::string> picture;   // BACKGROUND= or url(...) as written (UTF-8), when named
    std::optional<uint32_t>
        single; // the text was one colour in any form: the current role takes it
};

// The text (UTF-8) read as a browser reads it:
// - beginning with '<': a tag or a page. Its first <body> start tag (not one inside a comment,
//   a script, a style element or other raw text) gives BGCOLOR, TEXT, LINK, VLINK and ALINK by
//   the legacy-colour rules and BACKGROUND as the picture; the rules of the page's style
//   elements and the tag's style attribute for body and the links beat the attributes.
// - beginning with '{': the design tokens of a "tintwright" group.
// - one colour in any form that Enter Color takes: single.
// - otherwise a style sheet: body's background-color, background, background-image and color,
//   the links' color from a, :link, :visited, :active and :any-link rules, with :root custom
//   properties through var(), in the browser's cascade.
// nullopt when nothing in it is readable.
std::optional<PastedColors> ReadPastedColors(std::string_view utf8);
