// The picture's file as ImgLib reads it: positional reads that remember a failure, and a
// buffered read-only stream over it for WIC's decoders.
#pragma once
#include <cstdint>
#include <span>
#include <vector>

#include "WinSupport.h"

namespace imglib::win {

// Bigger files are refused before they are read: no image within the pixel limits needs more.
inline constexpr uint64_t kMaxFileBytes = 512ull * 1024 * 1024;

// The picture's file, open for reading while others may go on writing it, as an image editor
// that holds it open does. Reads are positional; a failed read is remembered with the system's
// code, so that the decode that it broke reports IMGLIB_ERR_READ, an error code, not a fault.
class ImageFile {
public:
    // Throws why the file cannot be read.
    explicit ImageFile(const wchar_t* path);
    ImageFile(const ImageFile&) = delete;
    ImageFile& operator=(const ImageFile&) = delete;
    ~ImageFile() {
        if (m_file != INVALID_HANDLE_VALUE) ::CloseHandle(m_file);
    }

    size_t Size() const { return m_size; }
    bool ReadFailed() const { return m_readError != ERROR_SUCCESS; }
    // Throws IMGLIB_ERR_READ after a failed read.
    void ThrowIfReadFailed() const {
        if (ReadFailed()) throw Failure{IMGLIB_ERR_READ, m_readError};
    }

    // Reads into buffer from offset on; returns how many bytes arrived, fewer at the end.
    size_t ReadAt(uint64_t offset, std::span<uint8_t> buffer);

    // The first bytes, or all of a small file.
    std::vector<uint8_t> Head();
    // The whole file, for our own decoders.
    std::vector<uint8_t> ReadAll() { return Read(m_size); }

private:
    std::vector<uint8_t> Read(size_t count);

    HANDLE m_file;
    size_t m_size = 0;
    uint64_t m_pointer = 0; // the file's own position
    DWORD m_readError = ERROR_SUCCESS;
};

// A read-only stream over the image file for WIC, at a position of its own.
class FileStream final : public StreamBase {
public:
    explicit FileStream(ImageFile& file);

    // Small reads, of which some decoders make very many, come from a buffer.
    HRESULT STDMETHODCALLTYPE Read(void* buffer, ULONG count, ULONG* read) override;
    HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER move, DWORD origin,
                                   ULARGE_INTEGER* position) override;
    HRESULT STDMETHODCALLTYPE Stat(STATSTG* stat, DWORD) override;

private:
    ~FileStream() override = default;

    ImageFile& m_file; // borrowed: the decoder that holds the stream goes first
    uint64_t m_position = 0;
    std::vector<uint8_t> m_buffer;
    uint64_t m_bufferStart = 0;
    size_t m_buffered = 0;
};

} // namespace imglib::win
