// A bounded reader over bytes in memory: reads past the end yield zeros and set a sticky flag,
// so a decoder checks once after a group of reads instead of after each byte. Reads go on from
// the current position or, positional, from an offset given; numbers of more than one byte are
// read in the reader's byte order.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>

namespace imglib {

enum class ByteOrder { Little, Big };

class ByteReader {
public:
    explicit ByteReader(std::span<const uint8_t> data, ByteOrder order = ByteOrder::Little)
        : m_data(data), m_order(order) {}

    size_t Size() const { return m_data.size(); }
    size_t Position() const { return m_pos; }
    size_t Remaining() const { return m_data.size() - m_pos; }
    bool Overrun() const { return m_overrun; }

    // Moves to an absolute offset; past the end counts as an overrun.
    void Seek(size_t offset) {
        if (offset > m_data.size()) {
            m_overrun = true;
            offset = m_data.size();
        }
        m_pos = offset;
    }
    void Skip(size_t count) {
        if (count > Remaining()) {
            Seek(m_data.size());
            m_overrun = true;
        } else {
            m_pos += count;
        }
    }

    uint8_t U8() {
        const uint8_t value = U8At(m_pos);
        if (m_pos < m_data.size()) ++m_pos;
        return value;
    }
    uint16_t U16() {
        const uint16_t value = U16At(m_pos);
        Skip(2);
        return value;
    }

    // Positional reads: the position stays where it is.
    uint8_t U8At(size_t at) {
        if (at >= m_data.size()) {
            m_overrun = true;
            return 0;
        }
        return m_data[at];
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

    // The next count bytes, or an empty span (and an overrun) when fewer remain.
    std::span<const uint8_t> Bytes(size_t count) {
        if (count > Remaining()) {
            Skip(count);
            return {};
        }
        const auto bytes = m_data.subspan(m_pos, count);
        m_pos += count;
        return bytes;
    }

    // Everything not yet read, without consuming it.
    std::span<const uint8_t> Rest() const { return m_data.subspan(m_pos); }

private:
    std::span<const uint8_t> m_data;
    ByteOrder m_order;
    size_t m_pos = 0;
    bool m_overrun = false;
};

} // namespace imglib
