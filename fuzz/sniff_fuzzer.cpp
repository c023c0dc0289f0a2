// The recogniser and the header readers of ImgLib.dll, which run on every file before any
// decoder: every format's reader on every input, whatever the recogniser says.
#include "imglib/Sniff.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> bytes(data, size);
    imglib::Recognise(bytes);
    for (imglib::Format format : {imglib::Format::Bmp, imglib::Format::Jpeg, imglib::Format::Tiff,
                                  imglib::Format::Png, imglib::Format::Gif}) {
        imglib::ReadHeaderFacts(format, bytes);
    }
    return 0;
}
