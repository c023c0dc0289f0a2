#include "FuzzCheck.h"
#include <algorithm>
#include <vector>

namespace {
// Large enough for the Base image: 0x30000 bytes of headers and 768 by 512 pixels in 4:2:0.
constexpr size_t kFullSize = 0x30000 + 768 * 512 * 3 / 2;
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> bytes(data, size);
    CheckDecode(imglib::DecodePhotoCd(bytes));
    // Inputs stay small; repeat one to full size so that the pixel path runs on its bytes too.
    if (size > 0 && size < kFullSize && imglib::LooksLikePhotoCd(bytes)) {
        std::vector<uint8_t> full(kFullSize);
        for (size_t at = 0; at < kFullSize; at += size)
            std::copy_n(data, std::min(size, kFullSize - at), full.begin() + at);
        const imglib::DecodeResult result = imglib::DecodePhotoCd(full);
        if (!result) std::abort();
        CheckDecode(result);
    }
    return 0;
}
