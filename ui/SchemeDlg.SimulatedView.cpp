// Tools > Simulate Vision: the sample page and the Contrast window as a reader with a
// colour-vision deficiency sees them; the tag and the scheme keep the real colours.
#include <algorithm>
#include <string>
#include <vector>

#include "SchemeDlg.h"

namespace {
constexpr const char* kSampleFrameText = "Sample Homepage";

constexpr UINT kVisionCommands[kVisionCount] = {ID_VISION_NORMAL, ID_VISION_PROTANOPIA,
                                                ID_VISION_DEUTERANOPIA, ID_VISION_TRITANOPIA,
                                                ID_VISION_ACHROMATOPSIA};

} // namespace

void CSchemeDlg::SetVision(Vision view) {
    m_vision = view;
    // The pop-up is found by its items, wherever later commands put it in the Tools pop-up.
    const CMenu tools = ToolsMenu();
    HMENU vision = nullptr;
    for (int i = ::GetMenuItemCount(tools.m_hMenu) - 1; i >= 0 && !vision; --i) {
        const CMenu item = tools.GetSubMenu(i);
        if (item.m_hMenu && item.GetMenuState(ID_VISION_NORMAL, MF_BYCOMMAND) != UINT(-1))
            vision = item.m_hMenu;
    }
    ::CheckMenuRadioItem(vision, kVisionCommands[0], kVisionCommands[kVisionCount - 1],
                         kVisionCommands[static_cast<int>(view)], MF_BYCOMMAND);
    UpdateSampleFrame();
    InvalidatePreview();
    UpdateContrast();
}

void CSchemeDlg::UpdateSampleFrame() {
    std::string frame = kSampleFrameText;
    if (m_vision != Vision::Normal) {
        frame += std::string(" (as seen with ") + VisionName(m_vision);
        if (BackgroundsShown() && m_picture.CouldNotShow(m_vision)) frame += ": could not be drawn";
        frame += ")";
    }
    CWnd caption = GetDlgItem(IDC_SAMPLE_FRAME);
    if (caption.GetWindowText() != frame.c_str()) caption.SetWindowText(frame.c_str());
}

HBITMAP CSchemeDlg::ShownBackground() {
    // The picture's pixels that the page shows at this DPI, and one more for the rounding.
    const UINT dpi = WindowDpi(m_hWnd);
    const RECT page = ScaledPreviewRect();
    const SIZE most = {
        ::MulDiv(page.right - page.left, static_cast<int>(kDefaultDpi), static_cast<int>(dpi)) + 1,
        ::MulDiv(page.bottom - page.top, static_cast<int>(kDefaultDpi), static_cast<int>(dpi)) + 1};
    const bool failedBefore = m_picture.CouldNotShow(m_vision);
    const HBITMAP shown = m_picture.Shown(m_vision, most);
    if (!failedBefore && m_picture.CouldNotShow(m_vision)) {
        // Said once, where the view is named: the frame and the Contrast window.
        UpdateSampleFrame();
        UpdateContrast();
    }
    return shown;
}
