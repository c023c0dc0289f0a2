// The HTML BODY start tag composed from the scheme. Portable: standard library only.
#pragma once
#include <string>
#include <string_view>

struct BodyTagInputs {
    std::string_view bgcolorHex, textHex, linkHex, vlinkHex, alinkHex;
    std::string_view backgroundName;
    bool backgroundForm = false; // BACKGROUND="name" in place of BGCOLOR
};

// One line: "<BODY ", the attributes each followed by a space, then ">".
std::string ComposeBodyTag(const BodyTagInputs& inputs);

// The background name as it may stand between double quotes: '"', '<', '>' and control
// characters become character references; everything else stands unchanged.
std::string EscapeAttributeValue(std::string_view value);
