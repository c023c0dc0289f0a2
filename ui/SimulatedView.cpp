// Tools > Simulate Vision: the sample page and the Contrast window as a reader with a
// colour-vision deficiency sees them; the tag and the scheme keep the real colours.
#include <algorithm>
#include <string>
#include <vector>

#include "PicturePixels.h"
#include "SchemeDlg.h"

namespace {
constexpr const char* kSampleFrameText = "Sample Homepage";

constexpr UINT kVisionCommands[kVisionCount] = {ID_VISION_NORMAL, ID_VISION_PROTANOPIA,
                                                ID_VISION_DEUTERANOPIA, ID_VISION_TRITANOPIA,
                                                ID_VISION_ACHROMATOPSIA};

// A copy of picture with every pixel as view shows it; null when its pixels cannot be read.
HBITMAP SimulatedCopy(HBITMAP picture, Vision view) {
    BITMAP info{};
    if (!::GetObjectW(picture, sizeof info, &info)) return nullptr;
    HDC screen = ::GetDC(nullptr);
    HBITMAP copy = ::CreateCompatibleBitmap(screen, info.bmWidth, info.bmHeight);
    ::ReleaseDC(nullptr, screen);
    if (!copy) return nullptr;
    const bool made = ForEachPixelBand(picture, [&](const PixelBand& band) {
        SimulateVision(view, band.pixels, band.count);
        return ::SetDIBits(band.dc, copy, band.first, band.rows, band.pixels, band.format,
                           DIB_RGB_COLORS) == static_cast<int>(band.rows);
    });
    if (made) return copy;
    ::DeleteObject(copy);
    return nullptr;
}
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
    std::string frame = kSampleFrameText;
    if (view != Vision::Normal) frame += std::string(" (as seen with ") + VisionName(view) + ")";
    GetDlgItem(IDC_SAMPLE_FRAME).SetWindowText(frame.c_str());
    InvalidatePreview();
    UpdateContrast();
}

HBITMAP CSchemeDlg::ShownBackground() {
    if (m_vision == Vision::Normal || !m_hBackground) return m_hBackground;
    if (!m_simulatedBackground || m_simulatedView != m_vision || m_simulatedOf != m_hBackground) {
        DropSimulatedBackground();
        CWaitCursor wait;
        m_simulatedBackground = SimulatedCopy(m_hBackground, m_vision);
        m_simulatedView = m_vision;
        m_simulatedOf = m_hBackground;
    }
    return m_simulatedBackground ? m_simulatedBackground : m_hBackground;
}

void CSchemeDlg::DropSimulatedBackground() {
    if (!m_simulatedBackground) return;
    // A later bitmap may be given the released one's handle.
    if (m_luminancesOf == m_simulatedBackground) m_luminancesOf = nullptr;
    ::DeleteObject(m_simulatedBackground);
    m_simulatedBackground = nullptr;
}
