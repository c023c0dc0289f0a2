// Scheme files: "TWR", the fifteen components as signed 32-bit little-endian integers in table
// order, then one zero byte, or a length-prefixed background path and a length-prefixed name.
// Portable: standard library only; the bytes are the same on every host.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "ByteFile.h"
#include "ColorScheme.h"

inline constexpr char kSchemeMagic[3] = {'T', 'W', 'R'};
inline constexpr int kSchemeMagicSize = 3;
inline constexpr int kSchemeComponentsOffset = 3;
inline constexpr int kSchemeComponentsSize = 4 * kComponentCount;
inline constexpr int kSchemeBackgroundOffset = kSchemeComponentsOffset + kSchemeComponentsSize;
// Each background string has a one-byte length.
inline constexpr size_t kSchemeMaxStringLength = 255;

// A path or name field that starts with these bytes holds UTF-8 after them; any other holds the
// system code page, as every file did before names outside it could be saved. No path starts so.
inline constexpr char kSchemeUtf8Marker[3] = {'\xEF', '\xBB', '\xBF'};

struct SchemeFileData {
    int32_t components[kComponentCount] = {};
    // False for a file whose path length is 0 (or missing); path and name are then empty.
    bool namesBackground = false;
    // The fields' bytes as they stand in the file (see EncodeSchemeField).
    std::string path;
    std::string name;
};

// The system code page's form of UTF-8 text, or nothing when a character has no exact form there.
using ToCodePage = std::function<std::optional<std::string>(std::string_view utf8)>;
// Text in the system code page as UTF-8.
using FromCodePage = std::function<std::string(std::string_view bytes)>;

// A path or name (UTF-8) as its field's bytes: in the code page when every character has its form
// there, byte for byte as ever; otherwise the marker and the UTF-8.
std::string EncodeSchemeField(std::string_view utf8, const ToCodePage& toCodePage);
// A field's bytes as UTF-8: after the marker as they stand, otherwise from the code page.
std::string DecodeSchemeField(std::string_view field, const FromCodePage& fromCodePage);
// Whether a field's bytes are the marked UTF-8 form.
bool IsUtf8SchemeField(std::string_view field);

// Whether a background of these strings fits the one-byte lengths.
bool FitsSchemeFile(const std::string& path, const std::string& name);

// Writes the scheme; with withBackground false the background section is a single zero byte.
// Returns false, having written nothing, when a string does not fit (see FitsSchemeFile).
bool WriteSchemeFile(ByteFile& file, const SchemeFileData& data, bool withBackground);

// Reads a scheme file into data. Returns false, data unchanged, when the first three bytes are not
// "TWR" or when the file ends before its layout does (before the path length, inside the path or
// the name): *cutShort (when given) then says which. Values are taken as stored; a string stops
// at its first zero byte; bytes after the name are ignored. File errors propagate.
bool ReadSchemeFile(ByteFile& file, SchemeFileData& data, bool* cutShort = nullptr);
