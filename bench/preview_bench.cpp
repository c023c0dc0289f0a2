// Cost of repainting the sample page under the real dialog: a slider notification with its
// repaint, and page repaints with the solid fill and with tiles of several sizes, each as a
// median over many runs and as a ratio to the solid-fill repaint measured in the same run.
// The slider notification is also timed on a second main window whose Contrast window is open,
// with the solid fill and with a 64 Mi-pixel picture shown, beside the same on the first
// window; the picture's one-time work (its colours' luminances) is timed beside reading its
// pixels alone.
// Usage: preview_bench [runs] [views] (views: only the slider in Normal and simulated view)
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "BenchTiming.h"
#include "app/SchemeApp.h"
#include "ui/ContrastDlg.h"
#include "ui/SchemeDlg.h"

namespace {
CSchemeApp g_app;

// A side of the big picture: 8192 by 8192 is 64 Mi pixels, the most that ImgLib decodes.
constexpr int kBigSide = 8192;
constexpr int kOneTimeRuns = 3;

class BenchDlg : public CSchemeDlg {
public:
    // Paints with the solid fill, or tiles bitmap (borrowed: given back by UseSolidFill), with
    // Show Backgrounds? checked as the command would.
    void UseSolidFill() { Use(nullptr); }
    void UseTiles(HBITMAP bitmap) { Use(bitmap); }
    void UseRole(ColorRole role) { m_currentRole = role; }
    void UseVision(Vision view) { SetVision(view); }
    void OpenContrast() { OnCheckContrast(); }
    HWND ContrastWindow() const { return m_contrast ? m_contrast->m_hWnd : nullptr; }

private:
    void Use(HBITMAP bitmap) {
        m_solidBackground = bitmap ? 0 : MF_CHECKED;
        ToolsMenu().CheckMenuItem(kShowBackgroundsPos,
                                  MF_BYPOSITION | (bitmap ? MF_CHECKED : MF_UNCHECKED));
        m_picture.Replace(bitmap, false);
        m_hBackground = bitmap;
        m_backgroundLoaded = bitmap ? 1 : 0;
    }
};

HBITMAP MakeBitmap(int width, int height) {
    HDC screen = ::GetDC(nullptr);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, width, height);
    HDC memory = ::CreateCompatibleDC(screen);
    HGDIOBJ previous = ::SelectObject(memory, bitmap);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            ::SetPixel(memory, x, y, RGB(x * 7, y * 13, (x ^ y) * 5));
    ::SelectObject(memory, previous);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return bitmap;
}

// A picture of nearly every 24-bit colour, scattered, filled a band at a time.
HBITMAP MakeManyColourBitmap(int side) {
    HDC screen = ::GetDC(nullptr);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, side, side);
    if (bitmap) {
        constexpr int kBandRows = 256;
        std::vector<uint32_t> band(static_cast<size_t>(side) * kBandRows);
        BITMAPINFO format{};
        format.bmiHeader = {sizeof format.bmiHeader, side, side, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        for (int first = 0; first < side; first += kBandRows) {
            for (int y = 0; y < kBandRows; ++y)
                for (int x = 0; x < side; ++x)
                    band[static_cast<size_t>(y) * side + x] =
                        (static_cast<uint32_t>(x) * 0x9E3779B1u ^
                         static_cast<uint32_t>(first + y) * 0x85EBCA77u) >>
                        8;
            ::SetDIBits(screen, bitmap, first, kBandRows, band.data(), &format, DIB_RGB_COLORS);
        }
    }
    ::ReleaseDC(nullptr, screen);
    return bitmap;
}

// Reads every pixel of bitmap as ReadPictureLuminances does, and does nothing with them.
bool ReadPixelsOnly(HBITMAP bitmap, int side) {
    HDC screen = ::GetDC(nullptr);
    const int bandRows = static_cast<int>((4u << 20) / static_cast<unsigned>(side));
    std::vector<uint32_t> band(static_cast<size_t>(side) * bandRows);
    BITMAPINFO format{};
    format.bmiHeader = {sizeof format.bmiHeader, side, side, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    bool read = true;
    for (int first = 0; read && first < side; first += bandRows)
        read = ::GetDIBits(screen, bitmap, first, bandRows, band.data(), &format, DIB_RGB_COLORS) ==
               bandRows;
    ::ReleaseDC(nullptr, screen);
    return read;
}

double Microseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return f;
    }();
    return 1e6 * static_cast<double>(to.QuadPart - from.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

// Times every operation once per round, round after round, so that a change in the load of
// the machine weighs on all of them alike; returns each operation's median.
std::vector<double> InterleavedMedians(const std::vector<std::function<void()>>& operations,
                                       int rounds) {
    std::vector<std::vector<double>> times(operations.size());
    const int warmUp = rounds / 10;
    for (int round = 0; round < warmUp + rounds; ++round)
        for (size_t i = 0; i < operations.size(); ++i) {
            LARGE_INTEGER start, end;
            ::QueryPerformanceCounter(&start);
            operations[i]();
            ::QueryPerformanceCounter(&end);
            if (round >= warmUp) times[i].push_back(Microseconds(start, end));
        }
    std::vector<double> medians;
    for (std::vector<double>& t : times) {
        std::sort(t.begin(), t.end());
        medians.push_back(t[t.size() / 2]);
    }
    return medians;
}

} // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(10, std::atoi(argv[1])) : 300;
    AfxWinInit(::GetModuleHandleA(nullptr));
    BenchDlg dlg;
    g_app.m_pMainWnd = &dlg;
    // The second main window, with its Contrast window open, in the screen's corner beside the
    // first, so that neither covers the other.
    BenchDlg contrastDlg;
    if (!dlg.Create() || !contrastDlg.Create()) {
        std::fprintf(stderr, "preview_bench: the dialog could not be created\n");
        return 1;
    }
    const HWND wnd = dlg.m_hWnd;
    ::ShowWindow(wnd, SW_SHOW);
    ::SetWindowPos(contrastDlg.m_hWnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ::ShowWindow(contrastDlg.m_hWnd, SW_SHOW);
    contrastDlg.OpenContrast();
    Pump();
    const HWND green = ::GetDlgItem(wnd, IDC_GREEN_SLIDER);

    int position = 0;
    // A thumb move of the green slider of dialog's current role, with all that it repaints.
    auto sliderOf = [&](BenchDlg& dialog) {
        position = (position + 1) % 256;
        ::SendMessageA(dialog.m_hWnd, WM_HSCROLL, MAKEWPARAM(SB_THUMBTRACK, position),
                       reinterpret_cast<LPARAM>(::GetDlgItem(dialog.m_hWnd, IDC_GREEN_SLIDER)));
        ::UpdateWindow(dialog.m_hWnd);
        if (HWND contrast = dialog.ContrastWindow()) ::UpdateWindow(contrast);
    };
    auto slider = [&] { sliderOf(dlg); };
    // The same notification with the page's part taken out: what the controls cost.
    auto sliderWithoutPage = [&] {
        position = (position + 1) % 256;
        ::SendMessageA(wnd, WM_HSCROLL, MAKEWPARAM(SB_THUMBTRACK, position),
                       reinterpret_cast<LPARAM>(green));
        ::ValidateRect(wnd, &PreviewRect);
        ::UpdateWindow(wnd);
    };
    auto repaint = [&] {
        ::InvalidateRect(wnd, &PreviewRect, TRUE);
        ::UpdateWindow(wnd);
    };
    // One copy per tile straight to the window: what the tiles would cost without doubling.
    auto perTile = [&](HBITMAP perTileBitmap) {
        HDC window = ::GetDC(wnd);
        HDC source = ::CreateCompatibleDC(window);
        HGDIOBJ previous = ::SelectObject(source, perTileBitmap);
        BITMAP info;
        ::GetObjectA(perTileBitmap, sizeof info, &info);
        for (int y = PreviewRect.top; y < PreviewRect.bottom; y += info.bmHeight)
            for (int x = PreviewRect.left; x < PreviewRect.right; x += info.bmWidth)
                ::BitBlt(window, x, y, std::min<int>(info.bmWidth, PreviewRect.right - x),
                         std::min<int>(info.bmHeight, PreviewRect.bottom - y), source, 0, 0,
                         SRCCOPY);
        ::SelectObject(source, previous);
        ::DeleteDC(source);
        ::ReleaseDC(wnd, window);
    };

    static const SIZE kSizes[] = {{1, 1}, {8, 8}, {100, 50}, {400, 200}};
    std::vector<HBITMAP> bitmaps;
    for (SIZE size : kSizes)
        bitmaps.push_back(MakeBitmap(size.cx, size.cy));
    // The text slider's notification with the Contrast window open, in Normal view and as
    // protanopia sees it: two more main windows, one per view, one above the other while the
    // first two are hidden, their notifications interleaved so that the load weighs on both
    // alike. The picture's simulated copy and luminances are made before the timing.
    {
        BenchDlg normalDlg, protanDlg;
        if (!normalDlg.Create() || !protanDlg.Create()) {
            std::fprintf(stderr, "preview_bench: the dialogs could not be created\n");
            return 1;
        }
        const HWND hidden[3] = {wnd, contrastDlg.m_hWnd, contrastDlg.ContrastWindow()};
        for (HWND window : hidden)
            ::ShowWindow(window, SW_HIDE);
        RECT frame;
        ::GetWindowRect(normalDlg.m_hWnd, &frame);
        ::SetWindowPos(normalDlg.m_hWnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        ::SetWindowPos(protanDlg.m_hWnd, nullptr, 0, frame.bottom - frame.top, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER);
        for (BenchDlg* viewDlg : {&normalDlg, &protanDlg}) {
            ::ShowWindow(viewDlg->m_hWnd, SW_SHOW);
            viewDlg->OpenContrast();
            viewDlg->UseRole(RoleText);
        }
        protanDlg.UseVision(Vision::Protanopia);
        for (BenchDlg* viewDlg : {&normalDlg, &protanDlg}) {
            viewDlg->UseTiles(bitmaps[3]);
            sliderOf(*viewDlg);
        }
        Pump();
        const auto sliderWith = [&](BenchDlg& viewDlg, HBITMAP picture) {
            return [&viewDlg, picture, &sliderOf] {
                viewDlg.UseTiles(picture);
                sliderOf(viewDlg);
            };
        };
        const std::vector<double> viewMedians = InterleavedMedians(
            {sliderWith(normalDlg, nullptr), sliderWith(protanDlg, nullptr),
             sliderWith(normalDlg, bitmaps[3]), sliderWith(protanDlg, bitmaps[3])},
            runs);
        std::printf("\nText slider notification + repaint, Contrast open, median of %d:\n", runs);
        std::printf("  %-16s %12s %12s %14s\n", "page", "normal (us)", "protan (us)",
                    "protan/normal");
        const char* pages[2] = {"solid fill", "tiles 400x200"};
        for (int p = 0; p < 2; ++p)
            std::printf("  %-16s %12.1f %12.1f %14.2f\n", pages[p], viewMedians[2 * p],
                        viewMedians[2 * p + 1], viewMedians[2 * p + 1] / viewMedians[2 * p]);
        for (BenchDlg* viewDlg : {&normalDlg, &protanDlg})
            viewDlg->UseSolidFill();
        for (HWND window : hidden)
            ::ShowWindow(window, SW_SHOWNA);
        Pump();
    }
    if (argc > 2 && std::string(argv[2]) == "views") {
        contrastDlg.UseSolidFill();
        for (HBITMAP bitmap : bitmaps)
            ::DeleteObject(bitmap);
        g_app.m_pMainWnd = nullptr;
        return 0;
    }

    const HBITMAP big = MakeManyColourBitmap(kBigSide);
    if (!big) {
        std::fprintf(stderr, "preview_bench: no memory for the %d by %d picture\n", kBigSide,
                     kBigSide);
        return 1;
    }

    // The picture's one-time work, beside reading its pixels alone, alternating.
    std::vector<double> oneTime, readOnly;
    size_t luminanceCount = 0;
    for (int run = 0; run < kOneTimeRuns; ++run) {
        LARGE_INTEGER start, end;
        ::QueryPerformanceCounter(&start);
        ReadPixelsOnly(big, kBigSide);
        ::QueryPerformanceCounter(&end);
        readOnly.push_back(Microseconds(start, end));
        CPagePicture picture;
        picture.Replace(big, false);
        ::QueryPerformanceCounter(&start);
        const PageLuminances* luminances = picture.Luminances(Vision::Normal);
        ::QueryPerformanceCounter(&end);
        oneTime.push_back(Microseconds(start, end));
        luminanceCount = luminances ? luminances->luminances.size() : 0;
    }
    std::sort(oneTime.begin(), oneTime.end());
    std::sort(readOnly.begin(), readOnly.end());
    // The Contrast window works the picture out once, here, before any notification is timed.
    contrastDlg.UseTiles(big);
    contrastDlg.UseRole(RoleText);
    sliderOf(contrastDlg);

    struct Row {
        const char* name;
        std::function<void()> operation;
    };
    // The solid-fill repaint comes first: it is the reference of every ratio.
    std::vector<Row> rows = {
        {"page repaint, solid fill",
         [&] {
             dlg.UseSolidFill();
             repaint();
         }},
        {"slider notification + repaint (solid)",
         [&] {
             dlg.UseSolidFill();
             slider();
         }},
        {"page repaint, tiles 1x1",
         [&] {
             dlg.UseTiles(bitmaps[0]);
             repaint();
         }},
        {"page repaint, tiles 8x8",
         [&] {
             dlg.UseTiles(bitmaps[1]);
             repaint();
         }},
        {"page repaint, tiles 100x50",
         [&] {
             dlg.UseTiles(bitmaps[2]);
             repaint();
         }},
        {"page repaint, tiles 400x200",
         [&] {
             dlg.UseTiles(bitmaps[3]);
             repaint();
         }},
        {"slider notification + repaint (tiles 1x1)",
         [&] {
             dlg.UseTiles(bitmaps[0]);
             slider();
         }},
        {"slider notification, page not repainted", [&] { sliderWithoutPage(); }},
        {"slider notification + repaint (solid), Contrast open",
         [&] {
             contrastDlg.UseSolidFill();
             contrastDlg.UseRole(RoleBackground);
             sliderOf(contrastDlg);
         }},
        {"text slider + repaint, 64 Mi-pixel picture",
         [&] {
             dlg.UseTiles(big);
             dlg.UseRole(RoleText);
             slider();
             dlg.UseRole(RoleBackground);
         }},
        {"text slider + repaint, 64 Mi-pixel, Contrast open",
         [&] {
             contrastDlg.UseTiles(big);
             contrastDlg.UseRole(RoleText);
             sliderOf(contrastDlg);
         }},
    };
    std::vector<std::function<void()>> operations;
    for (const Row& row : rows)
        operations.push_back(row.operation);
    std::vector<double> medians = InterleavedMedians(operations, runs);

    // For comparison only, fewer runs: the program never copies tile by tile.
    std::vector<Row> perTileRows = {
        {"one copy per tile, 1x1 (45,824 copies)", [&] { perTile(bitmaps[0]); }},
        {"one copy per tile, 8x8 (720 copies)", [&] { perTile(bitmaps[1]); }},
    };
    operations.clear();
    for (const Row& row : perTileRows)
        operations.push_back(row.operation);
    std::vector<double> perTileMedians = InterleavedMedians(operations, std::max(10, runs / 10));
    rows.insert(rows.end(), perTileRows.begin(), perTileRows.end());
    medians.insert(medians.end(), perTileMedians.begin(), perTileMedians.end());

    dlg.UseSolidFill();
    contrastDlg.UseSolidFill();
    for (HBITMAP bitmap : bitmaps)
        ::DeleteObject(bitmap);
    ::DeleteObject(big);

    std::printf("Sample page repaint under the real dialog, median of %d runs\n", runs);
    std::printf("%-52s %12s %10s\n", "operation", "median (us)", "x solid");
    for (size_t i = 0; i < rows.size(); ++i)
        std::printf("%-52s %12.1f %10.2f\n", rows[i].name, medians[i], medians[i] / medians[0]);
    const auto row = [&](const char* name) {
        for (size_t i = 0; i < rows.size(); ++i)
            if (std::string(rows[i].name) == name) return medians[i];
        return 0.0;
    };
    std::printf("\nContrast window open / not open, same notification:\n");
    std::printf("  solid fill      %.2f\n",
                row("slider notification + repaint (solid), Contrast open") /
                    row("slider notification + repaint (solid)"));
    std::printf("  64 Mi pixels    %.2f\n",
                row("text slider + repaint, 64 Mi-pixel, Contrast open") /
                    row("text slider + repaint, 64 Mi-pixel picture"));
    std::printf("\nOnce per picture, %d by %d, %zu distinct luminances, median of %d:\n", kBigSide,
                kBigSide, luminanceCount, kOneTimeRuns);
    std::printf("  reading its pixels alone            %10.1f ms\n",
                readOnly[readOnly.size() / 2] / 1000);
    std::printf("  its colours' sorted luminances      %10.1f ms (%.2f x reading)\n",
                oneTime[oneTime.size() / 2] / 1000,
                oneTime[oneTime.size() / 2] / readOnly[readOnly.size() / 2]);
    std::fflush(stdout);
    g_app.m_pMainWnd = nullptr;
    return 0;
}
