// A bounded reader over bytes in memory: reads past the end yield zeros and set a sticky flag,
// so a decoder checks once after a group of reads instead of after each byte.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>

namespace imglib {

class ByteReader {
public:
    explicit ByteReader(std::span<const uint8_t> data) : m_data(data) {}

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
        if (m_pos >= m_data.size()) {
            m_overrun = true;
            return 0;
        }
        return m_data[m_pos++];
    }
    uint16_t U16() {
        const uint16_t low = U8();
        return static_cast<uint16_t>(low | (U8() << 8));
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
    size_t m_pos = 0;
    bool m_overrun = false;
};

} // namespace imglib
