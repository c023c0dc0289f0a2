// The page rewriter on arbitrary bytes: the scans stay inside the page, and a second apply of the
// same colours, to the BODY tag or as the style element, changes nothing that the first wrote.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "scheme/PageText.h"

namespace {
std::optional<std::string> Same(std::string_view text) {
    return std::string(text);
}

void CheckSecondApplyChangesNothing(const std::string& once, const PageEdit& second) {
    if (second.status != PageEditStatus::Done || EditedPage(once, second) != once) std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view page(reinterpret_cast<const char*>(data), size);
    FindPageEncoding(page, 1252);
    PageColorSource(page);

    BodyTagInputs colors{"FFEBD7", "000000", "008200", "551A8B", "EE0000", "a \"<b>\".png"};
    colors.backgroundForm = size % 2 == 1;
    const PageEdit tag = ApplyBodyColors(page, colors, Same);
    if (tag.status == PageEditStatus::Done) {
        const std::string once = EditedPage(page, tag);
        CheckSecondApplyChangesNothing(once, ApplyBodyColors(once, colors, Same));
    }
    const std::string rules = "body { color: #000000; }\r\n";
    const PageEdit style = ApplyStyleElement(page, rules, Same);
    if (style.status == PageEditStatus::Done) {
        const std::string once = EditedPage(page, style);
        CheckSecondApplyChangesNothing(once, ApplyStyleElement(once, rules, Same));
    }
    return 0;
}
