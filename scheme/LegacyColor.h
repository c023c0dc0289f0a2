// A colour attribute of HTML (BGCOLOR="...", TEXT="..."), read as every browser reads it: the
// HTML standard's rules for parsing a legacy colour value. Portable: standard library only.
#pragma once
#include <cstdint>
#include <optional>
#include <string_view>

// value (UTF-8) as 0xRRGGBB; nullopt for an empty value and "transparent", which the rules
// reject. Every other text gives a colour: "chucknorris" is 0xC00000, "f00" is 0x0F0000.
std::optional<uint32_t> ReadLegacyColor(std::string_view value);
