// Decode throughput of the portable decoders on large files, beside ImageMagick's decode of the
// same files measured in the same run. Not a test: build it optimised and run it by hand, e.g.
//   cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release -DTW_BUILD_TESTS=OFF
//   cmake --build build/bench --target decode_native && build/bench/bin/decode_native
#include "imglib/Decoders.h"
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#if defined(__GLIBC__)
#include <malloc.h>
#endif
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 6000, kHeight = 4000;

struct Case {
    const char* label;
    const char* file;
    const char* options; // convert options that make the file from the pattern
    imglib::DecodeResult (*decode)(std::span<const uint8_t>);
    int runs;
};

std::vector<uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool Run(const std::string& command) {
    return std::system(command.c_str()) == 0;
}

// Median seconds of one decode by our decoder.
double TimeOwn(const Case& c, const std::vector<uint8_t>& bytes, double& megapixels) {
    std::vector<double> seconds;
    for (int i = 0; i < c.runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        const imglib::DecodeResult r = c.decode(bytes);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        if (!r) {
            std::fprintf(stderr, "%s: decode failed: %s\n", c.label, r.reason);
            return 0;
        }
        megapixels = double(r.image.width) * r.image.height / 1e6;
        seconds.push_back(took.count());
    }
    std::sort(seconds.begin(), seconds.end());
    return seconds[seconds.size() / 2];
}

// ImageMagick's own timing of reading the file (and discarding it) in one thread, in process:
// "convert -bench N file null:" repeats the command and reports iterations per second.
double TimeReference(const std::string& path, int runs) {
    const std::string command =
        "convert -limit thread 1 -bench " + std::to_string(runs) + " '" + path + "' null: 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return 0;
    char line[256];
    double best = 0;
    while (std::fgets(line, sizeof line, pipe)) {
        int threads = 0, iterations = 0;
        double perSecond = 0;
        if (std::sscanf(line, " Performance[%d]: %di %lfips", &threads, &iterations, &perSecond) ==
            3)
            best = std::max(best, perSecond);
    }
    pclose(pipe);
    return best > 0 ? 1 / best : 0;
}

} // namespace

int main() {
#ifndef NDEBUG
    std::printf(
        "warning: built without NDEBUG; build with -DCMAKE_BUILD_TYPE=Release for real figures\n");
#endif
    if (!Run("convert -version >/dev/null 2>&1")) {
        std::fprintf(stderr, "ImageMagick's convert is needed to make the files and to compare\n");
        return 1;
    }
#if defined(__GLIBC__)
    // Keep freed blocks of any size in the heap, so that repeated decodes reuse memory instead of
    // paying the system's page faults each time (costly in some sandboxes).
    mallopt(M_MMAP_THRESHOLD, 1 << 30);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
#endif
    const auto dir = std::filesystem::temp_directory_path() / "tw-decode-bench";
    std::filesystem::create_directories(dir);
    const std::string pattern = (dir / "pattern.miff").string();
    const std::string size = std::to_string(kWidth) + "x" + std::to_string(kHeight);
    std::printf("making a %s test picture with convert...\n", size.c_str());
    // A smooth gradient with shapes and mild noise: runs for RLE, yet not one flat colour.
    if (!Run("convert -size " + size + " gradient:'#F03010-#1040E0' -fill '#20C040' " +
             "-draw 'rectangle 500,400 3000,2000' -fill white -draw 'circle 4500,3000 4500,3800' " +
             "-seed 1 -attenuate 0.15 +noise Uniform '" + pattern + "'"))
        return 1;

    const Case cases[] = {
        {"TGA 24-bit", "big.tga", "", imglib::DecodeTga, 5},
        {"TGA 24-bit RLE", "big-rle.tga", "-compress RLE", imglib::DecodeTga, 5},
        {"TGA 8-bit grey", "grey.tga", "-type Grayscale", imglib::DecodeTga, 5},
        {"PCX 24-bit RLE", "big.pcx", "-type TrueColor", imglib::DecodePcx, 5},
        {"PCX 8-bit palette", "big8.pcx", "+dither -colors 256", imglib::DecodePcx, 5},
        {"Photo CD Base", "base.pcd", "-resize 768x512!", imglib::DecodePhotoCd, 41},
    };
    std::printf("\n%-18s %8s %10s %10s %8s\n", "file", "MPixels", "ours MP/s", "IM MP/s", "ratio");
    for (const Case& c : cases) {
        const std::string path = (dir / c.file).string();
        if (!Run("convert '" + pattern + "' " + c.options + " '" + path + "'")) return 1;
        const auto bytes = ReadFile(path);
        double megapixels = 0;
        const double own = TimeOwn(c, bytes, megapixels);
        const double reference = TimeReference(path, c.runs);
        if (own <= 0 || reference <= 0) return 1;
        std::printf("%-18s %8.2f %10.1f %10.1f %7.1fx\n", c.label, megapixels, megapixels / own,
                    megapixels / reference, reference / own);
    }
    std::printf(
        "\nours: median of N in-memory decodes to BGRA, file already read, freed memory\n"
        "reused from run to run.\n"
        "IM: convert -limit thread 1 -bench N FILE null: (in-process read of the file into its\n"
        "Q16 pixel cache, best iterations per second, no process start-up).\n");
    std::filesystem::remove_all(dir);
    return 0;
}
