// Kodak Photo CD: the uncompressed Base image (768 by 512), PhotoYCC 4:2:0 converted to RGB,
// turned as the image pack's orientation byte says.
#include "imglib/DecodeCommon.h"
#include "imglib/Decoders.h"
#include <algorithm>
#include <array>
#include <cstring>

namespace imglib {
namespace {

using detail::Fail;

constexpr size_t kSignatureOffset = 0x800;
constexpr char kSignature[] = "PCD_IPI";
constexpr size_t kSignatureSize = sizeof(kSignature) - 1;
constexpr size_t kOrientationOffset = 0xE02;
constexpr uint8_t kOrientationMask = 0x03;
constexpr size_t kBaseOffset = 0x30000;
constexpr uint32_t kBaseWidth = 768;
constexpr uint32_t kBaseHeight = 512;
// Two luma rows, then one half-width row of each chroma channel.
constexpr size_t kRowPairBytes = 2 * kBaseWidth + 2 * (kBaseWidth / 2);
constexpr size_t kBaseBytes = kRowPairBytes * (kBaseHeight / 2);

// PhotoYCC as Kodak defines it: 8-bit luma is scaled by 1.3584, the chroma channels are offset
// by their zero points (156 and 137) and scaled by 2.2179 and 1.8215; C1 is blue minus luma,
// C2 red minus luma, and green follows from the Rec. 709 luma weights
// (G = Y - 0.194 C1 - 0.509 C2). The result is on a scale where 255 is reference white;
// PhotoYCC's highlights above it are clipped.
constexpr double kLumaScale = 1.3584;
constexpr double kChroma1Scale = 2.2179;
constexpr double kChroma2Scale = 1.8215;
constexpr int kChroma1Zero = 156;
constexpr int kChroma2Zero = 137;
constexpr double kGreenFromChroma1 = -0.194;
constexpr double kGreenFromChroma2 = -0.509;

constexpr int kFixedShift = 16;
constexpr double kFixedOne = 1 << kFixedShift;

// Lookup tables in 16.16 fixed point, built once.
struct YccTables {
    std::array<int32_t, 256> luma, blue, red, greenFrom1, greenFrom2;
    YccTables() {
        for (int i = 0; i < 256; ++i) {
            const double c1 = kChroma1Scale * (i - kChroma1Zero);
            const double c2 = kChroma2Scale * (i - kChroma2Zero);
            luma[i] = static_cast<int32_t>(kLumaScale * i * kFixedOne + kFixedOne / 2);
            blue[i] = static_cast<int32_t>(c1 * kFixedOne);
            red[i] = static_cast<int32_t>(c2 * kFixedOne);
            greenFrom1[i] = static_cast<int32_t>(kGreenFromChroma1 * c1 * kFixedOne);
            greenFrom2[i] = static_cast<int32_t>(kGreenFromChroma2 * c2 * kFixedOne);
        }
    }
};

uint8_t Clamp(int32_t fixed) {
    return static_cast<uint8_t>(std::clamp(fixed >> kFixedShift, 0, 255));
}

// Widens one half-width chroma row to full width. Chroma samples sit on the even luma columns
// and rows; the odd ones take the mean of their two neighbours (nextRow: the row below, or the
// same row for an even luma row).
void UpsampleChroma(const uint8_t* row, const uint8_t* nextRow, uint8_t* out) {
    constexpr uint32_t half = kBaseWidth / 2;
    std::array<uint16_t, half + 1> v;
    for (uint32_t i = 0; i < half; ++i)
        v[i] = static_cast<uint16_t>(row[i] + nextRow[i]);
    v[half] = v[half - 1];
    for (uint32_t i = 0; i < half; ++i) {
        out[2 * i] = static_cast<uint8_t>((2 * v[i] + 2) >> 2);
        out[2 * i + 1] = static_cast<uint8_t>((v[i] + v[i + 1] + 2) >> 2);
    }
}

} // namespace

bool LooksLikePhotoCd(std::span<const uint8_t> data) {
    return data.size() >= kSignatureOffset + kSignatureSize &&
           std::memcmp(data.data() + kSignatureOffset, kSignature, kSignatureSize) == 0;
}

DecodeResult DecodePhotoCd(std::span<const uint8_t> data) {
    if (!LooksLikePhotoCd(data)) return Fail(DecodeError::Unsupported, "not a Photo CD file");
    if (data.size() < kBaseOffset + kBaseBytes)
        return Fail(DecodeError::Corrupt, "Photo CD file truncated");
    const unsigned orientation =
        data.size() > kOrientationOffset ? data[kOrientationOffset] & kOrientationMask : 0;

    // Orientation 1 and 3 turn the picture a quarter, 2 half a turn, all counter-clockwise.
    const bool quarter = orientation == 1 || orientation == 3;
    const uint32_t width = quarter ? kBaseHeight : kBaseWidth;
    const uint32_t height = quarter ? kBaseWidth : kBaseHeight;
    DecodeResult result;
    if (!detail::AllocateImage(result, width, height, 24)) return result;

    // Where source pixel (0,0) lands and how far a step right and a step down move, in pixels.
    ptrdiff_t origin = 0, stepX = 1, stepY = width;
    switch (orientation) {
    case 1: origin = ptrdiff_t{height - 1} * width, stepX = -ptrdiff_t{width}, stepY = 1; break;
    case 2: origin = ptrdiff_t{height} * width - 1, stepX = -1, stepY = -ptrdiff_t{width}; break;
    case 3: origin = width - 1, stepX = width, stepY = -1; break;
    default: break;
    }

    static const YccTables tables;
    uint8_t* pixels = result.image.bgra.data();
    const uint8_t* base = data.data() + kBaseOffset;
    std::array<uint8_t, kBaseWidth> c1, c2;
    for (uint32_t y = 0; y < kBaseHeight; ++y) {
        const uint8_t* pair = base + (y / 2) * kRowPairBytes;
        const uint8_t* luma = pair + (y % 2) * kBaseWidth;
        const uint32_t nearPair = y % 2 ? std::min(y / 2 + 1, kBaseHeight / 2 - 1) : y / 2;
        UpsampleChroma(pair + 2 * kBaseWidth, base + nearPair * kRowPairBytes + 2 * kBaseWidth,
                       c1.data());
        UpsampleChroma(pair + 2 * kBaseWidth + kBaseWidth / 2,
                       base + nearPair * kRowPairBytes + 2 * kBaseWidth + kBaseWidth / 2,
                       c2.data());
        ptrdiff_t at = origin + ptrdiff_t{y} * stepY;
        for (uint32_t x = 0; x < kBaseWidth; ++x, at += stepX) {
            const int32_t l = tables.luma[luma[x]];
            uint8_t* out = pixels + at * 4;
            out[0] = Clamp(l + tables.blue[c1[x]]);
            out[1] = Clamp(l + tables.greenFrom1[c1[x]] + tables.greenFrom2[c2[x]]);
            out[2] = Clamp(l + tables.red[c2[x]]);
            out[3] = 0xFF;
        }
    }
    return result;
}

} // namespace imglib
