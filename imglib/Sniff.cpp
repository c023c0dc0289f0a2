#include "imglib/Sniff.h"

#include <algorithm>
#include <cstring>

#include "imglib/ByteReader.h"
#include "imglib/Decoders.h"

namespace imglib {
namespace {

bool StartsWith(std::span<const uint8_t> data, const char* magic, size_t size) {
    return data.size() >= size && std::memcmp(data.data(), magic, size) == 0;
}

HeaderFacts BmpFacts(ByteReader& r) {
    HeaderFacts facts;
    uint32_t infoSize = r.U32At(14);
    if (infoSize == 12) { // the OS/2 core header holds 16-bit sizes
        facts.width = r.U16At(18);
        facts.height = r.U16At(20);
        facts.bitsPerPixel = r.U16At(24);
    } else {
        auto width = static_cast<int32_t>(r.U32At(18));
        auto height = static_cast<int32_t>(r.U32At(22));
        // Negative height means rows top to bottom; a negative width is damage, seen as huge.
        facts.width = static_cast<uint32_t>(width);
        facts.height = height < 0 ? 0u - static_cast<uint32_t>(height) : height;
        facts.bitsPerPixel = r.U16At(28);
    }
    facts.sizeKnown = !r.Overrun();
    return facts;
}

HeaderFacts JpegFacts(ByteReader& r) {
    r.SetByteOrder(ByteOrder::Big);
    HeaderFacts facts;
    size_t at = 2;
    while (!r.Overrun()) {
        if (r.U8At(at) != 0xFF) break;
        uint32_t marker = r.U8At(at + 1);
        if (marker == 0xFF) { // fill byte
            ++at;
            continue;
        }
        if (marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7) || marker == 0x01) {
            at += 2;
            continue;
        }
        if (marker == 0xD9 || marker == 0xDA) break; // no frame header before the scan
        uint32_t length = r.U16At(at + 2);
        bool frame =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame) {
            uint32_t precision = r.U8At(at + 4);
            facts.height = r.U16At(at + 5);
            facts.width = r.U16At(at + 7);
            facts.sizeKnown = !r.Overrun();
            // Huffman or arithmetic, sequential or progressive, 8-bit samples.
            bool common = marker == 0xC0 || marker == 0xC1 || marker == 0xC2 || marker == 0xC9 ||
                          marker == 0xCA;
            facts.uncommonVariant = !common || precision != 8;
            return facts;
        }
        if (length < 2) break;
        at += 2 + length;
    }
    return facts;
}

HeaderFacts TiffFacts(ByteReader& r) {
    r.SetByteOrder(r.U8At(0) == 'M' ? ByteOrder::Big : ByteOrder::Little);
    HeaderFacts facts;
    uint32_t ifd = r.U32At(4);
    uint32_t count = r.U16At(ifd);
    bool haveWidth = false, haveHeight = false;
    for (uint32_t i = 0; i < count && !r.Overrun(); ++i) {
        size_t entry = ifd + 2 + size_t{12} * i;
        uint32_t tag = r.U16At(entry);
        uint32_t type = r.U16At(entry + 2);
        // A SHORT value sits in the first two bytes of the value field, a LONG fills it.
        uint32_t value = type == 3 ? r.U16At(entry + 8) : r.U32At(entry + 8);
        if (tag == 256) {
            facts.width = value;
            haveWidth = true;
        } else if (tag == 257) {
            facts.height = value;
            haveHeight = true;
        } else if (tag == 259) {
            constexpr uint32_t kCommon[] = {1, 5, 8, 32773, 32946};
            facts.uncommonVariant =
                std::find(std::begin(kCommon), std::end(kCommon), value) == std::end(kCommon);
        }
    }
    facts.sizeKnown = !r.Overrun() && haveWidth && haveHeight;
    return facts;
}

HeaderFacts PngFacts(ByteReader& r) {
    r.SetByteOrder(ByteOrder::Big);
    HeaderFacts facts;
    facts.width = r.U32At(16);
    facts.height = r.U32At(20);
    facts.sizeKnown = !r.Overrun();
    return facts;
}

// The logical screen, and every image descriptor, since a frame may exceed the screen.
HeaderFacts GifFacts(ByteReader& r) {
    HeaderFacts facts;
    facts.width = r.U16At(6);
    facts.height = r.U16At(8);
    uint32_t flags = r.U8At(10);
    size_t at = 13 + ((flags & 0x80) ? 3u << ((flags & 7) + 1) : 0);
    auto skipSubBlocks = [&](size_t pos) {
        while (!r.Overrun()) {
            uint32_t size = r.U8At(pos);
            ++pos;
            if (size == 0) break;
            pos += size;
        }
        return pos;
    };
    while (!r.Overrun()) {
        uint32_t block = r.U8At(at);
        if (block == 0x21) {
            at = skipSubBlocks(at + 2);
        } else if (block == 0x2C) {
            facts.width = std::max<uint32_t>(facts.width, r.U16At(at + 1) + r.U16At(at + 5));
            facts.height = std::max<uint32_t>(facts.height, r.U16At(at + 3) + r.U16At(at + 7));
            uint32_t imageFlags = r.U8At(at + 9);
            at += 10 + ((imageFlags & 0x80) ? 3u << ((imageFlags & 7) + 1) : 0);
            at = skipSubBlocks(at + 1); // past the LZW code size
        } else {
            break; // the trailer, or damage that the decoder will report
        }
    }
    facts.sizeKnown = true; // the screen size at least was read, or the magic would not match
    return facts;
}

} // namespace

Format Recognise(std::span<const uint8_t> data) {
    if (StartsWith(data, "BM", 2)) return Format::Bmp;
    if (StartsWith(data, "\xFF\xD8\xFF", 3)) return Format::Jpeg;
    if (StartsWith(data, "II*\0", 4) || StartsWith(data, "MM\0*", 4)) return Format::Tiff;
    if (StartsWith(data, "\x89PNG\r\n\x1A\n", 8)) return Format::Png;
    if (StartsWith(data, "GIF87a", 6) || StartsWith(data, "GIF89a", 6)) return Format::Gif;
    if (LooksLikePcx(data)) return Format::Pcx;
    if (LooksLikePhotoCd(data)) return Format::PhotoCd;
    if (LooksLikeTga(data)) return Format::Tga;
    return Format::Unknown;
}

HeaderFacts ReadHeaderFacts(Format format, ByteReader& reader) {
    switch (format) {
    case Format::Bmp: return BmpFacts(reader);
    case Format::Jpeg: return JpegFacts(reader);
    case Format::Tiff: return TiffFacts(reader);
    case Format::Png: return PngFacts(reader);
    case Format::Gif: return reader.Size() >= 13 ? GifFacts(reader) : HeaderFacts{};
    default: return {};
    }
}

} // namespace imglib
