// The sample page as painted on the screen: frames, fill, tiles, texts, the minimised icon,
// Change Title, and the GDI objects that painting makes and releases.
#include <algorithm>
#include <set>
#include <vector>

#include "DialogHarness.h"
#include "GdiWatch.h"

namespace {
constexpr int kClientWidth = 416;
constexpr int kClientHeight = 450;
constexpr RECT kTitleRect = {31, 299, 382, 330};
constexpr RECT kLineRects[4] = {
    {37, 335, 373, 355}, {37, 352, 373, 372}, {37, 369, 373, 389}, {37, 386, 373, 406}};
constexpr COLORREF kSentinel = RGB(1, 2, 3);

bool Inside(const RECT& r, int x, int y) {
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

bool InAnyTextRect(int x, int y) {
    if (Inside(kTitleRect, x, y)) return true;
    for (const RECT& r : kLineRects)
        if (Inside(r, x, y)) return true;
    return false;
}

// The header of a top-down 32-bit DIB of width by height.
BITMAPINFO TopDownInfo(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

// A top-down 32-bit DIB section with a memory context, its pixels readable as COLORREF.
class Canvas {
public:
    Canvas(int width, int height) : width_(width), height_(height) {
        BITMAPINFO info = TopDownInfo(width, height);
        dc_ = ::CreateCompatibleDC(nullptr);
        dib_ = ::CreateDIBSection(dc_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_),
                                  nullptr, 0);
        previous_ = ::SelectObject(dc_, dib_);
    }
    ~Canvas() {
        ::SelectObject(dc_, previous_);
        ::DeleteObject(dib_);
        ::DeleteDC(dc_);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC dc() const { return dc_; }
    int width() const { return width_; }
    int height() const { return height_; }
    COLORREF At(int x, int y) const {
        ::GdiFlush();
        uint32_t p = bits_[static_cast<size_t>(y) * width_ + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    void Fill(COLORREF color) {
        RECT all = {0, 0, width_, height_};
        HBRUSH brush = ::CreateSolidBrush(color);
        ::FillRect(dc_, &all, brush);
        ::DeleteObject(brush);
    }

private:
    int width_, height_;
    HDC dc_;
    HBITMAP dib_;
    HGDIOBJ previous_;
    uint32_t* bits_ = nullptr;
};

// The client area as the window shows it, after any pending paint.
std::unique_ptr<Canvas> CaptureClient(HWND wnd) {
    ::UpdateWindow(wnd);
    RECT client;
    ::GetClientRect(wnd, &client);
    auto canvas =
        std::make_unique<Canvas>(std::max<int>(client.right, 1), std::max<int>(client.bottom, 1));
    HDC windowDc = ::GetDC(wnd);
    ::BitBlt(canvas->dc(), 0, 0, canvas->width(), canvas->height(), windowDc, 0, 0, SRCCOPY);
    ::ReleaseDC(wnd, windowDc);
    return canvas;
}

// Every pixel distinct: red and green from the column and row, blue from their high bits.
COLORREF BitmapPixel(int x, int y) {
    return RGB(x & 0xFF, y & 0xFF, 0x40 | ((x >> 8) & 0x0F) | (((y >> 8) & 0x03) << 4));
}

// A device-dependent bitmap of the screen's format, as a decoder hands it over.
HBITMAP MakeBitmap(int width, int height) {
    HDC screen = ::GetDC(nullptr);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, width, height);
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            COLORREF c = BitmapPixel(x, y);
            pixels[static_cast<size_t>(y) * width + x] =
                (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
        }
    BITMAPINFO info = TopDownInfo(width, height);
    ::SetDIBits(screen, bitmap, 0, height, pixels.data(), &info, DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, screen);
    return bitmap;
}

// The page background as one copy per tile would leave it: left to right, then top to
// bottom, the last column and row cut at the page's right and bottom edges.
void DrawTilesOneByOne(HDC target, HBITMAP bitmap) {
    BITMAP info{};
    ::GetObjectA(bitmap, sizeof info, &info);
    HDC source = ::CreateCompatibleDC(target);
    HGDIOBJ previous = ::SelectObject(source, bitmap);
    for (int y = PreviewRect.top; y < PreviewRect.bottom; y += info.bmHeight) {
        int h = std::min<int>(info.bmHeight, PreviewRect.bottom - y);
        for (int x = PreviewRect.left; x < PreviewRect.right; x += info.bmWidth) {
            int w = std::min<int>(info.bmWidth, PreviewRect.right - x);
            ::BitBlt(target, x, y, w, h, source, 0, 0, SRCCOPY);
        }
    }
    ::SelectObject(source, previous);
    ::DeleteDC(source);
}
} // namespace

class PreviewTest : public DialogTest {
protected:
    // Gives the dialog a bitmap as a successful load would, and shows backgrounds.
    void ShowBitmap(HBITMAP bitmap) {
        dlg->SetBackgroundBitmap(bitmap);
        dlg->m_backgroundLoaded = 1;
        Command(ID_TOOLS_SHOWBACKGROUNDS);
        ASSERT_EQ(dlg->m_solidBackground, 0);
    }
    // Pixels of PreviewRect equal to color.
    static int CountInPage(const Canvas& shot, COLORREF color) {
        int count = 0;
        for (int y = PreviewRect.top; y < PreviewRect.bottom; ++y)
            for (int x = PreviewRect.left; x < PreviewRect.right; ++x)
                count += shot.At(x, y) == color;
        return count;
    }
};

namespace {
// Checks a one-pixel 3-D frame: topLeft on the top row and left column but for their last
// pixel, bottomRight on the whole right column and bottom row.
void ExpectFrame(const Canvas& shot, const RECT& r, COLORREF topLeft, COLORREF bottomRight) {
    int wrong = 0;
    for (int x = r.left; x <= r.right - 2; ++x)
        wrong += shot.At(x, r.top) != topLeft;
    for (int y = r.top; y <= r.bottom - 2; ++y)
        wrong += shot.At(r.left, y) != topLeft;
    for (int y = r.top; y <= r.bottom - 1; ++y)
        wrong += shot.At(r.right - 1, y) != bottomRight;
    for (int x = r.left; x <= r.right - 1; ++x)
        wrong += shot.At(x, r.bottom - 1) != bottomRight;
    EXPECT_EQ(wrong, 0) << "frame " << r.left << "," << r.top << "-" << r.right << "," << r.bottom;
}

// Pixels of the page outside every text rectangle that differ from expected(x, y).
template <typename Expected> int PageMismatchesOutsideText(const Canvas& shot, Expected expected) {
    int wrong = 0;
    for (int y = PreviewRect.top; y < PreviewRect.bottom; ++y)
        for (int x = PreviewRect.left; x < PreviewRect.right; ++x)
            if (!InAnyTextRect(x, y)) wrong += shot.At(x, y) != expected(x, y);
    return wrong;
}

COLORREF Tile100x50(int x, int y) {
    return BitmapPixel((x - PreviewRect.left) % 100, (y - PreviewRect.top) % 50);
}

// Closes the Change Title box from inside its modal loop, after typing into it.
struct TitleProbe {
    HWND owner = nullptr;
    const char* typed = nullptr;
    int button = IDOK;
    std::string prefilled;
    bool visible = false;
    bool ownerDisabled = false;
    RECT box{};
} g_title;

void CALLBACK AnswerTitle(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND box = ::FindWindowA(nullptr, "Change Title");
    if (!box) return;
    ::KillTimer(nullptr, timer);
    HWND edit = ::GetDlgItem(box, IDC_TITLE_TEXT);
    char buffer[256] = {};
    ::GetWindowTextA(edit, buffer, sizeof buffer);
    g_title.prefilled = buffer;
    g_title.visible = ::IsWindowVisible(box);
    g_title.ownerDisabled = !::IsWindowEnabled(g_title.owner);
    ::GetWindowRect(box, &g_title.box);
    if (g_title.typed) ::SetWindowTextA(edit, g_title.typed);
    ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(g_title.button, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(box, g_title.button)));
}

// The columns of the title's black ink.
std::pair<int, int> TitleInk(const Canvas& shot) {
    int left = kTitleRect.right, right = kTitleRect.left - 1;
    for (int y = kTitleRect.top; y < kTitleRect.bottom; ++y)
        for (int x = kTitleRect.left; x < kTitleRect.right; ++x)
            if (shot.At(x, y) == RGB(0, 0, 0)) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
    return {left, right};
}

struct IconErase {
    int count = 0;
    WPARAM dc = 0;
    LPARAM lParam = -1;
    WNDPROC next = nullptr;
} g_iconErase;

LRESULT CALLBACK RecordIconErase(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ICONERASEBKGND) {
        ++g_iconErase.count;
        g_iconErase.dc = wParam;
        g_iconErase.lParam = lParam;
    }
    return ::CallWindowProcW(g_iconErase.next, wnd, message, wParam, lParam);
}
} // namespace

TEST_F(PreviewTest, StartPageIsTheBackgroundColourInsideEtchedFramesOfTheSystemColours) {
    auto shot = CaptureClient(Wnd());
    ASSERT_EQ(shot->width(), kClientWidth);
    ASSERT_EQ(shot->height(), kClientHeight);
    const COLORREF page = RGB(0xFF, 0xEB, 0xD7);
    EXPECT_EQ(PageMismatchesOutsideText(*shot, [&](int, int) { return page; }), 0);
    // Text is drawn without a box behind it, and nothing else paints the page white.
    EXPECT_EQ(CountInPage(*shot, RGB(0xFF, 0xFF, 0xFF)), 0);

    const COLORREF light = ::GetSysColor(COLOR_BTNHIGHLIGHT);
    const COLORREF dark = ::GetSysColor(COLOR_3DDKSHADOW);
    ASSERT_NE(light, dark);
    ExpectFrame(*shot, {24, 288, 392, 426}, dark, light);
    ExpectFrame(*shot, {28, 292, 388, 422}, light, dark);
}

TEST_F(PreviewTest, PageColourFollowsTheSlidersAndTakesTheLowEightBitsOfEachComponent) {
    HScroll(IDC_GREEN_SLIDER, SB_THUMBTRACK, 0);
    auto shot = CaptureClient(Wnd());
    EXPECT_EQ(shot->At(PreviewRect.left, PreviewRect.top), RGB(255, 0, 215));
    EXPECT_EQ(PageMismatchesOutsideText(*shot, [](int, int) { return RGB(255, 0, 215); }), 0);

    // Only a scheme file brings such values; any repaint reads the table as it stands.
    ColorTable[ComponentIndex(RoleBackground, ChannelRed)] = 256;
    ColorTable[ComponentIndex(RoleBackground, ChannelGreen)] = 512 + 10;
    ColorTable[ComponentIndex(RoleBackground, ChannelBlue)] = -1;
    ColorTable[ComponentIndex(RoleLink, ChannelGreen)] = 0x100 + 0x82;
    ::InvalidateRect(Wnd(), &PreviewRect, TRUE);
    shot = CaptureClient(Wnd());
    EXPECT_EQ(PageMismatchesOutsideText(*shot, [](int, int) { return RGB(0, 10, 255); }), 0);
    EXPECT_GT(CountInPage(*shot, RGB(0, 0x82, 0)), 0);
}

TEST_F(PreviewTest, TitleAndLinesAreDrawnInTheirRolesColoursInsideTheirRectangles) {
    auto shot = CaptureClient(Wnd());
    struct Expected {
        COLORREF color;
        std::vector<RECT> rects;
    };
    const Expected expected[] = {
        {RGB(0, 0, 0), {kTitleRect, kLineRects[0]}}, // line 1 keeps the title's colour
        {RGB(0x00, 0x82, 0x00), {kLineRects[1]}},
        {RGB(0x55, 0x1A, 0x8B), {kLineRects[2]}},
        {RGB(0xEE, 0x00, 0x00), {kLineRects[3]}},
    };
    for (const Expected& e : expected) {
        SCOPED_TRACE(e.color);
        std::vector<int> inside(e.rects.size());
        int outside = 0;
        for (int y = PreviewRect.top; y < PreviewRect.bottom; ++y)
            for (int x = PreviewRect.left; x < PreviewRect.right; ++x) {
                if (shot->At(x, y) != e.color) continue;
                bool in = false;
                for (size_t i = 0; i < e.rects.size(); ++i)
                    if (Inside(e.rects[i], x, y)) {
                        ++inside[i];
                        in = true;
                        break;
                    }
                outside += !in;
            }
        for (int count : inside)
            EXPECT_GT(count, 20);
        EXPECT_EQ(outside, 0);
    }

    // The title is centred over its rectangle, in a bigger font than the lines.
    auto [left, right] = TitleInk(*shot);
    EXPECT_NEAR((left + right) / 2.0, (kTitleRect.left + kTitleRect.right) / 2.0, 3.0);
    auto inkRows = [&](int top, int bottom, COLORREF color) {
        int first = -1, last = -1;
        for (int y = top; y < bottom; ++y)
            for (int x = PreviewRect.left; x < PreviewRect.right; ++x)
                if (shot->At(x, y) == color) {
                    if (first < 0) first = y;
                    last = y;
                }
        return last - first;
    };
    EXPECT_GT(inkRows(kTitleRect.top, kTitleRect.bottom, RGB(0, 0, 0)),
              inkRows(kLineRects[0].top, kLineRects[1].top, RGB(0, 0, 0)));
}

TEST_F(PreviewTest, TilesRepeatTheBitmapFromThePageCornerAndAreCutAtItsRightAndBottom) {
    ShowBitmap(MakeBitmap(100, 50));
    auto shot = CaptureClient(Wnd());
    EXPECT_EQ(PageMismatchesOutsideText(*shot, Tile100x50), 0);
    // The twelve tile corners: columns 29, 129, 229, 329 and rows 293, 343, 393.
    for (int x : {29, 129, 229, 329})
        EXPECT_EQ(shot->At(x, 293), BitmapPixel(0, 0)) << x;
    for (int y : {293, 343, 393})
        EXPECT_EQ(shot->At(29, y), BitmapPixel(0, 0)) << y;
    // The last column is 58 wide and the last row 28 high; the frame beyond stays.
    EXPECT_EQ(shot->At(386, 293), BitmapPixel(57, 0));
    EXPECT_EQ(shot->At(29, 420), BitmapPixel(0, 27));
    EXPECT_EQ(shot->At(386, 420), BitmapPixel(57, 27));
    const COLORREF dark = ::GetSysColor(COLOR_3DDKSHADOW);
    EXPECT_EQ(shot->At(387, 300), dark);
    EXPECT_EQ(shot->At(100, 421), dark);
}

TEST_F(PreviewTest, AViewShowsThePagesPartOfAPictureAsItSeesItAndCopiesNoMoreOfIt) {
    Command(ID_VISION_PROTANOPIA);
    for (SIZE size : {SIZE{600, 300}, SIZE{100, 50}}) {
        SCOPED_TRACE(testing::Message() << size.cx << "x" << size.cy);
        ShowBitmap(MakeBitmap(size.cx, size.cy));
        auto shot = CaptureClient(Wnd());
        EXPECT_EQ(PageMismatchesOutsideText(
                      *shot,
                      [&](int x, int y) {
                          const COLORREF c = BitmapPixel((x - PreviewRect.left) % size.cx,
                                                         (y - PreviewRect.top) % size.cy);
                          const Rgb8 seen = UnpackRgb(
                              SimulateVision(Vision::Protanopia,
                                             PackRgb(GetRValue(c), GetGValue(c), GetBValue(c))));
                          return RGB(seen.red, seen.green, seen.blue);
                      }),
                  0);
        BITMAP copy{};
        ASSERT_TRUE(::GetObjectA(dlg->ShownBackground(), sizeof copy, &copy));
        EXPECT_LE(copy.bmWidth, std::min<LONG>(size.cx, 359));
        EXPECT_LE(copy.bmHeight, std::min<LONG>(size.cy, 129));
        Command(ID_TOOLS_SHOWBACKGROUNDS);
    }
}

TEST_F(PreviewTest, TilingGivesThePixelsOfOneCopyPerTileWithABoundedNumberOfCopies) {
    Command(ID_TOOLS_SHOWBACKGROUNDS);
    ASSERT_EQ(dlg->m_solidBackground, 0);
    // One copy per tile would take 45,824 copies for a single pixel.
    constexpr int kMaxCopies = 24;
    const SIZE sizes[] = {{1, 1}, {3, 7}, {100, 50}, {400, 200}, {358, 128}, {359, 1}, {2, 129}};
    for (SIZE size : sizes) {
        SCOPED_TRACE(testing::Message() << size.cx << "x" << size.cy);
        HBITMAP bitmap = MakeBitmap(size.cx, size.cy);
        dlg->SetBackgroundBitmap(bitmap);
        dlg->m_backgroundLoaded = 1;

        Canvas reference(kClientWidth, kClientHeight), tiled(kClientWidth, kClientHeight);
        reference.Fill(kSentinel);
        tiled.Fill(kSentinel);
        DrawTilesOneByOne(reference.dc(), bitmap);
        {
            GdiWatch watch;
            ASSERT_TRUE(watch.patched());
            CDC dc(tiled.dc());
            dlg->TileBackground(&dc);
            EXPECT_LE(g_gdi.blits, kMaxCopies);
            EXPECT_TRUE(g_gdi.live.empty());
        }
        int wrong = 0;
        for (int y = 0; y < kClientHeight; ++y)
            for (int x = 0; x < kClientWidth; ++x)
                wrong += tiled.At(x, y) != reference.At(x, y);
        EXPECT_EQ(wrong, 0);

        ::InvalidateRect(Wnd(), &PreviewRect, TRUE);
        auto shot = CaptureClient(Wnd());
        EXPECT_EQ(
            PageMismatchesOutsideText(*shot, [&](int x, int y) { return reference.At(x, y); }), 0);
    }
}

TEST_F(PreviewTest, WithoutAHeldBitmapThePageIsTheDefaultWhiteThatContrastIsCheckedAgainst) {
    const COLORREF window = RGB(0xFF, 0xFF, 0xFF);
    const COLORREF page = RGB(0xFF, 0xEB, 0xD7);
    Command(ID_TOOLS_SHOWBACKGROUNDS);
    ASSERT_EQ(dlg->m_backgroundLoaded, 0);
    for (int pos : {10, 20, 30}) {
        HScroll(IDC_BLUE_SLIDER, SB_THUMBTRACK, pos);
        auto shot = CaptureClient(Wnd());
        EXPECT_EQ(PageMismatchesOutsideText(*shot, [&](int, int) { return window; }), 0);
        EXPECT_EQ(CountInPage(*shot, page), 0);
    }

    // A failed load after a successful one: marked loaded, but nothing held.
    dlg->m_backgroundLoaded = 1;
    dlg->SetBackgroundBitmap(nullptr);
    ::InvalidateRect(Wnd(), &PreviewRect, TRUE);
    auto shot = CaptureClient(Wnd());
    EXPECT_EQ(PageMismatchesOutsideText(*shot, [&](int, int) { return window; }), 0);
}

TEST_F(PreviewTest, HidingBackgroundsFillsWithTheColourAndShowingThemTilesTheSameBitmapAgain) {
    ShowBitmap(MakeBitmap(100, 50));
    HScroll(IDC_RED_SLIDER, SB_THUMBTRACK, 7);
    Command(ID_TOOLS_SHOWBACKGROUNDS);
    auto shot = CaptureClient(Wnd());
    EXPECT_EQ(PageMismatchesOutsideText(*shot, [](int, int) { return RGB(7, 235, 215); }), 0);
    Command(ID_TOOLS_SHOWBACKGROUNDS);
    shot = CaptureClient(Wnd());
    EXPECT_EQ(PageMismatchesOutsideText(*shot, Tile100x50), 0);
    Command(ID_EDIT_RESETCOLORS);
    shot = CaptureClient(Wnd());
    EXPECT_EQ(PageMismatchesOutsideText(*shot, [](int, int) { return RGB(255, 235, 215); }), 0);
}

TEST_F(PreviewTest, MinimisedWindowDrawsOnlyItsIconCentredInTheClientArea) {
    ::ShowWindow(Wnd(), SW_MINIMIZE);
    Pump();
    ASSERT_TRUE(::IsIconic(Wnd()));
    g_iconErase = {};
    g_iconErase.next = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(Wnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RecordIconErase)));
    {
        GdiWatch watch;
        ASSERT_TRUE(watch.patched());
        // Wine gives a minimised window an empty client area, so the paint is asked for directly.
        ::SendMessageA(Wnd(), WM_PAINT, 0, 0);
        RECT client;
        ::GetClientRect(Wnd(), &client);
        ASSERT_EQ(client.right, 0);
        ASSERT_EQ(client.bottom, 0);
        ASSERT_EQ(::GetSystemMetrics(SM_CXICON), 32);
        ASSERT_EQ(::GetSystemMetrics(SM_CYICON), 32);
        ASSERT_EQ(g_gdi.icons.size(), 1u);
        EXPECT_EQ(g_gdi.icons[0].icon, dlg->m_hIcon);
        // Centred on an empty area: (0 - 32 + 1) / 2, the half truncated toward zero.
        EXPECT_EQ(g_gdi.icons[0].x, -15);
        EXPECT_EQ(g_gdi.icons[0].y, -15);
        EXPECT_EQ(g_gdi.icons[0].cx, 32); // at 96 DPI
        EXPECT_EQ(g_gdi.icons[0].cy, 32);
        EXPECT_EQ(g_iconErase.count, 1);
        EXPECT_EQ(g_iconErase.dc, reinterpret_cast<WPARAM>(g_gdi.icons[0].dc));
        EXPECT_EQ(g_iconErase.lParam, 0);
        EXPECT_EQ(g_gdi.texts + g_gdi.blits + g_gdi.fonts, 0);
    }
    ::SetWindowLongPtrW(Wnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_iconErase.next));

    ::ShowWindow(Wnd(), SW_RESTORE);
    Pump();
    auto shot = CaptureClient(Wnd());
    EXPECT_EQ(shot->At(PreviewRect.left, PreviewRect.top), RGB(0xFF, 0xEB, 0xD7));
}

TEST_F(PreviewTest, ChangeTitleOkDrawsTheNewTitleAndCancelChangesNothing) {
    auto before = CaptureClient(Wnd());
    const std::string tag = Tag();
    HRGN update = ::CreateRectRgn(0, 0, 0, 0);
    const POINT previewCentre = {(PreviewRect.left + PreviewRect.right) / 2,
                                 (PreviewRect.top + PreviewRect.bottom) / 2};

    g_title = {};
    g_title.owner = Wnd();
    g_title.typed = "Other";
    g_title.button = IDCANCEL;
    UINT_PTR timer = ::SetTimer(nullptr, 0, 50, AnswerTitle);
    Command(ID_EDIT_CHANGETITLE);
    ::KillTimer(nullptr, timer);
    EXPECT_EQ(g_title.prefilled, "Tintwright");
    EXPECT_TRUE(g_title.visible);
    EXPECT_TRUE(g_title.ownerDisabled);
    // The box stands clear of the page, so only the command could have invalidated it.
    RECT page = PreviewRect, overlap;
    ::MapWindowPoints(Wnd(), nullptr, reinterpret_cast<POINT*>(&page), 2);
    ASSERT_FALSE(::IntersectRect(&overlap, &page, &g_title.box));
    ::GetUpdateRgn(Wnd(), update, FALSE);
    EXPECT_FALSE(::PtInRegion(update, previewCentre.x, previewCentre.y));
    auto afterCancel = CaptureClient(Wnd());
    EXPECT_EQ(TitleInk(*afterCancel), TitleInk(*before));

    g_title = {};
    g_title.owner = Wnd();
    g_title.typed = "Tw";
    g_title.button = IDOK;
    timer = ::SetTimer(nullptr, 0, 50, AnswerTitle);
    Command(ID_EDIT_CHANGETITLE);
    ::KillTimer(nullptr, timer);
    ::GetUpdateRgn(Wnd(), update, FALSE);
    EXPECT_TRUE(::PtInRegion(update, previewCentre.x, previewCentre.y));
    auto afterOk = CaptureClient(Wnd());
    auto [left, right] = TitleInk(*afterOk);
    auto [oldLeft, oldRight] = TitleInk(*before);
    EXPECT_LT(right - left, (oldRight - oldLeft) / 2);
    EXPECT_NEAR((left + right) / 2.0, (oldLeft + oldRight) / 2.0, 3.0);
    EXPECT_EQ(Tag(), tag); // the title is not part of the tag

    // The box opens on the current title.
    g_title = {};
    g_title.owner = Wnd();
    g_title.button = IDCANCEL;
    timer = ::SetTimer(nullptr, 0, 50, AnswerTitle);
    Command(ID_EDIT_CHANGETITLE);
    ::KillTimer(nullptr, timer);
    EXPECT_EQ(g_title.prefilled, "Tw");
    ::DeleteObject(update);
}

TEST_F(PreviewTest, PaintsAndCommandsReleaseEveryGdiObjectTheyMake) {
    GdiWatch watch;
    ASSERT_TRUE(watch.patched());
    HBITMAP first = MakeBitmap(8, 8);
    HBITMAP second = MakeBitmap(3, 7);
    ShowBitmap(first);
    constexpr int kPaints = 40;
    for (int i = 0; i < kPaints; ++i) {
        HScroll(IDC_RED_SLIDER, SB_THUMBTRACK, i);
        ::UpdateWindow(Wnd());
    }
    // Two fonts per paint, and memory contexts for the tiles.
    EXPECT_GE(g_gdi.fonts, 2 * kPaints);
    EXPECT_GE(g_gdi.memoryDcs, kPaints);

    // A replaced bitmap is released at once.
    dlg->SetBackgroundBitmap(second);
    EXPECT_EQ(g_gdi.live.count(first), 0u);
    EXPECT_EQ(::GetObjectType(first), 0u);

    for (int id : {ID_TOOLS_SHOWBACKGROUNDS, ID_TOOLS_SHOWBACKGROUNDS, ID_EDIT_RESETCOLORS,
                   ID_TOOLS_COLORPICKER, ID_EDIT_COPYTAG}) {
        Command(id);
        ::UpdateWindow(Wnd());
    }
    ::InvalidateRect(Wnd(), nullptr, TRUE);
    ::UpdateWindow(Wnd());
    EXPECT_EQ(g_gdi.live, std::set<HGDIOBJ>{second});

    // The bitmap held when the window ends goes with it.
    dlg.reset();
    EXPECT_TRUE(g_gdi.live.empty());
    EXPECT_EQ(::GetObjectType(second), 0u);
}
