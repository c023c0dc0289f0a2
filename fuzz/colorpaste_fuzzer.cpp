// The paste reader on arbitrary text: what it reads are colours of three 8-bit channels, it
// reads something or says nothing is there, and one colour comes alone.
#include <cstdlib>
#include <string_view>

#include "scheme/ColorPaste.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto colors = ReadPastedColors(text);
    if (!colors) return 0;
    bool any = colors->picture.has_value() || colors->single.has_value();
    for (size_t role = 0; role < colors->roles.size(); ++role) {
        if (colors->roles[role] && *colors->roles[role] > 0xFFFFFF) std::abort();
        if (colors->fromStyleSheet[role] && !colors->roles[role]) std::abort();
        any |= colors->roles[role].has_value();
    }
    if (!any) std::abort();
    if (colors->single && (*colors->single > 0xFFFFFF || colors->picture)) std::abort();
    return 0;
}
