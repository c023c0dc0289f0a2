#include "ByteFile.h"

#include <cstring>
#include <stdexcept>

uint32_t MemoryFile::Read(void* buffer, uint32_t count) {
    if (m_position >= m_bytes.size()) return 0;
    uint64_t available = m_bytes.size() - m_position;
    uint32_t taken = count < available ? count : static_cast<uint32_t>(available);
    std::memcpy(buffer, m_bytes.data() + m_position, taken);
    m_position += taken;
    return taken;
}

void MemoryFile::Write(const void* data, uint32_t count) {
    if (m_position + count > m_bytes.size()) m_bytes.resize(m_position + count);
    std::memcpy(m_bytes.data() + m_position, data, count);
    m_position += count;
}

uint64_t MemoryFile::Seek(int64_t offset, uint32_t origin) {
    int64_t base = origin == begin     ? 0
                   : origin == current ? static_cast<int64_t>(m_position)
                                       : static_cast<int64_t>(m_bytes.size());
    if (offset < 0 && -offset > base) throw std::out_of_range("seek before the start");
    m_position = static_cast<uint64_t>(base + offset);
    return m_position;
}
