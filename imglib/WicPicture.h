// The first frame of a picture that WIC decodes, through a decoder fed from the open file, into
// a screen bitmap or into pixels for a PNG copy.
#pragma once
#include <optional>

#include "Decoders.h"
#include "ImageFile.h"
#include "ScreenBitmap.h"
#include "Sniff.h"
#include "WinSupport.h"

namespace imglib::win {

// What WIC says of a pixel format: its bits per pixel (0 when it cannot say; aux is
// informative only) and whether it carries alpha.
struct PixelFormatFacts {
    uint32_t bits = 0;
    bool alpha = false;
};

class WicPicture {
    // Check, for the helpers that take a callable.
    struct Checker {
        const WicPicture* picture;
        void operator()(HRESULT hr) const { picture->Check(hr); }
    };

public:
    WicPicture(Format format, ImageFile& file);

    // The source's bits per pixel. The decoder may present packed or run-length pixels
    // expanded; the header knows better.
    uint32_t SourceBits() const {
        return m_facts.bitsPerPixel ? m_facts.bitsPerPixel : m_pixelFacts.bits;
    }

    // A bitmap compatible with the screen, transparent pixels blended over white.
    HBITMAP IntoBitmap();
    // The pixels, with alpha where the source has it.
    Image IntoPixels();

private:
    static HeaderFacts ReadFacts(Format format, ImageFile& file);
    void Check(HRESULT hr) const;
    // Browsers show a BMP whose alpha is 0 throughout as opaque.
    bool EmptyAlphaIgnored() const { return m_format == Format::Bmp; }
    bool HasAlpha() const;
    // The frame's layout when SetDIBits takes its rows as they are: BGR, BGRX, grey, and 1, 4 or
    // 8 bits with the frame's palette, its colours blended over white by their alpha.
    std::optional<DibLayout> DibOfFrame() const;
    // The frame's pixels in pixelFormat, through WIC's converter; one converter for the picture,
    // as it is asked for one format only.
    IWICBitmapSource* Converted(const WICPixelFormatGUID& pixelFormat);

    Format m_format;
    ImageFile& m_file; // borrowed: outlives the picture
    HeaderFacts m_facts;
    Wic m_wic; // COM lasts until the interfaces below are released
    ComPtr<IWICBitmapDecoder> m_decoder;
    ComPtr<IWICBitmapFrameDecode> m_frame;
    ComPtr<IWICFormatConverter> m_converter;
    UINT m_width = 0, m_height = 0;
    WICPixelFormatGUID m_pixelFormat = {};
    PixelFormatFacts m_pixelFacts;
};

} // namespace imglib::win
