#include "FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> bytes(data, size);
    const imglib::DecodeResult result = imglib::DecodePcx(bytes);
    CheckDecode(result);
    if (result && !imglib::LooksLikePcx(bytes)) std::abort();
    return 0;
}
