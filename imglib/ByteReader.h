// A bounded reader: reads past the end yield zeros and set a sticky flag, so a decoder checks
// once after a group of reads instead of after each byte. Reads go on from the current position
// or, positional, from an offset given; numbers of more than one byte are read in the reader's
// byte order. The bytes are in memory, or in a source (a file) of which a window is read as
// the reads need it.
#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace imglib {

enum class ByteOrder { Little, Big };

// Fills buffer with the source's bytes from offset on; returns how many arrived, fewer at the
// source's end or after a read error.
using ByteSource = std::function<size_t(size_t offset, std::span<uint8_t> buffer)>;

class ByteReader {
public:
    static constexpr size_t kDefaultWindow = 64 * 1024;

    explicit ByteReader(std::span<const uint8_t> data, ByteOrder order = ByteOrder::Little)
        : m_window(data), m_size(data.size()), m_order(order) {}
    // Over the size bytes of source, window bytes of it in memory at a time.
    ByteReader(ByteSource source, size_t size, size_t window = kDefaultWindow)
        : m_size(size), m_source(std::move(source)), m_buffer(window ? window : 1) {}

    size_t Size() const { return m_size; }
    bool Overrun() const { return m_overrun; }
    void SetByteOrder(ByteOrder order) { m_order = order; }

    // Moves to an absolute offset; past the end counts as an overrun.
    void Seek(size_t offset) {
        if (offset > m_size) {
            m_overrun = true;
            offset = m_size;
        }
        m_pos = offset;
    }
    void Skip(size_t count) { Seek(count > m_size - m_pos ? m_size + 1 : m_pos + count); }

    uint8_t U8() {
        const uint8_t value = U8At(m_pos);
        Skip(1);
        return value;
    }
    uint16_t U16() {
        const uint16_t value = U16At(m_pos);
        Skip(2);
        return value;
    }

    // Positional reads: the position stays where it is.
    uint8_t U8At(size_t at) {
        if (at - m_base < m_window.size() || (at < m_size && Fetch(at)))
            return m_window[at - m_base];
        m_overrun = true;
        return 0;
    }
    uint16_t U16At(size_t at) {
        const uint16_t first = U8At(at), second = U8At(at + 1);
        return static_cast<uint16_t>(m_order == ByteOrder::Big ? first << 8 | second
                                                               : second << 8 | first);
    }
    uint32_t U32At(size_t at) {
        const uint32_t first = U16At(at), second = U16At(at + 2);
        return m_order == ByteOrder::Big ? first << 16 | second : second << 16 | first;
    }

private:
    // Reads the window that holds offset at from the source; false when it could not.
    bool Fetch(size_t at) {
        if (!m_source) return false;
        m_base = at - at % m_buffer.size();
        const size_t got = m_source(m_base, m_buffer);
        m_window = std::span<const uint8_t>(m_buffer.data(), std::min(got, m_buffer.size()));
        return at - m_base < m_window.size();
    }

    std::span<const uint8_t> m_window; // the bytes from m_base on that are in memory
    size_t m_base = 0;
    size_t m_size;
    ByteOrder m_order = ByteOrder::Little;
    ByteSource m_source;
    std::vector<uint8_t> m_buffer;
    size_t m_pos = 0;
    bool m_overrun = false;
};

} // namespace imglib
