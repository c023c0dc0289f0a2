#include "WicPicture.h"

#include <new>

namespace imglib::win {
namespace {

// Why WIC failed: its own codes where they say it, else what the header declares.
int32_t WicFailure(HRESULT hr, const HeaderFacts& facts) {
    switch (hr) {
    case E_OUTOFMEMORY: return IMGLIB_ERR_NO_MEMORY;
    case WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT:
    case WINCODEC_ERR_UNSUPPORTEDVERSION:
    case WINCODEC_ERR_UNSUPPORTEDOPERATION:
    case WINCODEC_ERR_COMPONENTNOTFOUND: return IMGLIB_ERR_INCOMPATIBLE;
    default: return facts.uncommonVariant ? IMGLIB_ERR_INCOMPATIBLE : IMGLIB_ERR_CORRUPT;
    }
}

const GUID& ContainerOf(Format format) {
    switch (format) {
    case Format::Bmp: return GUID_ContainerFormatBmp;
    case Format::Jpeg: return GUID_ContainerFormatJpeg;
    case Format::Tiff: return GUID_ContainerFormatTiff;
    case Format::Png: return GUID_ContainerFormatPng;
    default: return GUID_ContainerFormatGif;
    }
}

PixelFormatFacts FactsOf(IWICImagingFactory* factory, const WICPixelFormatGUID& format) {
    PixelFormatFacts facts;
    ComPtr<IWICComponentInfo> info;
    ComPtr<IWICPixelFormatInfo2> pixelInfo;
    if (FAILED(factory->CreateComponentInfo(format, info.out())) ||
        FAILED(info->QueryInterface(IID_IWICPixelFormatInfo2,
                                    reinterpret_cast<void**>(pixelInfo.out())))) {
        return facts;
    }
    UINT bits = 0;
    BOOL transparency = FALSE;
    if (SUCCEEDED(pixelInfo->GetBitsPerPixel(&bits))) facts.bits = bits;
    if (SUCCEEDED(pixelInfo->SupportsTransparency(&transparency))) facts.alpha = transparency;
    return facts;
}

bool IsIndexed(const WICPixelFormatGUID& format) {
    return format == GUID_WICPixelFormat1bppIndexed || format == GUID_WICPixelFormat2bppIndexed ||
           format == GUID_WICPixelFormat4bppIndexed || format == GUID_WICPixelFormat8bppIndexed;
}

} // namespace

WicPicture::WicPicture(Format format, ImageFile& file)
    : m_format(format), m_file(file), m_facts(ReadFacts(format, file)), m_wic(Checker{this}) {
    // Some decoders expand the whole image as soon as they open it: check the header first.
    if (m_facts.sizeKnown && !WithinLimits(m_facts.width, m_facts.height)) {
        throw Failure{IMGLIB_ERR_TOO_LARGE};
    }
    Check(m_wic->CreateDecoder(ContainerOf(format), nullptr, m_decoder.out()));
    {
        IStream* stream = new FileStream(file);
        const HRESULT opened = m_decoder->Initialize(stream, WICDecodeMetadataCacheOnDemand);
        stream->Release(); // the decoder holds it as long as it needs it
        Check(opened);
    }
    Check(m_decoder->GetFrame(0, m_frame.out()));
    Check(m_frame->GetSize(&m_width, &m_height));
    if (m_width == 0 || m_height == 0) throw Failure{IMGLIB_ERR_CORRUPT};
    if (!WithinLimits(m_width, m_height)) throw Failure{IMGLIB_ERR_TOO_LARGE};
    Check(m_frame->GetPixelFormat(&m_pixelFormat));
    m_pixelFacts = FactsOf(m_wic.get(), m_pixelFormat);
}

HBITMAP WicPicture::IntoBitmap() {
    // The layouts that SetDIBits takes go in as they are.
    if (const std::optional<DibLayout> dib = DibOfFrame()) {
        return RowsIntoBitmap(m_frame.get(), *dib, Checker{this});
    }
    const DibLayout bgrx(m_width, m_height, 32);
    // A 2-bit palette's alpha is in its colours, which the pixel format does not tell.
    if (!HasAlpha()) {
        return RowsIntoBitmap(Converted(GUID_WICPixelFormat32bppBGR), bgrx, Checker{this});
    }
    IWICBitmapSource* bgra = Converted(GUID_WICPixelFormat32bppBGRA);
    bool anyAlpha = false;
    OwnedBitmap blended(
        RowsIntoBitmap(bgra, bgrx, Checker{this}, RowAlpha::BlendedOverWhite, &anyAlpha));
    if (anyAlpha || !EmptyAlphaIgnored()) return blended.release();
    return RowsIntoBitmap(bgra, bgrx, Checker{this});
}

Image WicPicture::IntoPixels() {
    Image image;
    image.width = m_width;
    image.height = m_height;
    image.sourceBitsPerPixel = SourceBits();
    try {
        image.bgra.resize(size_t{m_width} * m_height * 4);
    } catch (const std::bad_alloc&) {
        throw Failure{IMGLIB_ERR_NO_MEMORY};
    }
    Check(Converted(GUID_WICPixelFormat32bppBGRA)
              ->CopyPixels(nullptr, m_width * 4, static_cast<UINT>(image.bgra.size()),
                           image.bgra.data()));
    image.hasAlpha = HasAlpha() && !(EmptyAlphaIgnored() && AlphaIsEmpty(image.bgra));
    if (!image.hasAlpha) DropAlpha(image.bgra);
    return image;
}

HeaderFacts WicPicture::ReadFacts(Format format, ImageFile& file) {
    ByteReader header(
        [&](size_t offset, std::span<uint8_t> buffer) { return file.ReadAt(offset, buffer); },
        file.Size());
    const HeaderFacts facts = ReadHeaderFacts(format, header);
    file.ThrowIfReadFailed();
    return facts;
}

void WicPicture::Check(HRESULT hr) const {
    m_file.ThrowIfReadFailed();
    if (FAILED(hr)) throw Failure{WicFailure(hr, m_facts)};
}

bool WicPicture::HasAlpha() const {
    if (!IsIndexed(m_pixelFormat)) return m_pixelFacts.alpha;
    ComPtr<IWICPalette> palette;
    BOOL alpha = FALSE;
    Check(m_wic->CreatePalette(palette.out()));
    Check(m_frame->CopyPalette(palette.get()));
    Check(palette->HasAlpha(&alpha));
    return alpha;
}

std::optional<DibLayout> WicPicture::DibOfFrame() const {
    if (m_pixelFormat == GUID_WICPixelFormat24bppBGR) return DibLayout(m_width, m_height, 24);
    if (m_pixelFormat == GUID_WICPixelFormat32bppBGR) return DibLayout(m_width, m_height, 32);
    if (m_pixelFormat == GUID_WICPixelFormat8bppGray) {
        DibLayout dib(m_width, m_height, 8);
        for (int i = 0; i < 256; ++i) {
            const BYTE level = static_cast<BYTE>(i);
            dib.colors[i] = {level, level, level, 0};
        }
        return dib;
    }
    WORD bits = 0;
    if (m_pixelFormat == GUID_WICPixelFormat1bppIndexed) bits = 1;
    if (m_pixelFormat == GUID_WICPixelFormat4bppIndexed) bits = 4;
    if (m_pixelFormat == GUID_WICPixelFormat8bppIndexed) bits = 8;
    if (bits == 0) return std::nullopt;
    ComPtr<IWICPalette> palette;
    Check(m_wic->CreatePalette(palette.out()));
    Check(m_frame->CopyPalette(palette.get()));
    WICColor colors[256] = {};
    UINT count = 0;
    Check(palette->GetColors(1u << bits, colors, &count));
    DibLayout dib(m_width, m_height, bits);
    for (UINT i = 0; i < count; ++i) { // 0xAARRGGBB
        const WICColor color = colors[i];
        const auto alpha = static_cast<uint8_t>(color >> 24);
        dib.colors[i] = {OverWhite(static_cast<uint8_t>(color), alpha),
                         OverWhite(static_cast<uint8_t>(color >> 8), alpha),
                         OverWhite(static_cast<uint8_t>(color >> 16), alpha), 0};
    }
    return dib;
}

IWICBitmapSource* WicPicture::Converted(const WICPixelFormatGUID& pixelFormat) {
    if (m_pixelFormat == pixelFormat) return m_frame.get();
    if (!m_converter.get()) {
        Check(m_wic->CreateFormatConverter(m_converter.out()));
        Check(m_converter->Initialize(m_frame.get(), pixelFormat, WICBitmapDitherTypeNone, nullptr,
                                      0, WICBitmapPaletteTypeCustom));
    }
    WICPixelFormatGUID converted = {};
    Check(m_converter->GetPixelFormat(&converted));
    if (converted != pixelFormat) throw Failure{IMGLIB_ERR_INCOMPATIBLE};
    return m_converter.get();
}

} // namespace imglib::win
