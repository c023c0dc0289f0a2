// The Contrast window through the real main dialog: what stands behind the page, and the
// picture's colours worked out again for every new picture.
#include "DialogHarness.h"
#include "ui/ContrastDlg.h"
#include "scheme/Contrast.h"

namespace {
class ContrastDlgTest : public DialogTest {
protected:
    // The first line of a column of the Contrast window: the text's row.
    std::string TextRow(int column) const {
        char text[512] = "";
        ::GetDlgItemTextA(dlg->m_contrast->m_hWnd, column, text, sizeof text);
        return std::string(text).substr(0, std::string(text).find('\r'));
    }
    // Gives the dialog a loaded picture of a white pixel beside a grey one, as shown after
    // Show Backgrounds? is turned off and on again.
    void ShowTile(int grey) {
        const uint32_t pixels[2] = {0xFFFFFF, static_cast<uint32_t>(grey * 0x010101)};
        BITMAPINFO format{};
        format.bmiHeader = {sizeof format.bmiHeader, 2, 1, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        HDC screen = ::GetDC(nullptr);
        HBITMAP tile = ::CreateCompatibleBitmap(screen, 2, 1);
        ::SetDIBits(screen, tile, 0, 1, pixels, &format, DIB_RGB_COLORS);
        ::ReleaseDC(nullptr, screen);
        dlg->SetBackgroundBitmap(tile);
        dlg->m_backgroundLoaded = 1;
        Command(ID_TOOLS_SHOWBACKGROUNDS);
        Command(ID_TOOLS_SHOWBACKGROUNDS);
    }
    static std::string BlackOn(double luminance) {
        return RatioText(ContrastRatio(RelativeLuminance(0, 0, 0), luminance));
    }
};
} // namespace

TEST_F(ContrastDlgTest, RowsFollowTheBackgroundColourTheDefaultWhiteAndEachPicture) {
    Command(ID_TOOLS_CHECKCONTRAST);
    ASSERT_TRUE(dlg->m_contrast && dlg->m_contrast->m_hWnd);
    const HWND window = dlg->m_contrast->m_hWnd;
    EXPECT_EQ(TextRow(IDC_CONTRAST_RATIO), BlackOn(RelativeLuminance(255, 235, 215)));
    EXPECT_EQ(TextRow(IDC_CONTRAST_NOTES), "");

    Command(ID_TOOLS_SHOWBACKGROUNDS); // no picture yet: the browser's white
    EXPECT_NE(Text(IDC_BODY_TAG).find("BACKGROUND"), std::string::npos);
    EXPECT_EQ(TextRow(IDC_CONTRAST_RATIO), "21.00:1");
    char backdrop[256] = "";
    ::GetDlgItemTextA(window, IDC_CONTRAST_BACKDROP, backdrop, sizeof backdrop);
    EXPECT_NE(std::string(backdrop).find("default white"), std::string::npos) << backdrop;

    // The dark pixel is the worst case; a second picture is worked out afresh.
    ShowTile(0x33);
    EXPECT_EQ(TextRow(IDC_CONTRAST_RATIO), BlackOn(RelativeLuminance(0x33, 0x33, 0x33)));
    EXPECT_EQ(TextRow(IDC_CONTRAST_NOTES), "worst case over the picture");
    ShowTile(0x99);
    EXPECT_EQ(TextRow(IDC_CONTRAST_RATIO), BlackOn(RelativeLuminance(0x99, 0x99, 0x99)));

    Command(ID_TOOLS_CHECKCONTRAST); // brought forward, not opened again
    EXPECT_EQ(dlg->m_contrast->m_hWnd, window);
}
