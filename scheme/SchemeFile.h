// Scheme files: "TWR", the fifteen components as signed 32-bit little-endian integers in table
// order, then one zero byte, or a length-prefixed background path and a length-prefixed name.
// Portable: standard library only; the bytes are the same on every host.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "ByteFile.h"
#include "ColorScheme.h"

inline constexpr char kSchemeMagic[3] = {'T', 'W', 'R'};
inline constexpr int kSchemeMagicSize = 3;
inline constexpr int kSchemeComponentsOffset = 3;
inline constexpr int kSchemeComponentsSize = 4 * kComponentCount;
inline constexpr int kSchemeBackgroundOffset = kSchemeComponentsOffset + kSchemeComponentsSize;
// Each background string has a one-byte length.
inline constexpr size_t kSchemeMaxStringLength = 255;

struct SchemeFileData {
    int32_t components[kComponentCount] = {};
    // False for a file whose path length is 0 (or missing); path and name are then empty.
    bool namesBackground = false;
    std::string path;
    std::string name;
};

// Whether a background of these strings fits the one-byte lengths.
bool FitsSchemeFile(const std::string& path, const std::string& name);

// Writes the scheme; with withBackground false the background section is a single zero byte.
// Returns false, having written nothing, when a string does not fit (see FitsSchemeFile).
bool WriteSchemeFile(ByteFile& file, const SchemeFileData& data, bool withBackground);

// Reads a scheme file into data. data.components must hold the current components on entry:
// a file too short to hold all sixty bytes replaces only the leading bytes present. Returns false
// when the first three bytes are not "TWR"; data is then unchanged. A short background section
// gives the characters present; a string stops at its first zero byte. File errors propagate.
bool ReadSchemeFile(ByteFile& file, SchemeFileData& data);
