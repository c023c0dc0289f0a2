// The recogniser and the header readers of ImgLib.dll, which run on every file before any
// decoder: every format's reader on every input, whatever the recogniser says, reading from
// memory and, with the same result, from a source read a few bytes at a time as a file is.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "imglib/Sniff.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> bytes(data, size);
    imglib::Recognise(bytes);
    const imglib::ByteSource source = [&](size_t offset, std::span<uint8_t> buffer) {
        const size_t count = offset < size ? std::min(buffer.size(), size - offset) : 0;
        if (count) std::memcpy(buffer.data(), data + offset, count);
        return count;
    };
    for (imglib::Format format : {imglib::Format::Bmp, imglib::Format::Jpeg, imglib::Format::Tiff,
                                  imglib::Format::Png, imglib::Format::Gif}) {
        imglib::ByteReader inMemory(bytes);
        imglib::ByteReader windowed(source, size, 7);
        if (imglib::ReadHeaderFacts(format, inMemory) != imglib::ReadHeaderFacts(format, windowed))
            std::abort();
    }
    return 0;
}
