#include "BodyTag.h"

namespace {
void AppendColor(std::string& tag, const char* attribute, std::string_view hex) {
    tag += attribute;
    tag += "=\"#";
    tag += hex;
    tag += "\" ";
}
} // namespace

std::string EscapeAttributeValue(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (char ch : value) {
        const auto byte = static_cast<unsigned char>(ch);
        switch (ch) {
        case '"': out += "&quot;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        default:
            if (byte < 0x20 || byte == 0x7F)
                out += "&#" + std::to_string(byte) + ";";
            else
                out += ch;
        }
    }
    return out;
}

std::string ComposeBodyTag(const BodyTagInputs& in) {
    std::string tag = "<BODY ";
    if (in.backgroundForm) {
        tag += "BACKGROUND=\"";
        tag += EscapeAttributeValue(in.backgroundName);
        tag += "\" ";
    } else {
        AppendColor(tag, "BGCOLOR", in.bgcolorHex);
    }
    AppendColor(tag, "TEXT", in.textHex);
    AppendColor(tag, "LINK", in.linkHex);
    AppendColor(tag, "VLINK", in.vlinkHex);
    AppendColor(tag, "ALINK", in.alinkHex);
    tag += '>';
    return tag;
}
