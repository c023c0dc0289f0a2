#include "FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> bytes(data, size);
    const imglib::DecodeResult result = imglib::DecodeBmpBitfields(bytes);
    CheckDecode(result);
    if (result && !imglib::HasBmpBitfields(bytes)) std::abort();
    return 0;
}
