// The few file operations the scheme codec needs: the scheme commands adapt the framework's CFile
// to them, and MemoryFile serves tests and the fuzzer. Portable: standard library only.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

class ByteFile {
public:
    enum SeekOrigin : uint32_t { begin = 0, current = 1, end = 2 };

    virtual ~ByteFile() = default;
    // Reads up to count bytes; returns how many arrived, 0 at the end. A short read is no error.
    virtual uint32_t Read(void* buffer, uint32_t count) = 0;
    // Writes all count bytes or throws.
    virtual void Write(const void* data, uint32_t count) = 0;
    // Moves to offset from origin; returns the new position.
    virtual uint64_t Seek(int64_t offset, uint32_t origin) = 0;
};

// A file held in memory. Seeking past the end is allowed; a later write fills the gap with zeros.
class MemoryFile : public ByteFile {
public:
    MemoryFile() = default;
    explicit MemoryFile(std::vector<uint8_t> bytes) : m_bytes(std::move(bytes)) {}
    MemoryFile(const uint8_t* data, std::size_t size) : m_bytes(data, data + size) {}

    uint32_t Read(void* buffer, uint32_t count) override;
    void Write(const void* data, uint32_t count) override;
    uint64_t Seek(int64_t offset, uint32_t origin) override;

    const std::vector<uint8_t>& Bytes() const { return m_bytes; }

private:
    std::vector<uint8_t> m_bytes;
    uint64_t m_position = 0;
};
