#include "LegacyColor.h"

#include <string>

#include "AsciiText.h"
#include "CssColor.h"

namespace {
// The rules keep the first 128 code points of what remains.
constexpr size_t kMostCodePoints = 128;
// Longer components keep their last eight digits.
constexpr size_t kMostDigits = 8;

// The bytes of one code point starting at text[i]: a malformed sequence counts as one code
// point (U+FFFD), and a code point beyond U+FFFF is told by its four-byte form.
size_t CodePointLength(std::string_view text, size_t i, bool& beyondBmp) {
    const auto lead = static_cast<unsigned char>(text[i]);
    size_t length = lead < 0x80                    ? 1
                    : lead >= 0xF0 && lead <= 0xF4 ? 4
                    : lead >= 0xE0                 ? 3
                    : lead >= 0xC2 && lead < 0xE0  ? 2
                                                   : 0;
    if (lead >= 0xF5) length = 0;
    beyondBmp = length == 4;
    if (length == 0) return 1;
    for (size_t k = 1; k < length; ++k)
        if (i + k >= text.size() || (static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) {
            beyondBmp = false;
            return k;
        }
    return length;
}
} // namespace

std::optional<uint32_t> ReadLegacyColor(std::string_view value) {
    if (value.empty()) return std::nullopt;
    value = Trim(value);
    if (EqualsNoCase(value, "transparent")) return std::nullopt;
    if (const auto named = NamedCssColor(value)) return named;
    if (value.size() == 4 && value[0] == '#' && HexValue(value[1]) >= 0 &&
        HexValue(value[2]) >= 0 && HexValue(value[3]) >= 0)
        return static_cast<uint32_t>(HexValue(value[1]) * 17 << 16 | HexValue(value[2]) * 17 << 8 |
                                     HexValue(value[3]) * 17);

    // Each code point as a digit: a hex digit stays, any other becomes '0', and one beyond
    // U+FFFF becomes "00"; then the first 128 are kept.
    std::string digits;
    for (size_t i = 0; i < value.size() && digits.size() < kMostCodePoints;) {
        bool beyondBmp = false;
        const size_t length = CodePointLength(value, i, beyondBmp);
        if (beyondBmp)
            digits += "00";
        else
            digits += length == 1 && HexValue(value[i]) >= 0 ? value[i] : '0';
        i += length;
    }
    if (digits.size() > kMostCodePoints) digits.resize(kMostCodePoints);
    if (!value.empty() && value[0] == '#') digits.erase(0, 1);
    while (digits.empty() || digits.size() % 3 != 0)
        digits += '0';

    size_t length = digits.size() / 3;
    size_t skip = length > kMostDigits ? length - kMostDigits : 0;
    length -= skip;
    auto at = [&](int component, size_t k) {
        return digits[component * (skip + length) + skip + k];
    };
    while (length > 2 && at(0, 0) == '0' && at(1, 0) == '0' && at(2, 0) == '0')
        ++skip, --length;
    uint32_t rgb = 0;
    for (int component = 0; component < 3; ++component) {
        uint32_t channel = 0;
        for (size_t k = 0; k < length && k < 2; ++k)
            channel = channel * 16 + static_cast<uint32_t>(HexValue(at(component, k)));
        rgb = rgb << 8 | channel;
    }
    return rgb;
}
