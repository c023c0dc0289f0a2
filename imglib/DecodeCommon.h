// Helpers shared by the decoders: failure results and the capped allocation of the pixels.
#pragma once
#include "imglib/Decoders.h"
#include <new>

namespace imglib::detail {

inline DecodeResult Fail(DecodeError error, const char* reason) {
    DecodeResult result;
    result.error = error;
    result.reason = reason;
    return result;
}

// Checks the dimensions against the limits and allocates the BGRA pixels; on failure sets
// result.error and result.reason and returns false.
inline bool AllocateImage(DecodeResult& result, uint32_t width, uint32_t height,
                          uint32_t sourceBitsPerPixel) {
    if (width == 0 || height == 0) {
        result = Fail(DecodeError::Corrupt, "empty image");
        return false;
    }
    if (!WithinLimits(width, height)) {
        result = Fail(DecodeError::TooLarge, "image too large");
        return false;
    }
    try {
        result.image.bgra.resize(size_t{width} * height * 4);
    } catch (const std::bad_alloc&) {
        result = Fail(DecodeError::NoMemory, "out of memory");
        return false;
    }
    result.image.width = width;
    result.image.height = height;
    result.image.sourceBitsPerPixel = sourceBitsPerPixel;
    return true;
}

} // namespace imglib::detail
