// A colour as a style sheet reads it: every form of CSS Color 4, brought into sRGB for a page.
// Portable: standard library only.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct ColorReading {
    std::optional<uint32_t> rgb; // 0xRRGGBB when the text is a usable page colour
    std::string reason;          // else one line saying why, starting with the text as typed
};

// The whole text (UTF-8, blanks around allowed) as one colour: hex with or without '#', rgb(),
// rgba(), hsl(), hsla(), hwb(), lab(), lch(), oklab(), oklch(), color() in the predefined
// spaces, or one of the 148 named colours, in any case. A colour outside sRGB is brought in by
// reducing its OKLCh chroma until it lies within a just-noticeable difference of its clipped
// form; each channel is then rounded to 8 bits. An alpha below 1 is refused.
ColorReading ReadCssColor(std::string_view text);

// One of the 148 named colours (ASCII, any case) as 0xRRGGBB; "transparent" and system colours
// are not among them.
std::optional<uint32_t> NamedCssColor(std::string_view name);
