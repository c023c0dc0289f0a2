// Test helpers: image files made by ImageMagick's convert in a private temporary folder, and
// comparison of a decoded image with convert's own decode of the same file.
#pragma once
#include "imglib/Decoders.h"
#include <gtest/gtest.h>
#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace testimg {

inline bool HaveConvert() {
    return std::system("convert -version >/dev/null 2>&1") == 0;
}

#define SKIP_WITHOUT_CONVERT()                                                                     \
    if (!testimg::HaveConvert()) GTEST_SKIP() << "ImageMagick's convert is not installed"

// A fresh folder, removed with everything in it at the end of the test.
class TempDir {
public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "twimgXXXXXX").string();
        if (mkdtemp(pattern.data())) m_path = pattern;
    }
    ~TempDir() {
        std::error_code ignored;
        if (!m_path.empty()) std::filesystem::remove_all(m_path, ignored);
    }
    std::string operator/(const std::string& name) const { return (m_path / name).string(); }

private:
    std::filesystem::path m_path;
};

inline std::vector<uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

// Runs convert with the given arguments; fails the test when it fails.
inline void Convert(const std::string& args) {
    const std::string command = "convert " + args + " 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

// The test pattern: a gradient with a few shapes, deterministic and asymmetric.
inline void MakePattern(const std::string& path, int width, int height,
                        const std::string& extra = "") {
    Convert("-size " + std::to_string(width) + "x" + std::to_string(height) +
            " gradient:'#F03010-#1040E0' -fill '#20C040' -draw 'rectangle 3,2 " +
            std::to_string(width / 2) + "," + std::to_string(height / 3) +
            "' -fill white -draw 'circle " + std::to_string(width * 3 / 4) + "," +
            std::to_string(height * 2 / 3) + " " + std::to_string(width * 3 / 4 + 3) + "," +
            std::to_string(height * 2 / 3) + "' " + extra + " '" + path + "'");
}

// convert's own decode of the file, as 8-bit RGB rows top to bottom.
inline std::vector<uint8_t> ReferenceRgb(const std::string& path, const std::string& extra = "") {
    const std::string raw = path + ".raw";
    Convert("'" + path + "' " + extra + " -depth 8 'rgb:" + raw + "'");
    return ReadFile(raw);
}

struct Difference {
    int largest = 256; // of one channel; 256 when the sizes differ or a stray alpha is not opaque
    double mean = 256;
};

// How far the decoded image is from the RGB reference, channel by channel.
inline Difference Compare(const imglib::Image& image, const std::vector<uint8_t>& rgb) {
    Difference d;
    if (rgb.size() != size_t{image.width} * image.height * 3 || rgb.empty()) return d;
    d.largest = 0;
    uint64_t sum = 0;
    for (size_t i = 0, n = rgb.size() / 3; i < n; ++i) {
        const uint8_t* p = &image.bgra[i * 4];
        if (!image.hasAlpha && p[3] != 0xFF) return {};
        for (int c = 0; c < 3; ++c) {
            const int delta = std::abs(p[2 - c] - rgb[i * 3 + c]);
            d.largest = std::max(d.largest, delta);
            sum += delta;
        }
    }
    d.mean = double(sum) / double(rgb.size());
    return d;
}

// Decodes a file written by convert and compares it exactly with convert's decode of that
// file, after the given convert options.
template <typename Decode>
void ExpectMatchesReference(Decode decode, const std::string& path, const std::string& extra = "") {
    const auto bytes = ReadFile(path);
    const imglib::DecodeResult result = decode(bytes);
    ASSERT_TRUE(result) << path << ": " << result.reason;
    EXPECT_EQ(Compare(result.image, ReferenceRgb(path, extra)).largest, 0) << path;
}

} // namespace testimg
