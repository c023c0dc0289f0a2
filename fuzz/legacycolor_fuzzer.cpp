// The legacy colour reader on arbitrary text: failure only for an empty value and
// "transparent", and otherwise a colour of three 8-bit channels.
#include <cstdlib>
#include <string_view>

#include "scheme/LegacyColor.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto rgb = ReadLegacyColor(text);
    if (rgb && *rgb > 0xFFFFFF) std::abort();
    if (!rgb && !text.empty() && text.find_first_not_of(" \t\n\r\f") == std::string_view::npos)
        std::abort(); // blanks alone are black
    return 0;
}
