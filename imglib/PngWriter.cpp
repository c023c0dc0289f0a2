#include "PngWriter.h"

#include <algorithm>
#include <iterator>
#include <new>
#include <vector>

#include "WinSupport.h"
#include "shared/FileBeside.h"

namespace imglib::win {
namespace {

[[noreturn]] void ThrowWriteFailure(DWORD systemError) {
    throw Failure{IMGLIB_ERR_WRITE, systemError};
}

// A write-only stream over the new file for WIC's encoder; it remembers the system's code of
// the first write that failed.
class OutputStream final : public StreamBase {
public:
    explicit OutputStream(HANDLE file) : m_file(file) {}

    DWORD SystemError() const { return m_error; }

    HRESULT STDMETHODCALLTYPE Write(const void* data, ULONG count, ULONG* written) override {
        DWORD done = 0;
        if (!::WriteFile(m_file, data, count, &done, nullptr)) return Fail(::GetLastError());
        if (written) *written = done;
        if (done < count) return Fail(ERROR_DISK_FULL);
        m_position += done;
        m_size = std::max(m_size, m_position);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER move, DWORD origin,
                                   ULARGE_INTEGER* position) override {
        const int64_t to = SeekTarget(move, origin, m_position, m_size);
        if (to < 0) return STG_E_INVALIDFUNCTION;
        LARGE_INTEGER distance;
        distance.QuadPart = to;
        if (!::SetFilePointerEx(m_file, distance, nullptr, FILE_BEGIN)) {
            return Fail(::GetLastError());
        }
        m_position = static_cast<uint64_t>(to);
        if (position) position->QuadPart = m_position;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Stat(STATSTG* stat, DWORD) override {
        return StatOf(stat, m_size, STGM_WRITE);
    }

private:
    ~OutputStream() override = default;

    HRESULT Fail(DWORD error) {
        if (m_error == ERROR_SUCCESS) m_error = error;
        return error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL ? STG_E_MEDIUMFULL
                                                                           : STG_E_WRITEFAULT;
    }

    HANDLE m_file; // borrowed: the new file outlives the encoder
    uint64_t m_position = 0;
    uint64_t m_size = 0;
    DWORD m_error = ERROR_SUCCESS;
};

// The image through WIC's PNG encoder into stream: 32-bit BGRA with alpha, else 24-bit BGR.
void EncodePng(const Image& image, OutputStream& stream) {
    auto check = [&](HRESULT hr) {
        if (stream.SystemError() != ERROR_SUCCESS) ThrowWriteFailure(stream.SystemError());
        if (hr == E_OUTOFMEMORY) throw Failure{IMGLIB_ERR_NO_MEMORY};
        if (FAILED(hr)) {
            ThrowWriteFailure(HRESULT_FACILITY(hr) == FACILITY_WIN32 ? HRESULT_CODE(hr)
                                                                     : ERROR_SUCCESS);
        }
    };
    Wic wic(check);
    ComPtr<IWICBitmapEncoder> encoder;
    ComPtr<IWICBitmapFrameEncode> frame;
    ComPtr<IPropertyBag2> options;
    check(wic->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.out()));
    check(encoder->Initialize(&stream, WICBitmapEncoderNoCache));
    check(encoder->CreateNewFrame(frame.out(), options.out()));
    check(frame->Initialize(options.get()));
    check(frame->SetSize(image.width, image.height));
    const WICPixelFormatGUID wanted =
        image.hasAlpha ? GUID_WICPixelFormat32bppBGRA : GUID_WICPixelFormat24bppBGR;
    WICPixelFormatGUID pixelFormat = wanted;
    check(frame->SetPixelFormat(&pixelFormat));
    if (pixelFormat != wanted) ThrowWriteFailure(ERROR_SUCCESS); // an encoder without either

    const size_t pixelBytes = image.hasAlpha ? 4 : 3;
    const size_t stride = size_t{image.width} * pixelBytes;
    const UINT bandRows =
        static_cast<UINT>(std::clamp<size_t>(kBandBytes / stride, 1, image.height));
    std::vector<uint8_t> band;
    try {
        if (!image.hasAlpha) band.resize(stride * bandRows);
    } catch (const std::bad_alloc&) {
        throw Failure{IMGLIB_ERR_NO_MEMORY};
    }
    for (UINT top = 0; top < image.height; top += bandRows) {
        const UINT rows = std::min(bandRows, image.height - top);
        const uint8_t* bgra = image.bgra.data() + size_t{top} * image.width * 4;
        const uint8_t* pixels = bgra;
        if (!image.hasAlpha) {
            for (size_t i = 0, n = size_t{rows} * image.width; i < n; ++i)
                std::copy_n(bgra + 4 * i, 3, band.data() + 3 * i);
            pixels = band.data();
        }
        check(frame->WritePixels(rows, static_cast<UINT>(stride), static_cast<UINT>(stride * rows),
                                 const_cast<BYTE*>(pixels)));
    }
    check(frame->Commit());
    check(encoder->Commit());
}

} // namespace

PngFile::PngFile(const wchar_t* path) {
    wchar_t full[MAX_PATH * 2];
    const DWORD length = ::GetFullPathNameW(path, std::size(full), full, nullptr);
    if (length == 0 || length >= std::size(full)) ThrowWriteFailure(ERROR_FILENAME_EXCED_RANGE);
    m_path.assign(full, length);
    // Windows refuses to replace a read-only file or a folder; Wine running as root would not.
    const DWORD attributes = ::GetFileAttributesW(m_path.c_str());
    const bool folder =
        attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    if (folder || IsReadOnlyFile(m_path.c_str())) ThrowWriteFailure(ERROR_ACCESS_DENIED);
}

void PngFile::Write(const Image& image) const {
    // No fallback to writing the target in place: a half-written PNG must never stand.
    NewFileBeside file(m_path);
    if (!file.IsOpen()) ThrowWriteFailure(file.Error());
    {
        // The encoder and the stream are gone before the file is closed.
        const ComPtr<OutputStream> stream(new OutputStream(file.Handle()));
        EncodePng(image, *stream.get());
    }
    if (const DWORD error = file.ReplaceTarget()) ThrowWriteFailure(error);
}

} // namespace imglib::win
