// The CSS colour reader on arbitrary text: a colour or one line saying why, never both, and a
// colour it gives reads back the same from its #RRGGBB.
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "scheme/CssColor.h"

// A reason quotes a bounded part of the text, so that it stays one line of a dialog.
constexpr size_t kLongestReason = 300;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const ColorReading reading = ReadCssColor(text);
    if (!reading.rgb) {
        if (reading.reason.empty() || reading.reason.size() > kLongestReason ||
            reading.reason.find_first_of("\r\n") != std::string::npos)
            std::abort();
        return 0;
    }
    if (!reading.reason.empty() || *reading.rgb > 0xFFFFFF) std::abort();
    char hex[8];
    std::snprintf(hex, sizeof hex, "#%06X", *reading.rgb);
    if (ReadCssColor(hex).rgb != reading.rgb) std::abort();
    return 0;
}
