#include "scheme/CssColor.h"

#include <gtest/gtest.h>

// Expected values from CSS Color 4's examples, and for the other spaces and the gamut mapping
// from an independent implementation of the same conversions.
TEST(ReadCssColor, EveryFormGivesThePublishedColour) {
    const std::pair<const char*, uint32_t> cases[] = {
        {"oklch(80% 0.15 160)", 0x52DB9C},
        {"oklch(80% 0.35 30)", 0xFF9A88}, // mapped; clipping would give #FF0000
        {"rebeccapurple", 0x663399},
        {"hsl(120 100% 25%)", 0x008000},
        {"  #1A73E8\t", 0x1A73E8},
        {"#f0C", 0xFF00CC},
        {"#F0CF", 0xFF00CC},
        {"#1a73e8ff", 0x1A73E8},
        {"1a73e8", 0x1A73E8},
        {"abc", 0xAABBCC},
        {"RebeccaPurple", 0x663399},
        {"rgb(29 164 192)", 0x1DA4C0},
        {"rgb(29, 164, 192, 1)", 0x1DA4C0},
        {"RGBA(100%, 50%, 0%)", 0xFF8000},
        {"rgb(300 -5 none / 100%)", 0xFF0000},
        {"rgb(50% 128 0)", 0x808000},
        {"hsl(0.5turn 100% 50%)", 0x00FFFF},
        {"hsla(120, 100%, 25%, 1.0)", 0x008000},
        {"hsl(200grad 100 50)", 0x00FFFF},
        {"hsl(3.14159265rad 100% 50%)", 0x00FFFF},
        {"hwb(194 0% 0%)", 0x00C3FF},
        {"hwb(90 12% 20%)", 0x75CC1F},
        {"hwb(0 60% 60%)", 0x808080},
        {"lab(29.2345% 39.3825 20.0664)", 0x7D2329},
        {"lch(52.2345% 72.2 56.2)", 0xC65D06},
        {"lab(100% 0 0)", 0xFFFFFF},
        {"lab(50% 0 0)", 0x777777},
        {"oklab(59.686% 0.1009 0.1192)", 0xC65D07},
        {"oklch(59.686% 0.15619 49.7694)", 0xC65D06},
        {"color(srgb 1 0.5 0)", 0xFF8000},
        {"color(srgb-linear 0.5 0.5 0.5)", 0xBCBCBC},
        {"color(display-p3 1 0 0)", 0xFF0B0C},
        {"color(display-p3 0.5 0.8 0.2)", 0x64CE00},
        {"color(rec2020 0.4 0.6 0.2)", 0x4AA829},
        {"color(a98-rgb 0.3 0.6 0.9)", 0x009AE9},
        {"color(prophoto-rgb 0.4 0.5 0.6)", 0x4597AD},
        {"color(xyz-d50 0.3 0.4 0.2)", 0x7AB87F},
        {"color(xyz 0.3 0.4 0.2)", 0x8BB66B},
        {"lch(60% 130 300)", 0x908DFF},
        {"oklch(0.5 0.4 264)", 0x0033FF},
        {"lab(60% 90 -100)", 0xC375FF},
        {"oklch(100% 0.4 30)", 0xFFFFFF},
    };
    for (const auto& [text, rgb] : cases) {
        const ColorReading reading = ReadCssColor(text);
        EXPECT_EQ(reading.rgb, rgb) << text << ": " << reading.reason;
    }
}

TEST(ReadCssColor, RefusesWithOneLineThatSaysWhy) {
    const std::pair<const char*, const char*> cases[] = {
        {"#12345", "#12345 is not a colour: a hex colour has 3, 4, 6 or 8 digits."},
        {" #12g ", "#12g is not a colour: 'g' is not a hex digit."},
        {"#1\n2", "#1 2 is not a colour: a hex colour has only hex digits."},
        {"rgb(0 0 0 / 50%)",
         "rgb(0 0 0 / 50%) is not a colour: its alpha is below 1, and a page colour cannot be "
         "transparent."},
        {"#000e", "#000e is not a colour: its alpha is below 1, and a page colour cannot be "
                  "transparent."},
        {"transparent", "transparent is not a colour: its alpha is below 1, and a page colour "
                        "cannot be transparent."},
        {"bluish", "bluish is not a colour: no colour has that name."},
        {"currentColor", "currentColor is not a colour: it names no fixed colour."},
        {"rgb(1 2)", "rgb(1 2) is not a colour: rgb() takes three values, then an optional alpha "
                     "after '/'."},
        {"rgb(1, 2 3)", "rgb(1, 2 3) is not a colour: it mixes commas and spaces."},
        {"rgb(1, 2%, 3)",
         "rgb(1, 2%, 3) is not a colour: with commas, rgb() takes three numbers or three "
         "percentages."},
        {"hsl(1, 2, 3)",
         "hsl(1, 2, 3) is not a colour: with commas, hsl() takes a hue and two percentages."},
        {"lab(1, 2, 3)", "lab(1, 2, 3) is not a colour: lab() takes no commas."},
        {"hsl(10px 1% 2%)", "hsl(10px 1% 2%) is not a colour: '10px' cannot stand there."},
        {"rgb(1 2 3", "rgb(1 2 3 is not a colour: the closing ')' is missing."},
        {"rgb(1 2 3) x", "rgb(1 2 3) x is not a colour: there is more after the closing ')'."},
        {"rgb(calc(1) 2 3)", "rgb(calc(1) 2 3) is not a colour: a function cannot stand inside "
                             "a colour."},
        {"color(cmyk 1 2 3)", "color(cmyk 1 2 3) is not a colour: color() knows no colour space "
                              "'cmyk'."},
        {"swirl(1 2 3)", "swirl(1 2 3) is not a colour: swirl() is not a colour function."},
        {"  ", "An empty text is not a colour."},
        {"rgb(0 0 0 0 0 0 0 0 0 0 0 0)",
         "rgb(0 0 0 0 0 0 0 0 0 0 0 0) is not a colour: it has too many values."},
        {"a very long text that is not any colour at all, as pasted by mistake",
         "a very long text that is not any colour at all, ... is not a colour: it is neither a "
         "hex colour, a colour name nor a colour function."},
    };
    for (const auto& [text, reason] : cases) {
        const ColorReading reading = ReadCssColor(text);
        EXPECT_FALSE(reading.rgb) << text;
        EXPECT_EQ(reading.reason, reason);
    }
}
