// What every fuzz target checks after a decode: a success has pixels that match its size.
#pragma once
#include "imglib/Alpha.h"
#include "imglib/Decoders.h"
#include <cstdlib>

inline void CheckDecode(const imglib::DecodeResult& result) {
    if (!result) {
        if (result.error == imglib::DecodeError::None || !result.image.bgra.empty()) std::abort();
        return;
    }
    const imglib::Image& image = result.image;
    if (image.width == 0 || image.height == 0 || !imglib::WithinLimits(image.width, image.height) ||
        image.bgra.size() != size_t{image.width} * image.height * 4)
        std::abort();
    // Alpha is kept only where some of it is above 0; otherwise every pixel is opaque.
    if (image.hasAlpha) {
        if (imglib::AlphaIsEmpty(image.bgra)) std::abort();
        return;
    }
    for (size_t i = 3; i < image.bgra.size(); i += 4)
        if (image.bgra[i] != 0xFF) std::abort();
}
