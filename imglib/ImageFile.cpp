#include "ImageFile.h"

#include <algorithm>
#include <new>

namespace imglib::win {
namespace {
// The start of the file that tells a format that WIC decodes from the rest.
constexpr size_t kHeadBytes = 4096;
// What WIC's stream reads ahead for the decoders' small reads.
constexpr size_t kStreamBuffer = 64u << 10;
// The most one ReadFile call is asked for.
constexpr DWORD kReadChunk = 16u << 20;
} // namespace

// ---- ImageFile ----

ImageFile::ImageFile(const wchar_t* path)
    : m_file(::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr)) {
    if (m_file == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        const bool missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
                             error == ERROR_INVALID_NAME || error == ERROR_BAD_NETPATH;
        throw Failure{missing ? IMGLIB_ERR_FILE_NOT_FOUND : IMGLIB_ERR_READ, error};
    }
    LARGE_INTEGER size;
    const bool sized = ::GetFileSizeEx(m_file, &size);
    const DWORD error = ::GetLastError();
    if (!sized || static_cast<uint64_t>(size.QuadPart) > kMaxFileBytes) {
        ::CloseHandle(m_file); // no destructor runs for a constructor that throws
        throw sized ? Failure{IMGLIB_ERR_TOO_LARGE} : Failure{IMGLIB_ERR_READ, error};
    }
    m_size = static_cast<size_t>(size.QuadPart);
}

size_t ImageFile::ReadAt(uint64_t offset, std::span<uint8_t> buffer) {
    // Seeking first: a read with an offset of its own is many times slower under Wine.
    if (offset != m_pointer) {
        LARGE_INTEGER to;
        to.QuadPart = static_cast<LONGLONG>(offset);
        if (!::SetFilePointerEx(m_file, to, nullptr, FILE_BEGIN)) {
            m_readError = ::GetLastError();
            return 0;
        }
        m_pointer = offset;
    }
    size_t done = 0;
    while (done < buffer.size()) {
        const DWORD want = static_cast<DWORD>(std::min<size_t>(kReadChunk, buffer.size() - done));
        DWORD got = 0;
        if (!::ReadFile(m_file, buffer.data() + done, want, &got, nullptr)) {
            m_readError = ::GetLastError();
            break;
        }
        if (got == 0) break; // the file shrank meanwhile: what is there is decoded
        done += got;
        m_pointer += got;
    }
    return done;
}

std::vector<uint8_t> ImageFile::Head() {
    return Read(std::min(m_size, kHeadBytes));
}

std::vector<uint8_t> ImageFile::Read(size_t count) {
    std::vector<uint8_t> bytes;
    try {
        bytes.resize(count);
    } catch (const std::bad_alloc&) {
        throw Failure{IMGLIB_ERR_NO_MEMORY};
    }
    bytes.resize(ReadAt(0, bytes));
    ThrowIfReadFailed();
    return bytes;
}

// ---- FileStream ----

FileStream::FileStream(ImageFile& file) : m_file(file), m_buffer(kStreamBuffer) {}

HRESULT STDMETHODCALLTYPE FileStream::Read(void* buffer, ULONG count, ULONG* read) {
    auto* to = static_cast<uint8_t*>(buffer);
    size_t done = 0;
    while (done < count) {
        if (m_position >= m_bufferStart && m_position < m_bufferStart + m_buffered) {
            const size_t at = static_cast<size_t>(m_position - m_bufferStart);
            const size_t n = std::min<size_t>(m_buffered - at, count - done);
            std::copy_n(m_buffer.data() + at, n, to + done);
            done += n;
            m_position += n;
            continue;
        }
        const size_t wanted = count - done;
        const bool direct = wanted >= m_buffer.size();
        const size_t got = direct ? m_file.ReadAt(m_position, {to + done, wanted})
                                  : m_file.ReadAt(m_position, m_buffer);
        if (direct) {
            done += got;
            m_position += got;
        } else {
            m_bufferStart = m_position;
            m_buffered = got;
        }
        if (got == 0 || (direct && got < wanted)) break;
    }
    if (read) *read = static_cast<ULONG>(done);
    if (m_file.ReadFailed()) return STG_E_READFAULT;
    return done == count ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE FileStream::Seek(LARGE_INTEGER move, DWORD origin,
                                           ULARGE_INTEGER* position) {
    const int64_t to = SeekTarget(move, origin, m_position, m_file.Size());
    if (to < 0) return STG_E_INVALIDFUNCTION;
    m_position = static_cast<uint64_t>(to);
    if (position) position->QuadPart = m_position;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FileStream::Stat(STATSTG* stat, DWORD) {
    return StatOf(stat, m_file.Size(), STGM_READ);
}

} // namespace imglib::win
