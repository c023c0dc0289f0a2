// The Contrast window through the real main dialog: every column's text for the default
// scheme, what stands behind the page, and the picture's colours worked out for every picture.
#include <array>

#include "DialogHarness.h"
#include "ui/ContrastDlg.h"

namespace {
// One column of the Contrast window as it should read: its rows for the text, the new link,
// the visited link and the active link, top to bottom.
struct Column {
    int id;
    std::array<const char*, 4> rows;
};

class ContrastDlgTest : public DialogTest {
protected:
    std::string Cell(int id) const {
        char text[512] = "";
        ::GetDlgItemTextA(dlg->m_contrast->m_hWnd, id, text, sizeof text);
        return text;
    }
    // The line above the table, then each column, its rows a blank line apart.
    void ExpectWindow(const char* backdrop, std::initializer_list<Column> columns) const {
        EXPECT_EQ(Cell(IDC_CONTRAST_BACKDROP), backdrop);
        for (const Column& column : columns) {
            std::string expected = column.rows[0];
            for (size_t row = 1; row < column.rows.size(); ++row)
                expected += std::string("\r\n\r\n") + column.rows[row];
            EXPECT_EQ(Cell(column.id), expected) << "column " << column.id;
        }
    }
    // The first line of a column: the text's row.
    std::string TextRow(int id) const {
        const std::string text = Cell(id);
        return text.substr(0, text.find('\r'));
    }
    // Gives the dialog a loaded picture of a white pixel beside a grey one, as shown after
    // Show Backgrounds? is turned off and on again while backgrounds are shown.
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
};

// The links against the text colour, the same whatever stands behind the page.
constexpr Column kAgainstText = {IDC_CONTRAST_AGAINST_TEXT,
                                 {"", "4.19:1 Pass", "1.90:1 Fail", "4.63:1 Pass"}};
constexpr Column kNoNotes = {IDC_CONTRAST_NOTES, {"", "", "", ""}};
} // namespace

TEST_F(ContrastDlgTest, EveryColumnOfTheDefaultSchemeAgainstItsColourAndTheDefaultWhite) {
    Command(ID_TOOLS_CHECKCONTRAST);
    ASSERT_TRUE(dlg->m_contrast && dlg->m_contrast->m_hWnd);
    ExpectWindow("Against the background color.",
                 {
                     {IDC_CONTRAST_RATIO, {"18.11:1", "4.32:1", "9.50:1", "3.90:1"}},
                     {IDC_CONTRAST_AA, {"Pass", "Fail", "Pass", "Fail"}},
                     {IDC_CONTRAST_AA_LARGE, {"Pass", "Pass", "Pass", "Pass"}},
                     {IDC_CONTRAST_AAA, {"Pass", "Fail", "Pass", "Fail"}},
                     kAgainstText,
                     kNoNotes,
                 });

    Command(ID_TOOLS_SHOWBACKGROUNDS); // no picture yet: the browser's white
    ExpectWindow("Against the browser's default white: no background picture is loaded.",
                 {
                     {IDC_CONTRAST_RATIO, {"21.00:1", "5.00:1", "11.01:1", "4.53:1"}},
                     {IDC_CONTRAST_AA, {"Pass", "Pass", "Pass", "Pass"}},
                     {IDC_CONTRAST_AA_LARGE, {"Pass", "Pass", "Pass", "Pass"}},
                     {IDC_CONTRAST_AAA, {"Pass", "Fail", "Pass", "Fail"}},
                     kAgainstText,
                     kNoNotes,
                 });
}

TEST_F(ContrastDlgTest, APictureIsJudgedByItsDarkestPixelAndEachNewPictureAfresh) {
    Command(ID_TOOLS_CHECKCONTRAST);
    ASSERT_TRUE(dlg->m_contrast && dlg->m_contrast->m_hWnd);
    const HWND window = dlg->m_contrast->m_hWnd;
    Command(ID_TOOLS_SHOWBACKGROUNDS);
    ShowTile(0x33);
    EXPECT_EQ(TextRow(IDC_CONTRAST_RATIO), "1.66:1");
    EXPECT_EQ(TextRow(IDC_CONTRAST_NOTES), "passes over 50 % of the picture");
    ShowTile(0x99);
    EXPECT_EQ(TextRow(IDC_CONTRAST_RATIO), "7.37:1");

    Command(ID_TOOLS_CHECKCONTRAST); // brought forward, not opened again
    EXPECT_EQ(dlg->m_contrast->m_hWnd, window);
}

TEST_F(ContrastDlgTest, TheApcaColumnThenAFixAndFixAllAtAAA) {
    Command(ID_TOOLS_CHECKCONTRAST);
    ASSERT_TRUE(dlg->m_contrast && dlg->m_contrast->m_hWnd);
    EXPECT_EQ(Cell(IDC_CONTRAST_APCA), "96.0\r\n\r\n63.8\r\n\r\n84.4\r\n\r\n58.4");
    // At AA the text passes; the visited link fails through its ratio against the text.
    EXPECT_FALSE(FixEnabled(IDC_CONTRAST_FIX_TEXT));
    EXPECT_TRUE(FixEnabled(IDC_CONTRAST_FIX_LINK));
    EXPECT_TRUE(FixEnabled(IDC_CONTRAST_FIX_VLINK));
    EXPECT_TRUE(FixEnabled(IDC_CONTRAST_FIX_ALINK));

    // The nearest passing colour of the new link's hue, found by a search of every colour.
    ClickInWindow(IDC_CONTRAST_FIX_LINK);
    EXPECT_NE(Tag().find("LINK=\"#047E00\""), std::string::npos) << Tag();
    EXPECT_EQ(Cell(IDC_CONTRAST_RATIO), "18.11:1\r\n\r\n4.54:1\r\n\r\n9.50:1\r\n\r\n3.90:1");
    EXPECT_EQ(Cell(IDC_CONTRAST_APCA), "96.0\r\n\r\n65.4\r\n\r\n84.4\r\n\r\n58.4");
    EXPECT_FALSE(FixEnabled(IDC_CONTRAST_FIX_LINK));

    // At AAA on this light page no link reaches 7:1 and 3:1 against black text: all stay.
    ChooseAim(1);
    EXPECT_TRUE(FixEnabled(IDC_CONTRAST_FIX_LINK));
    const std::string tag = Tag();
    ClickInWindow(IDC_CONTRAST_FIX_ALL);
    EXPECT_EQ(Tag(), tag);
    EXPECT_EQ(Cell(IDC_CONTRAST_FIX_MESSAGE),
              "No New Link or Visited Link or Active Link color at all reaches 7:1 against the "
              "background and 3:1 against the text. Another background or text color could.");
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
    EXPECT_EQ(Cell(IDC_CONTRAST_BACKDROP),
              "As seen with protanopia. Against the background color.");
    EXPECT_EQ(Cell(IDC_CONTRAST_RATIO), "17.74:1\r\n\r\n3.94:1\r\n\r\n8.80:1\r\n\r\n6.01:1");
    EXPECT_EQ(Cell(IDC_CONTRAST_AGAINST_TEXT),
              "\r\n\r\n4.49:1 Pass\r\n\r\n2.01:1 Fail\r\n\r\n2.94:1 Fail");
    EXPECT_EQ(Cell(IDC_CONTRAST_APCA), "94.7\r\n\r\n60.9\r\n\r\n82.0\r\n\r\n73.2");
    EXPECT_EQ(Text(IDC_SAMPLE_FRAME), "Sample Homepage (as seen with protanopia)");
    EXPECT_EQ(Tag(), tag);
    const HMENU tools = ::GetSubMenu(::GetMenu(Wnd()), CSchemeDlg::kToolsMenuPos);
    // By command, the Simulate Vision pop-up's items are found wherever it stands in Tools.
    EXPECT_TRUE(::GetMenuState(tools, ID_VISION_PROTANOPIA, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_FALSE(::GetMenuState(tools, ID_VISION_NORMAL, MF_BYCOMMAND) & MF_CHECKED);

    Command(ID_VISION_NORMAL);
    EXPECT_EQ(Cell(IDC_CONTRAST_BACKDROP), "Against the background color.");
    EXPECT_EQ(Text(IDC_SAMPLE_FRAME), "Sample Homepage");

    // A picture whose copy cannot be made (it is held by another device context) is said to
    // be so, and not tried again on the next paint, once it could be.
    Command(ID_TOOLS_SHOWBACKGROUNDS);
    ShowTile(0x33);
    HDC holder = ::CreateCompatibleDC(nullptr);
    const HGDIOBJ previous = ::SelectObject(holder, dlg->m_hBackground);
    Command(ID_VISION_PROTANOPIA);
    ::UpdateWindow(Wnd());
    ::SelectObject(holder, previous);
    ::DeleteDC(holder);
    ::InvalidateRect(Wnd(), nullptr, TRUE);
    ::UpdateWindow(Wnd());
    EXPECT_EQ(Text(IDC_SAMPLE_FRAME),
              "Sample Homepage (as seen with protanopia: could not be drawn)");
    EXPECT_NE(Cell(IDC_CONTRAST_BACKDROP).find("could not be drawn as seen with protanopia"),
              std::string::npos);
}

// Beside the main window where either side has room, else the main window moved the least so
// that both fit (1600 pixels at 96 DPI; 2560 at 192); overlapping only where they cannot fit,
// then clear of the main window's caption buttons (1280 pixels at 192 DPI).
TEST(PlaceBesideOwner, NeverOverTheMainWindowWhereBothFitNorEverOverItsButtons) {
    // The contrast window's size is that of the place expected.
    auto expect = [](int gap, RECT work, RECT owner, RECT buttons, RECT ownerAfter, RECT contrast) {
        const SIZE size{contrast.right - contrast.left, contrast.bottom - contrast.top};
        const ContrastPlacement place = PlaceBesideOwner(work, owner, size, gap, buttons);
        EXPECT_TRUE(::EqualRect(&place.owner, &ownerAfter)) << work.right;
        EXPECT_TRUE(::EqualRect(&place.contrast, &contrast))
            << place.contrast.left << "," << place.contrast.top << " for " << work.right;
    };
    expect(8, {0, 0, 1600, 870}, {590, 200, 1020, 700}, {955, 200, 1020, 230},
           {618, 200, 1048, 700}, {0, 200, 610, 460});
    expect(16, {0, 0, 2560, 1400}, {845, 100, 1715, 1060}, {1560, 100, 1715, 160},
           {454, 100, 1324, 1060}, {1340, 100, 2560, 620});
    expect(16, {0, 0, 1280, 1024}, {205, 30, 1075, 990}, {920, 30, 1075, 90}, {205, 30, 1075, 990},
           {60, 504, 1280, 1024});
    expect(16, {0, 0, 1280, 600}, {500, 0, 1270, 590}, {1115, 0, 1270, 60}, {500, 0, 1270, 590},
           {415, 40, 1115, 600});
}
