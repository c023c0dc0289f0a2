// Transparency as a browser shows it: a page whose BODY names a background picture and no
// colour is white, and the picture's pixels are blended over that white. Portable.
#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

namespace imglib {

// One channel c of a pixel of alpha a over white: c·a/255 rounded, plus the 255 − a of white
// that shows through, as a browser blends a premultiplied pixel.
constexpr uint8_t OverWhite(uint8_t c, uint8_t a) {
    const uint32_t product = uint32_t{c} * a + 128;
    return static_cast<uint8_t>(((product + (product >> 8)) >> 8) + (255u - a));
}

// Blends BGRA pixels over white in place; every alpha becomes 0xFF.
inline void BlendOverWhite(std::span<uint8_t> bgra) {
    for (size_t i = 0; i + 3 < bgra.size(); i += 4) {
        const uint8_t a = bgra[i + 3];
        bgra[i] = OverWhite(bgra[i], a);
        bgra[i + 1] = OverWhite(bgra[i + 1], a);
        bgra[i + 2] = OverWhite(bgra[i + 2], a);
        bgra[i + 3] = 0xFF;
    }
}

// Whether no BGRA pixel has an alpha above 0: a channel that its writer left empty, which
// browsers ignore in a BMP and which we ignore in a TGA too.
inline bool AlphaIsEmpty(std::span<const uint8_t> bgra) {
    for (size_t i = 3; i < bgra.size(); i += 4)
        if (bgra[i] != 0) return false;
    return true;
}

// Makes every BGRA pixel opaque.
inline void DropAlpha(std::span<uint8_t> bgra) {
    for (size_t i = 3; i < bgra.size(); i += 4)
        bgra[i] = 0xFF;
}

} // namespace imglib
