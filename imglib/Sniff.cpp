#include "Sniff.h"

#include <algorithm>
#include <cstring>

namespace imglib {
namespace {

bool StartsWith(std::span<const uint8_t> data, const char* magic, size_t size) {
    return data.size() >= size && std::memcmp(data.data(), magic, size) == 0;
}

// Bounded little- and big-endian reads; out of range reads yield 0 and clear ok.
struct Reader {
    std::span<const uint8_t> data;
    bool bigEndian = false;
    bool ok = true;

    uint32_t U8(size_t at) {
        if (at >= data.size()) {
            ok = false;
            return 0;
        }
        return data[at];
    }
    uint32_t U16(size_t at) {
        uint32_t a = U8(at), b = U8(at + 1);
        return bigEndian ? (a << 8 | b) : (b << 8 | a);
    }
    uint32_t U32(size_t at) {
        uint32_t a = U16(at), b = U16(at + 2);
        return bigEndian ? (a << 16 | b) : (b << 16 | a);
    }
};

HeaderFacts BmpFacts(std::span<const uint8_t> data) {
    Reader r{data};
    HeaderFacts facts;
    uint32_t infoSize = r.U32(14);
    if (infoSize == 12) { // the OS/2 core header holds 16-bit sizes
        facts.width = r.U16(18);
        facts.height = r.U16(20);
        facts.bitsPerPixel = r.U16(24);
    } else {
        auto width = static_cast<int32_t>(r.U32(18));
        auto height = static_cast<int32_t>(r.U32(22));
        // Negative height means rows top to bottom; a negative width is damage, seen as huge.
        facts.width = static_cast<uint32_t>(width);
        facts.height = height < 0 ? 0u - static_cast<uint32_t>(height) : height;
        facts.bitsPerPixel = r.U16(28);
    }
    facts.sizeKnown = r.ok;
    return facts;
}

HeaderFacts JpegFacts(std::span<const uint8_t> data) {
    Reader r{data, true};
    HeaderFacts facts;
    size_t at = 2;
    while (r.ok) {
        if (r.U8(at) != 0xFF) break;
        uint32_t marker = r.U8(at + 1);
        if (marker == 0xFF) { // fill byte
            ++at;
            continue;
        }
        if (marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7) || marker == 0x01) {
            at += 2;
            continue;
        }
        if (marker == 0xD9 || marker == 0xDA) break; // no frame header before the scan
        uint32_t length = r.U16(at + 2);
        bool frame =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame) {
            uint32_t precision = r.U8(at + 4);
            facts.height = r.U16(at + 5);
            facts.width = r.U16(at + 7);
            facts.sizeKnown = r.ok;
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

HeaderFacts TiffFacts(std::span<const uint8_t> data) {
    Reader r{data, !data.empty() && data[0] == 'M'};
    HeaderFacts facts;
    uint32_t ifd = r.U32(4);
    uint32_t count = r.U16(ifd);
    bool haveWidth = false, haveHeight = false;
    for (uint32_t i = 0; i < count && r.ok; ++i) {
        size_t entry = ifd + 2 + size_t{12} * i;
        uint32_t tag = r.U16(entry);
        uint32_t type = r.U16(entry + 2);
        // A SHORT value sits in the first two bytes of the value field, a LONG fills it.
        uint32_t value = type == 3 ? r.U16(entry + 8) : r.U32(entry + 8);
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
    facts.sizeKnown = r.ok && haveWidth && haveHeight;
    return facts;
}

HeaderFacts PngFacts(std::span<const uint8_t> data) {
    Reader r{data, true};
    HeaderFacts facts;
    facts.width = r.U32(16);
    facts.height = r.U32(20);
    facts.sizeKnown = r.ok;
    return facts;
}

// The logical screen, and every image descriptor, since a frame may exceed the screen.
HeaderFacts GifFacts(std::span<const uint8_t> data) {
    Reader r{data};
    HeaderFacts facts;
    facts.width = r.U16(6);
    facts.height = r.U16(8);
    uint32_t flags = r.U8(10);
    size_t at = 13 + ((flags & 0x80) ? 3u << ((flags & 7) + 1) : 0);
    auto skipSubBlocks = [&](size_t pos) {
        while (r.ok) {
            uint32_t size = r.U8(pos);
            ++pos;
            if (size == 0) break;
            pos += size;
        }
        return pos;
    };
    while (r.ok) {
        uint32_t block = r.U8(at);
        if (block == 0x21) {
            at = skipSubBlocks(at + 2);
        } else if (block == 0x2C) {
            facts.width = std::max(facts.width, r.U16(at + 1) + r.U16(at + 5));
            facts.height = std::max(facts.height, r.U16(at + 3) + r.U16(at + 7));
            uint32_t imageFlags = r.U8(at + 9);
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

Format SniffMagic(std::span<const uint8_t> data) {
    if (StartsWith(data, "BM", 2)) return Format::Bmp;
    if (StartsWith(data, "\xFF\xD8\xFF", 3)) return Format::Jpeg;
    if (StartsWith(data, "II*\0", 4) || StartsWith(data, "MM\0*", 4)) return Format::Tiff;
    if (StartsWith(data, "\x89PNG\r\n\x1A\n", 8)) return Format::Png;
    if (StartsWith(data, "GIF87a", 6) || StartsWith(data, "GIF89a", 6)) return Format::Gif;
    return Format::Unknown;
}

HeaderFacts ReadHeaderFacts(Format format, std::span<const uint8_t> data) {
    switch (format) {
    case Format::Bmp: return BmpFacts(data);
    case Format::Jpeg: return JpegFacts(data);
    case Format::Tiff: return TiffFacts(data);
    case Format::Png: return PngFacts(data);
    case Format::Gif: return data.size() >= 13 ? GifFacts(data) : HeaderFacts{};
    default: return {};
    }
}

} // namespace imglib
