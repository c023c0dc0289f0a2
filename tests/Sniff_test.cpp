// The recogniser's order, on bytes that more than one format would take.
#include "imglib/Sniff.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

namespace {
using imglib::Format;
using Bytes = std::vector<uint8_t>;

Bytes Starting(std::string_view head, size_t size = 64) {
    Bytes bytes(std::max(size, head.size()));
    std::memcpy(bytes.data(), head.data(), head.size());
    return bytes;
}

// Ends as a TGA file of version 2 does, whatever comes before.
Bytes WithTgaFooter(Bytes bytes) {
    constexpr char kFooter[] = "\0\0\0\0\0\0\0\0TRUEVISION-XFILE.";
    bytes.insert(bytes.end(), kFooter, kFooter + sizeof kFooter);
    return bytes;
}

Bytes WithPhotoCdSignature(Bytes bytes) {
    bytes.resize(std::max<size_t>(bytes.size(), 0x808));
    std::memcpy(bytes.data() + 0x800, "PCD_IPI", 7);
    return bytes;
}

// A PCX header: manufacturer, version 5, run-length encoding, 8 bits.
Bytes PcxHeader() {
    Bytes bytes(128);
    bytes[0] = 0x0A, bytes[1] = 5, bytes[2] = 1, bytes[3] = 8;
    return bytes;
}
} // namespace

TEST(Recognise, TriesTheFormatsWithASignatureFirstAndTgaLast) {
    // A TGA header of 2 by 2 pixels of 24 bits: no signature, only plausible fields.
    const Bytes tgaHeader = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 2, 0, 24, 0};
    const struct {
        const char* what;
        Bytes bytes;
        Format expected;
    } cases[] = {
        {"BMP", WithTgaFooter(Starting("BM")), Format::Bmp},
        {"JPEG", WithTgaFooter(Starting("\xFF\xD8\xFF")), Format::Jpeg},
        {"TIFF, Intel", WithTgaFooter(Starting(std::string_view("II*\0", 4))), Format::Tiff},
        {"TIFF, Motorola", WithTgaFooter(Starting(std::string_view("MM\0*", 4))), Format::Tiff},
        {"PNG", WithTgaFooter(Starting("\x89PNG\r\n\x1A\n")), Format::Png},
        {"GIF", WithTgaFooter(Starting("GIF89a")), Format::Gif},
        {"PCX", WithTgaFooter(WithPhotoCdSignature(PcxHeader())), Format::Pcx},
        {"Photo CD", WithTgaFooter(WithPhotoCdSignature(Bytes(16))), Format::PhotoCd},
        {"TGA by its footer", WithTgaFooter(Bytes(18)), Format::Tga},
        {"TGA by its header", tgaHeader, Format::Tga},
        {"text", Starting("plain text, not an image"), Format::Unknown},
        {"nothing", {}, Format::Unknown},
    };
    for (const auto& c : cases)
        EXPECT_EQ(imglib::Recognise(c.bytes), c.expected) << c.what;
}
