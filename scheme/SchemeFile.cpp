#include "SchemeFile.h"

#include <cstring>

namespace {
void EncodeComponents(const int32_t* components, uint8_t* bytes) {
    for (int i = 0; i < kComponentCount; ++i) {
        uint32_t value = static_cast<uint32_t>(components[i]);
        for (int b = 0; b < 4; ++b)
            bytes[4 * i + b] = static_cast<uint8_t>(value >> (8 * b));
    }
}

void DecodeComponents(const uint8_t* bytes, int32_t* components) {
    for (int i = 0; i < kComponentCount; ++i) {
        uint32_t value = 0;
        for (int b = 0; b < 4; ++b)
            value |= static_cast<uint32_t>(bytes[4 * i + b]) << (8 * b);
        components[i] = static_cast<int32_t>(value);
    }
}

void WriteCounted(ByteFile& file, const std::string& text) {
    // The length and the characters as one piece.
    uint8_t piece[1 + kSchemeMaxStringLength];
    piece[0] = static_cast<uint8_t>(text.size());
    std::memcpy(piece + 1, text.data(), text.size());
    file.Write(piece, static_cast<uint32_t>(1 + text.size()));
}

// Exactly length characters, up to the first zero byte; false when the file ends before them.
bool ReadChars(ByteFile& file, uint8_t length, std::string& text) {
    char chars[kSchemeMaxStringLength + 1] = {};
    if (file.Read(chars, length) != length) return false;
    text = chars;
    return true;
}
} // namespace

bool IsUtf8SchemeField(std::string_view field) {
    return field.substr(0, sizeof kSchemeUtf8Marker) ==
           std::string_view(kSchemeUtf8Marker, sizeof kSchemeUtf8Marker);
}

std::string EncodeSchemeField(std::string_view utf8, const ToCodePage& toCodePage) {
    std::optional<std::string> codePage = toCodePage(utf8);
    // Code-page text that began with the marker's bytes would read back as UTF-8.
    if (codePage && !IsUtf8SchemeField(*codePage)) return std::move(*codePage);
    return std::string(kSchemeUtf8Marker, sizeof kSchemeUtf8Marker) + std::string(utf8);
}

std::string DecodeSchemeField(std::string_view field, const FromCodePage& fromCodePage) {
    if (IsUtf8SchemeField(field)) return std::string(field.substr(sizeof kSchemeUtf8Marker));
    return fromCodePage(field);
}

bool FitsSchemeFile(const std::string& path, const std::string& name) {
    return path.size() <= kSchemeMaxStringLength && name.size() <= kSchemeMaxStringLength;
}

bool WriteSchemeFile(ByteFile& file, const SchemeFileData& data, bool withBackground) {
    if (withBackground && !FitsSchemeFile(data.path, data.name)) return false;
    file.Write(kSchemeMagic, kSchemeMagicSize);
    uint8_t components[kSchemeComponentsSize];
    EncodeComponents(data.components, components);
    file.Write(components, sizeof components);
    if (!withBackground) {
        const uint8_t none = 0;
        file.Write(&none, 1);
        return true;
    }
    WriteCounted(file, data.path);
    WriteCounted(file, data.name);
    return true;
}

bool ReadSchemeFile(ByteFile& file, SchemeFileData& data, bool* cutShort) {
    if (cutShort) *cutShort = false;
    char magic[kSchemeMagicSize] = {};
    file.Read(magic, kSchemeMagicSize);
    if (std::memcmp(magic, kSchemeMagic, kSchemeMagicSize) != 0) return false;

    // Every byte that the layout promises must be there: a file that ends early is refused whole.
    uint8_t components[kSchemeComponentsSize];
    file.Seek(kSchemeComponentsOffset, ByteFile::begin);
    bool whole = file.Read(components, sizeof components) == sizeof components;
    file.Seek(kSchemeBackgroundOffset, ByteFile::begin);
    uint8_t pathLength = 0;
    whole = whole && file.Read(&pathLength, 1) == 1;
    SchemeFileData read;
    DecodeComponents(components, read.components);
    if (whole && pathLength != 0) {
        read.namesBackground = true;
        uint8_t nameLength = 0;
        whole = ReadChars(file, pathLength, read.path) && file.Read(&nameLength, 1) == 1 &&
                ReadChars(file, nameLength, read.name);
    }
    if (!whole) {
        if (cutShort) *cutShort = true;
        return false;
    }
    data = std::move(read);
    return true;
}
