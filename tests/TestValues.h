// Values that several tests share: the tag of the starting scheme, components that no slider
// gives, and numbers and scheme headers as files hold them. Portable.
#pragma once
#include <cstdint>
#include <string>

#include "scheme/ColorScheme.h"

inline const std::string kDefaultTag =
    "<BODY BGCOLOR=\"#FFEBD7\" TEXT=\"#000000\" LINK=\"#008200\" "
    "VLINK=\"#551A8B\" ALINK=\"#EE0000\" >";

// Components that only a scheme file brings: beyond 0 to 255 either way, and the extremes.
inline constexpr int32_t kOddValues[kComponentCount] = {
    -1, 256, 4096, INT32_MAX, INT32_MIN, 0, 1, 255, -256, 65536, 128, 2, 3, 4, 5};

// value as four bytes, the least significant first.
inline std::string Le32(int32_t value) {
    const auto v = static_cast<uint32_t>(value);
    return {char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
}

// "TWR" and the fifteen components, as a scheme file begins.
inline std::string SchemeHeader(const int32_t* components) {
    std::string bytes = "TWR";
    for (int i = 0; i < kComponentCount; ++i)
        bytes += Le32(components[i]);
    return bytes;
}
