// ImgLib.dll under Wine: images written by ImageMagick at test time (see make_test_images.sh),
// decoded by the DLL and compared with ImageMagick's own decoding, and the failure codes.
#include "ImgLib.h"

#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace {

const std::string kFolder = "testimages\\";

std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

// Writes a changed copy of a test image and returns its path.
std::string Variant(const std::string& source, const std::string& name,
                    const std::function<void(std::vector<uint8_t>&)>& change) {
    std::vector<uint8_t> bytes = ReadBytes(kFolder + source);
    EXPECT_FALSE(bytes.empty()) << source;
    change(bytes);
    WriteBytes(kFolder + name, bytes);
    return kFolder + name;
}

struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;
};

// The bitmap's pixels as RGB rows top to bottom, read back through the screen's DC.
Pixels ReadBitmap(HBITMAP bitmap) {
    BITMAP info = {};
    EXPECT_EQ(::GetObjectA(bitmap, sizeof(info), &info), static_cast<int>(sizeof(info)));
    Pixels pixels{info.bmWidth, info.bmHeight, {}};
    BITMAPINFO request = {};
    request.bmiHeader.biSize = sizeof(request.bmiHeader);
    request.bmiHeader.biWidth = info.bmWidth;
    request.bmiHeader.biHeight = -info.bmHeight;
    request.bmiHeader.biPlanes = 1;
    request.bmiHeader.biBitCount = 32;
    std::vector<uint8_t> bgrx(size_t(info.bmWidth) * info.bmHeight * 4);
    HDC screen = ::GetDC(nullptr);
    EXPECT_EQ(::GetDIBits(screen, bitmap, 0, info.bmHeight, bgrx.data(), &request, DIB_RGB_COLORS),
              info.bmHeight);
    ::ReleaseDC(nullptr, screen);
    for (size_t i = 0; i < bgrx.size(); i += 4) {
        pixels.rgb.insert(pixels.rgb.end(), {bgrx[i + 2], bgrx[i + 1], bgrx[i]});
    }
    return pixels;
}

struct Decoded {
    HBITMAP bitmap = nullptr;
    uint32_t aux = 0;
    int32_t error = 0;
    Decoded(const Decoded&) = delete;
    explicit Decoded(const std::string& path) {
        bitmap = ReadFileIntoDDB(path.c_str(), &aux, 0);
        error = GetLastImgLibError();
    }
    ~Decoded() {
        if (bitmap) ::DeleteObject(bitmap);
    }
};

struct Sample {
    const char* file;
    uint32_t sourceBits; // 0: whatever the decoder reports
    int tolerance;       // largest difference of one channel from the reference
    double meanTolerance = 0;
};

void PrintTo(const Sample& sample, std::ostream* out) {
    *out << sample.file;
}

class DecodesLikeTheReference : public testing::TestWithParam<Sample> {};

TEST_P(DecodesLikeTheReference, PixelForPixel) {
    const Sample& sample = GetParam();
    Decoded decoded(kFolder + sample.file);
    ASSERT_NE(decoded.bitmap, nullptr) << "error " << decoded.error;
    EXPECT_EQ(decoded.error, IMGLIB_OK);
    if (sample.sourceBits) {
        EXPECT_EQ(decoded.aux, sample.sourceBits);
    }

    // Device-dependent: the screen's format, and usable in a DC compatible with the screen.
    BITMAP info = {};
    ::GetObjectA(decoded.bitmap, sizeof(info), &info);
    HDC screen = ::GetDC(nullptr);
    EXPECT_EQ(info.bmBitsPixel, ::GetDeviceCaps(screen, BITSPIXEL));
    HDC memory = ::CreateCompatibleDC(screen);
    HGDIOBJ previous = ::SelectObject(memory, decoded.bitmap);
    EXPECT_NE(previous, nullptr);
    ::SelectObject(memory, previous);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);

    Pixels pixels = ReadBitmap(decoded.bitmap);
    std::vector<uint8_t> reference = ReadBytes(kFolder + sample.file + ".rgb");
    ASSERT_EQ(reference.size(), size_t(pixels.width) * pixels.height * 3)
        << pixels.width << "x" << pixels.height;
    int worst = 0;
    size_t worstAt = 0;
    double sum = 0;
    for (size_t i = 0; i < reference.size(); ++i) {
        int difference = std::abs(int(pixels.rgb[i]) - int(reference[i]));
        sum += difference;
        if (difference > worst) worst = difference, worstAt = i;
    }
    EXPECT_LE(worst, sample.tolerance)
        << "pixel " << worstAt / 3 % pixels.width << "," << worstAt / 3 / pixels.width;
    EXPECT_LE(sum / reference.size(), sample.meanTolerance);
}

// JPEG decoders may differ in the inverse DCT, chroma upsampling and colour conversion: small
// on average, larger at sharp colour edges of subsampled chroma.
constexpr int kJpegTolerance = 24;
constexpr double kJpegMeanTolerance = 3.0;

INSTANTIATE_TEST_SUITE_P(
    Wic, DecodesLikeTheReference,
    testing::Values(Sample{"bmp1.bmp", 1, 0}, Sample{"bmp4.bmp", 4, 0}, Sample{"bmp8.bmp", 8, 0},
                    Sample{"bmp8rle.bmp", 8, 0}, Sample{"bmp24.bmp", 24, 0},
                    Sample{"bmp32.bmp", 32, 0}, Sample{"tif_none.tif", 24, 0},
                    Sample{"tif_lzw.tif", 24, 0}, Sample{"tif_lzw_bands.tif", 24, 0},
                    Sample{"tif_packbits.tif", 24, 0}, Sample{"tif_gray.tif", 8, 0},
                    Sample{"png24.png", 24, 0}, Sample{"png8.png", 8, 0}, Sample{"gif.gif", 8, 0},
                    Sample{"jpg_420.jpg", 24, kJpegTolerance, kJpegMeanTolerance},
                    Sample{"jpg_444.jpg", 24, kJpegTolerance, kJpegMeanTolerance},
                    Sample{"jpg_progressive.jpg", 24, kJpegTolerance, kJpegMeanTolerance},
                    Sample{"jpg_gray.jpg", 8, kJpegTolerance, kJpegMeanTolerance}));

// Transparent pixels over white, as a page without a background colour shows them; the
// references are ImageMagick's blend, which may round the other way.
INSTANTIATE_TEST_SUITE_P(Transparency, DecodesLikeTheReference,
                         testing::Values(Sample{"png_alpha.png", 32, 1, 0.5},
                                         Sample{"bmp_alpha.bmp", 32, 1, 0.5},
                                         Sample{"bmp_empty_alpha.bmp", 32, 0},
                                         Sample{"gif_alpha.gif", 8, 0},
                                         Sample{"tga32_alpha.tga", 32, 1, 0.5}));

// Photo CD's YCC conversions differ in rounding and in the precision of their constants.
constexpr int kPhotoCdTolerance = 3;
constexpr double kPhotoCdMeanTolerance = 0.5;

INSTANTIATE_TEST_SUITE_P(
    Portable, DecodesLikeTheReference,
    testing::Values(Sample{"tga24.tga", 24, 0}, Sample{"tga_rle.tga", 24, 0},
                    Sample{"tga8.tga", 0, 0}, Sample{"pcx24.pcx", 24, 0}, Sample{"pcx8.pcx", 8, 0},
                    Sample{"pcd.pcd", 24, kPhotoCdTolerance, kPhotoCdMeanTolerance}));

int32_t ErrorOf(const std::string& path) {
    uint32_t aux = 0xDEADBEEF;
    HBITMAP bitmap = ReadFileIntoDDB(path.c_str(), &aux, 0);
    int32_t error = GetLastImgLibError();
    if (bitmap) ::DeleteObject(bitmap);
    return bitmap ? IMGLIB_OK : error;
}

TEST(ImgLibErrors, FilesThatCannotBeRead) {
    EXPECT_EQ(ErrorOf(kFolder + "no such file.bmp"), IMGLIB_ERR_FILE_NOT_FOUND);
    EXPECT_EQ(ErrorOf(kFolder + "no such folder\\a.bmp"), IMGLIB_ERR_FILE_NOT_FOUND);
    ::CreateDirectoryA((kFolder + "folder.bmp").c_str(), nullptr);
    EXPECT_EQ(ErrorOf(kFolder + "folder.bmp"), IMGLIB_ERR_READ);

    uint32_t aux = 0;
    EXPECT_EQ(ReadFileIntoDDB((kFolder + "bmp24.bmp").c_str(), &aux, 1), nullptr);
    EXPECT_EQ(GetLastImgLibError(), IMGLIB_ERR_ARGUMENT);
    EXPECT_EQ(ReadFileIntoDDB(nullptr, &aux, 0), nullptr);
    EXPECT_EQ(GetLastImgLibError(), IMGLIB_ERR_ARGUMENT);
}

TEST(ImgLibErrors, APictureThatAnotherProgramHoldsOpenForWritingStillLoads) {
    for (const char* file : {"bmp24.bmp", "tga24.tga"}) {
        // As an image editor holds it: open for writing, others allowed to read.
        const std::string path = kFolder + file;
        HANDLE editor = ::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                      nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(editor, INVALID_HANDLE_VALUE) << file;
        EXPECT_EQ(ErrorOf(path), IMGLIB_OK) << file;
        ::CloseHandle(editor);
    }
}

TEST(ImgLibErrors, ContentDecidesTheFormatNotTheName) {
    EXPECT_EQ(ErrorOf(kFolder + "text.txt"), IMGLIB_ERR_UNSUPPORTED);
    EXPECT_EQ(ErrorOf(Variant("text.txt", "text.bmp", [](auto&) {})), IMGLIB_ERR_UNSUPPORTED);
    EXPECT_EQ(ErrorOf(Variant("text.txt", "empty.jpg", [](auto& b) { b.clear(); })),
              IMGLIB_ERR_UNSUPPORTED);
    // A PNG named .bmp and a JPEG named .tga still decode.
    EXPECT_EQ(ErrorOf(Variant("png24.png", "png.bmp", [](auto&) {})), IMGLIB_OK);
    EXPECT_EQ(ErrorOf(Variant("jpg_444.jpg", "jpg.tga", [](auto&) {})), IMGLIB_OK);
}

TEST(ImgLibErrors, TruncatedFilesOfEachFormatAreCorrupt) {
    struct Cut {
        const char* file;
        size_t header; // a length that keeps what identifies the format
    };
    for (Cut cut :
         {Cut{"bmp8.bmp", 40}, Cut{"bmp24.bmp", 40}, Cut{"bmp8rle.bmp", 40}, Cut{"jpg_420.jpg", 40},
          Cut{"jpg_progressive.jpg", 40}, Cut{"tif_none.tif", 40}, Cut{"tif_lzw.tif", 40},
          Cut{"png24.png", 40}, Cut{"gif.gif", 40}, Cut{"tga24.tga", 40}, Cut{"tga_rle.tga", 40},
          Cut{"pcx24.pcx", 130}, Cut{"pcd.pcd", 0x900}}) {
        std::string file = cut.file;
        auto half = [](std::vector<uint8_t>& b) { b.resize(b.size() / 2); };
        auto header = [&](std::vector<uint8_t>& b) { b.resize(cut.header); };
        EXPECT_EQ(ErrorOf(Variant(file, "half_" + file, half)), IMGLIB_ERR_CORRUPT) << file;
        EXPECT_EQ(ErrorOf(Variant(file, "head_" + file, header)), IMGLIB_ERR_CORRUPT) << file;
    }
}

// Bytes in the compressed data flipped; a checksum or the coding itself notices.
TEST(ImgLibErrors, DamagedCompressedDataIsCorrupt) {
    auto flip = [](std::vector<uint8_t>& b) {
        for (size_t i = b.size() / 3; i < b.size() / 3 + 64; ++i)
            b[i] ^= 0x5A;
    };
    for (const char* file : {"png24.png", "jpg_420.jpg", "tif_lzw.tif"}) {
        EXPECT_EQ(ErrorOf(Variant(file, std::string("flip_") + file, flip)), IMGLIB_ERR_CORRUPT)
            << file;
    }
}

size_t FrameHeader(const std::vector<uint8_t>& jpeg) {
    for (size_t i = 2; i + 1 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) return i;
    }
    ADD_FAILURE() << "no baseline frame header";
    return 0;
}

TEST(ImgLibErrors, UnusualVariantsAreIncompatible) {
    auto twelveBits = [](std::vector<uint8_t>& b) { b[FrameHeader(b) + 4] = 12; };
    auto lossless = [](std::vector<uint8_t>& b) { b[FrameHeader(b) + 1] = 0xC3; };
    auto hierarchical = [](std::vector<uint8_t>& b) { b[FrameHeader(b) + 1] = 0xC5; };
    EXPECT_EQ(ErrorOf(Variant("jpg_444.jpg", "jpg12.jpg", twelveBits)), IMGLIB_ERR_INCOMPATIBLE);
    EXPECT_EQ(ErrorOf(Variant("jpg_444.jpg", "jpg_ll.jpg", lossless)), IMGLIB_ERR_INCOMPATIBLE);
    EXPECT_EQ(ErrorOf(Variant("jpg_444.jpg", "jpg_h.jpg", hierarchical)), IMGLIB_ERR_INCOMPATIBLE);
    // BI_JPEG inside a BMP, and a pixel depth of 7 bits.
    EXPECT_EQ(ErrorOf(Variant("bmp24.bmp", "bmp_jpeg.bmp", [](auto& b) { b[30] = 4; })),
              IMGLIB_ERR_INCOMPATIBLE);
    EXPECT_EQ(ErrorOf(Variant("bmp24.bmp", "bmp_7.bmp", [](auto& b) { b[28] = 7; })),
              IMGLIB_ERR_INCOMPATIBLE);
    // Wine's TIFF decoder lacks JPEG compression; a system that has it decodes the file.
    int32_t jpegInTiff = ErrorOf(kFolder + "tif_jpeg.tif");
    EXPECT_TRUE(jpegInTiff == IMGLIB_ERR_INCOMPATIBLE || jpegInTiff == IMGLIB_OK) << jpegInTiff;
}

void PutLe32(std::vector<uint8_t>& b, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = uint8_t(value >> (8 * i));
}

void PutBe(std::vector<uint8_t>& b, size_t at, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        b[at + i] = uint8_t(value >> (8 * (bytes - 1 - i)));
}

// Headers that claim huge images are refused before any pixel memory is asked for.
TEST(ImgLibErrors, HugeHeadersAreTooLarge) {
    auto bmp = [](uint32_t w, uint32_t h) {
        return [=](std::vector<uint8_t>& b) { PutLe32(b, 18, w), PutLe32(b, 22, h); };
    };
    EXPECT_EQ(ErrorOf(Variant("bmp24.bmp", "huge1.bmp", bmp(40000, 10))), IMGLIB_ERR_TOO_LARGE);
    EXPECT_EQ(ErrorOf(Variant("bmp24.bmp", "huge2.bmp", bmp(30000, 30000))), IMGLIB_ERR_TOO_LARGE);
    EXPECT_EQ(ErrorOf(Variant("bmp24.bmp", "huge3.bmp", bmp(10, uint32_t(-40000)))),
              IMGLIB_ERR_TOO_LARGE);
    auto jpeg = [](std::vector<uint8_t>& b) {
        PutBe(b, FrameHeader(b) + 5, 30000, 2), PutBe(b, FrameHeader(b) + 7, 30000, 2);
    };
    EXPECT_EQ(ErrorOf(Variant("jpg_444.jpg", "huge.jpg", jpeg)), IMGLIB_ERR_TOO_LARGE);
    auto png = [](std::vector<uint8_t>& b) { PutBe(b, 16, 100000, 4); };
    EXPECT_EQ(ErrorOf(Variant("png24.png", "huge.png", png)), IMGLIB_ERR_TOO_LARGE);
    // The GIF's screen is small but its first frame reaches far beyond it.
    auto gif = [](std::vector<uint8_t>& b) {
        size_t at = 13 + ((b[10] & 0x80) ? 3u << ((b[10] & 7) + 1) : 0);
        while (b[at] == 0x21) { // skip extensions
            at += 2;
            while (b[at])
                at += b[at] + 1;
            ++at;
        }
        ASSERT_EQ(b[at], 0x2C);
        b[at + 5] = b[at + 6] = b[at + 7] = b[at + 8] = 0xFF;
    };
    EXPECT_EQ(ErrorOf(Variant("gif.gif", "huge.gif", gif)), IMGLIB_ERR_TOO_LARGE);
}

// A chunk's length, type, data and CRC at the end of png.
void AppendChunk(std::vector<uint8_t>& png, const char* type, const std::vector<uint8_t>& data) {
    png.resize(png.size() + 4);
    PutBe(png, png.size() - 4, uint32_t(data.size()), 4);
    const size_t start = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), data.begin(), data.end());
    uint32_t crc = 0xFFFFFFFF;
    for (size_t i = start; i < png.size(); ++i)
        for (int bit = 0, byte = png[i]; bit < 8; ++bit, byte >>= 1)
            crc = crc >> 1 ^ ((crc ^ byte) & 1 ? 0xEDB88320 : 0);
    png.resize(png.size() + 4);
    PutBe(png, png.size() - 4, ~crc, 4);
}

// A 4-by-1 palette PNG of blues from opaque to clear (tRNS), its row of indices (filter 0 and
// 1 to 3 bytes) stored in one uncompressed zlib block.
std::string PalettePng(uint8_t bits, std::vector<uint8_t> row) {
    const uint8_t colors = bits == 1 ? 2 : 4, alphas[] = {255, 170, 85, 0};
    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}, palette;
    for (int i = 0; i < colors; ++i)
        palette.insert(palette.end(), {0, 0, 255});
    AppendChunk(png, "IHDR", {0, 0, 0, 4, 0, 0, 0, 1, bits, 3, 0, 0, 0});
    AppendChunk(png, "PLTE", palette);
    AppendChunk(png, "tRNS", {alphas, alphas + colors});
    uint32_t a = 1, b = 0; // Adler-32
    for (uint8_t byte : row)
        a += byte, b += a;
    std::vector<uint8_t> idat = {0x78, 0x01, 0x01, uint8_t(row.size()), 0, uint8_t(~row.size()),
                                 0xFF};
    idat.insert(idat.end(), row.begin(), row.end());
    idat.insert(idat.end(), {uint8_t(b >> 8), uint8_t(b), uint8_t(a >> 8), uint8_t(a)});
    AppendChunk(png, "IDAT", idat);
    AppendChunk(png, "IEND", {});
    const std::string path = kFolder + "palette" + std::to_string(bits) + ".png";
    WriteBytes(path, png);
    return path;
}

// A 2-by-1 BMP of 16 or 32 bits, its red, green and blue masks after a 40-byte header.
std::string BitfieldsBmp(uint8_t bits, std::array<uint32_t, 3> masks,
                         std::array<uint32_t, 2> pixels) {
    std::vector<uint8_t> b(66 + bits);
    b[0] = 'B', b[1] = 'M', b[10] = 66, b[14] = 40, b[18] = 2, b[22] = 1, b[26] = 1, b[28] = bits;
    b[30] = 3; // BI_BITFIELDS
    for (size_t i = 0; i < 3; ++i)
        PutLe32(b, 54 + 4 * i, masks[i]);
    for (size_t i = 0; i < 2 * bits / 8; ++i)
        b[66 + i] = uint8_t(pixels[i / (bits / 8)] >> (8 * (i % (bits / 8))));
    const std::string path = kFolder + "bitfields" + std::to_string(masks[0]) + ".bmp";
    WriteBytes(path, b);
    return path;
}

// Palette alpha at 1, 2 and 4 bits over white, and masks in unusual layouts, as browsers show
// them (5 and 6 bits widened alike by both ways browsers widen them).
TEST(DecodesLikeABrowser, PaletteTransparencyAndEveryBitfieldLayout) {
    const std::vector<uint8_t> blues = {0, 0, 255, 85, 85, 255, 170, 170, 255, 255, 255, 255};
    const std::vector<uint8_t> redAnd123456 = {255, 0, 0, 0x12, 0x34, 0x56};
    const std::pair<std::string, std::vector<uint8_t>> cases[] = {
        {PalettePng(1, {0, 0x50}), {0, 0, 255, 85, 85, 255, 0, 0, 255, 85, 85, 255}},
        {PalettePng(2, {0, 0x1B}), blues},
        {PalettePng(4, {0, 0x01, 0x23}), blues},
        {BitfieldsBmp(32, {0xFF000000, 0xFF0000, 0xFF00}, {0xFF000000, 0x12345600}), redAnd123456},
        {BitfieldsBmp(32, {0x3FF00000, 0xFFC00, 0x3FF}, {0x3FF00000, 0x04B34159}), redAnd123456},
        {BitfieldsBmp(16, {0x1F, 0x7E0, 0xF800}, {0x1F, 0xFC10}), {255, 0, 0, 132, 130, 255}},
    };
    for (const auto& [path, rgb] : cases) {
        Decoded decoded(path);
        EXPECT_EQ(decoded.bitmap ? ReadBitmap(decoded.bitmap).rgb : std::vector<uint8_t>(), rgb)
            << path << ": error " << decoded.error;
    }
}

// ---- PNG copies ----

// A PNG copy decodes to the very pixels of its source, transparent ones included, keeps the
// alpha of a transparent source (32-bit), and each decode tells the format that it found.
TEST(PngCopy, DecodesToTheSourcesPixels) {
    struct Case {
        const char* file;
        int32_t format;
        uint32_t copyBits;
    };
    for (Case c :
         {Case{"tga_1x1.tga", IMGLIB_FORMAT_TGA, 24}, Case{"tga16.tga", IMGLIB_FORMAT_TGA, 24},
          Case{"tga32_alpha.tga", IMGLIB_FORMAT_TGA, 32}, Case{"pcx8.pcx", IMGLIB_FORMAT_PCX, 24},
          Case{"pcd.pcd", IMGLIB_FORMAT_PHOTOCD, 24}, Case{"tif_16bit.tif", IMGLIB_FORMAT_TIFF, 24},
          Case{"png_alpha.png", IMGLIB_FORMAT_PNG, 32},
          Case{"gif_alpha.gif", IMGLIB_FORMAT_GIF, 32},
          Case{"bmp_empty_alpha.bmp", IMGLIB_FORMAT_BMP, 24}}) {
        SCOPED_TRACE(c.file);
        const std::string source = kFolder + c.file;
        const std::string png = source + ".copy.png";
        WriteBytes(png, {'o', 'l', 'd'}); // replaced
        Decoded original(source);
        ASSERT_NE(original.bitmap, nullptr) << original.error;
        EXPECT_EQ(GetLastImgLibFormat(), c.format);

        EXPECT_EQ(WritePngCopy(source.c_str(), png.c_str()), IMGLIB_OK);
        EXPECT_EQ(GetLastImgLibError(), IMGLIB_OK);
        Decoded copy(png);
        ASSERT_NE(copy.bitmap, nullptr) << copy.error;
        EXPECT_EQ(GetLastImgLibFormat(), IMGLIB_FORMAT_PNG);
        EXPECT_EQ(copy.aux, c.copyBits);
        const Pixels expected = ReadBitmap(original.bitmap), actual = ReadBitmap(copy.bitmap);
        EXPECT_EQ(actual.width, expected.width);
        EXPECT_EQ(actual.height, expected.height);
        EXPECT_TRUE(actual.rgb == expected.rgb);
    }
    EXPECT_EQ(ErrorOf(kFolder + "text.txt"), IMGLIB_ERR_UNSUPPORTED);
    EXPECT_EQ(GetLastImgLibFormat(), IMGLIB_FORMAT_NONE);
}

// The names of the files that match pattern.
std::vector<std::string> FilesLike(const std::string& pattern) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = ::FindFirstFileA(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        names.push_back(found.cFileName);
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
    return names;
}

// A copy that cannot be written says why in the system's words and leaves no file behind.
TEST(PngCopy, AFailureLeavesTheTargetAsItWasAndTellsTheSystemsCode) {
    const std::string source = kFolder + "tga24.tga";
    auto copy = [&](const std::string& png, int32_t code, DWORD systemError) {
        SCOPED_TRACE(png);
        EXPECT_EQ(WritePngCopy(source.c_str(), png.c_str()), code);
        EXPECT_EQ(::GetLastError(), systemError);
        EXPECT_EQ(GetLastImgLibError(), code);
    };
    const std::string readOnly = kFolder + "read-only.png";
    WriteBytes(readOnly, {'o', 'l', 'd'});
    ::SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
    copy(readOnly, IMGLIB_ERR_WRITE, ERROR_ACCESS_DENIED);
    EXPECT_EQ(ReadBytes(readOnly), (std::vector<uint8_t>{'o', 'l', 'd'}));
    ::SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);

    ::CreateDirectoryA((kFolder + "folder.png").c_str(), nullptr);
    copy(kFolder + "folder.png", IMGLIB_ERR_WRITE, ERROR_ACCESS_DENIED);
    copy(kFolder + "no such folder\\copy.png", IMGLIB_ERR_WRITE, ERROR_PATH_NOT_FOUND);
    const std::string missing = kFolder + "missing.tga";
    EXPECT_EQ(WritePngCopy(missing.c_str(), (kFolder + "never.png").c_str()),
              IMGLIB_ERR_FILE_NOT_FOUND);
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_TRUE(FilesLike(kFolder + "never.png*").empty());
    EXPECT_TRUE(FilesLike(kFolder + "*.tmp").empty());
}

// The threads of this process.
size_t ThreadCount() {
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    size_t count = 0;
    for (BOOL more = ::Thread32First(snapshot, &entry); more;
         more = ::Thread32Next(snapshot, &entry))
        count += entry.th32OwnerProcessID == ::GetCurrentProcessId();
    ::CloseHandle(snapshot);
    return count;
}

TEST(ImgLibErrors, APictureOfSeveralBandsDamagedPastItsFirstFailsAndEndsItsSecondThread) {
    // Its later strips damaged: the bands before them are being set on the setter's thread.
    auto damage = [](std::vector<uint8_t>& b) {
        for (size_t i = b.size() * 3 / 4; i < b.size() * 3 / 4 + 64; ++i)
            b[i] ^= 0x5A;
    };
    const std::string damaged = Variant("tif_lzw_bands.tif", "damaged_bands.tif", damage);
    EXPECT_EQ(ErrorOf(kFolder + "tif_lzw_bands.tif"), IMGLIB_OK);
    const size_t threads = ThreadCount();
    EXPECT_EQ(ErrorOf(damaged), IMGLIB_ERR_CORRUPT);
    EXPECT_EQ(ThreadCount(), threads);
}

TEST(ImgLibErrors, TheLastErrorBelongsToTheCallingThread) {
    EXPECT_EQ(ErrorOf(kFolder + "text.txt"), IMGLIB_ERR_UNSUPPORTED);
    std::thread([] {
        EXPECT_EQ(ErrorOf(kFolder + "missing.bmp"), IMGLIB_ERR_FILE_NOT_FOUND);
    }).join();
    EXPECT_EQ(GetLastImgLibError(), IMGLIB_ERR_UNSUPPORTED);
    EXPECT_EQ(ErrorOf(kFolder + "bmp24.bmp"), IMGLIB_OK);
    EXPECT_EQ(GetLastImgLibError(), IMGLIB_OK);
}

} // namespace

TEST(ImgLibWide, ReadsAndCopiesPicturesUnderNamesInAnyScript) {
    const std::wstring folder = L"testimages\\Фото 写真 📷";
    ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr) ||
                ::GetLastError() == ERROR_ALREADY_EXISTS);
    const std::wstring picture = folder + L"\\Grüße_写真.pcx";
    ASSERT_TRUE(::CopyFileW(L"testimages\\pcx8.pcx", picture.c_str(), FALSE));
    uint32_t aux = 0;
    HBITMAP bitmap = ReadFileIntoDDBW(picture.c_str(), &aux, 0);
    EXPECT_NE(bitmap, nullptr) << GetLastImgLibError();
    EXPECT_EQ(aux, 8u);
    if (bitmap) ::DeleteObject(bitmap);

    const std::wstring png = folder + L"\\Grüße_写真.png";
    EXPECT_EQ(WritePngCopyW(picture.c_str(), png.c_str()), IMGLIB_OK);
    bitmap = ReadFileIntoDDBW(png.c_str(), nullptr, 0);
    EXPECT_NE(bitmap, nullptr);
    EXPECT_EQ(GetLastImgLibFormat(), IMGLIB_FORMAT_PNG);
    if (bitmap) ::DeleteObject(bitmap);
    ::DeleteFileW(picture.c_str());
    ::DeleteFileW(png.c_str());
    ::RemoveDirectoryW(folder.c_str());
}

TEST(ImgLibWide, TheSingleByteFormTakesThePathInTheSystemCodePage) {
    // Windows-1252, the code page of the tests' prefix: E9 is "é".
    ASSERT_TRUE(::CopyFileW(L"testimages\\pcx8.pcx", L"testimages\\Café.pcx", FALSE));
    HBITMAP bitmap = ReadFileIntoDDB("testimages\\Caf\xE9.pcx", nullptr, 0);
    EXPECT_NE(bitmap, nullptr) << GetLastImgLibError();
    if (bitmap) ::DeleteObject(bitmap);
    ::DeleteFileW(L"testimages\\Café.pcx");
}
