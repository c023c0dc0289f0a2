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
    std::string Column(int id) const {
        char text[512] = "";
        ::GetDlgItemTextA(dlg->m_contrast->m_hWnd, id, text, sizeof text);
        return text;
    }
    bool FixEnabled(int id) const {
        return ::IsWindowEnabled(::GetDlgItem(dlg->m_contrast->m_hWnd, id));
    }
    void ClickInWindow(int id) const {
        ::SendMessageA(::GetDlgItem(dlg->m_contrast->m_hWnd, id), BM_CLICK, 0, 0);
    }
    void ChooseAim(int item) const {
        const HWND window = dlg->m_contrast->m_hWnd;
        ::SendDlgItemMessageA(window, IDC_CONTRAST_AIM, CB_SETCURSEL, item, 0);
        ::SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_CONTRAST_AIM, CBN_SELCHANGE),
                       reinterpret_cast<LPARAM>(::GetDlgItem(window, IDC_CONTRAST_AIM)));
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

TEST_F(ContrastDlgTest, EveryColumnOfTheStartingSchemeThenAFixAndFixAllAtAAA) {
    Command(ID_TOOLS_CHECKCONTRAST);
    ASSERT_TRUE(dlg->m_contrast && dlg->m_contrast->m_hWnd);
    EXPECT_EQ(Column(IDC_CONTRAST_RATIO), "18.11:1\r\n\r\n4.32:1\r\n\r\n9.50:1\r\n\r\n3.90:1");
    EXPECT_EQ(Column(IDC_CONTRAST_AA), "Pass\r\n\r\nFail\r\n\r\nPass\r\n\r\nFail");
    EXPECT_EQ(Column(IDC_CONTRAST_AA_LARGE), "Pass\r\n\r\nPass\r\n\r\nPass\r\n\r\nPass");
    EXPECT_EQ(Column(IDC_CONTRAST_AAA), "Pass\r\n\r\nFail\r\n\r\nPass\r\n\r\nFail");
    EXPECT_EQ(Column(IDC_CONTRAST_AGAINST_TEXT),
              "\r\n\r\n4.19:1 Pass\r\n\r\n1.90:1 Fail\r\n\r\n4.63:1 Pass");
    EXPECT_EQ(Column(IDC_CONTRAST_APCA), "96.0\r\n\r\n63.8\r\n\r\n84.4\r\n\r\n58.4");
    // At AA the text passes; the visited link fails through its ratio against the text.
    EXPECT_FALSE(FixEnabled(IDC_CONTRAST_FIX_TEXT));
    EXPECT_TRUE(FixEnabled(IDC_CONTRAST_FIX_LINK));
    EXPECT_TRUE(FixEnabled(IDC_CONTRAST_FIX_VLINK));
    EXPECT_TRUE(FixEnabled(IDC_CONTRAST_FIX_ALINK));

    // The nearest passing colour of the new link's hue, found by a search of every colour.
    ClickInWindow(IDC_CONTRAST_FIX_LINK);
    EXPECT_NE(Tag().find("LINK=\"#047E00\""), std::string::npos) << Tag();
    EXPECT_EQ(dlg->m_linkHex, "047E00");
    EXPECT_EQ(Column(IDC_CONTRAST_RATIO), "18.11:1\r\n\r\n4.54:1\r\n\r\n9.50:1\r\n\r\n3.90:1");
    EXPECT_EQ(Column(IDC_CONTRAST_APCA), "96.0\r\n\r\n65.4\r\n\r\n84.4\r\n\r\n58.4");
    EXPECT_FALSE(FixEnabled(IDC_CONTRAST_FIX_LINK));

    // At AAA on this light page no link reaches 7:1 and 3:1 against black text: all stay.
    ChooseAim(1);
    EXPECT_TRUE(FixEnabled(IDC_CONTRAST_FIX_LINK));
    const std::string tag = Tag();
    ClickInWindow(IDC_CONTRAST_FIX_ALL);
    EXPECT_EQ(Tag(), tag);
    EXPECT_EQ(Column(IDC_CONTRAST_FIX_MESSAGE),
              "No New Link or Visited Link or Active Link color of this hue reaches 7:1 against "
              "the background and 3:1 against the text.");
    // The aim outlives the window: Tools > Fix Contrast with it closed says the same in a box.
    ::SendMessageA(dlg->m_contrast->m_hWnd, WM_CLOSE, 0, 0);
    Command(ID_TOOLS_FIXCONTRAST);
    ASSERT_EQ(host.messageBoxes.size(), 1u);
    EXPECT_NE(host.messageBoxes[0].text.find("reaches 7:1"), std::string::npos);
}

TEST_F(ContrastDlgTest, ASimulatedViewChangesTheFiguresAndTheFrameButNotTheTag) {
    Command(ID_TOOLS_CHECKCONTRAST);
    ASSERT_TRUE(dlg->m_contrast && dlg->m_contrast->m_hWnd);
    const std::string tag = Tag();
    Command(ID_VISION_PROTANOPIA);
    EXPECT_EQ(Column(IDC_CONTRAST_BACKDROP),
              "As seen with protanopia. Against the background color.");
    EXPECT_EQ(Column(IDC_CONTRAST_RATIO), "17.74:1\r\n\r\n3.94:1\r\n\r\n8.80:1\r\n\r\n6.01:1");
    EXPECT_EQ(Column(IDC_CONTRAST_AGAINST_TEXT),
              "\r\n\r\n4.49:1 Pass\r\n\r\n2.01:1 Fail\r\n\r\n2.94:1 Fail");
    EXPECT_EQ(Column(IDC_CONTRAST_APCA), "94.7\r\n\r\n60.9\r\n\r\n82.0\r\n\r\n73.2");
    EXPECT_EQ(Text(IDC_SAMPLE_FRAME), "Sample Homepage (as seen with protanopia)");
    EXPECT_EQ(Tag(), tag);
    const HMENU tools = ::GetSubMenu(::GetMenu(Wnd()), CSchemeDlg::kToolsMenuPos);
    const HMENU vision = ::GetSubMenu(tools, ::GetMenuItemCount(tools) - 1);
    EXPECT_TRUE(::GetMenuState(vision, ID_VISION_PROTANOPIA, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_FALSE(::GetMenuState(vision, ID_VISION_NORMAL, MF_BYCOMMAND) & MF_CHECKED);

    Command(ID_VISION_NORMAL);
    EXPECT_EQ(Column(IDC_CONTRAST_BACKDROP), "Against the background color.");
    EXPECT_EQ(Text(IDC_SAMPLE_FRAME), "Sample Homepage");
}
