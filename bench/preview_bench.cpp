// Cost of repainting the sample page under the real dialog: a slider notification with its
// repaint, and page repaints with the solid fill and with tiles of several sizes, each as a
// median over many runs and as a ratio to the solid-fill repaint measured in the same run.
// Usage: preview_bench [runs]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include "app/SchemeApp.h"
#include "ui/SchemeDlg.h"

namespace {
CSchemeApp g_app;

class BenchDlg : public CSchemeDlg {
public:
    // Paints with the solid fill, or tiles bitmap (borrowed: given back by UseSolidFill).
    void UseSolidFill() {
        m_solidBackground = MF_CHECKED;
        m_hBackground = nullptr;
        m_backgroundLoaded = 0;
    }
    void UseTiles(HBITMAP bitmap) {
        m_solidBackground = 0;
        m_hBackground = bitmap;
        m_backgroundLoaded = 1;
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

void Pump() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}
} // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(10, std::atoi(argv[1])) : 300;
    AfxWinInit(::GetModuleHandleA(nullptr));
    BenchDlg dlg;
    g_app.m_pMainWnd = &dlg;
    if (!dlg.Create()) {
        std::fprintf(stderr, "preview_bench: the dialog could not be created\n");
        return 1;
    }
    const HWND wnd = dlg.m_hWnd;
    ::ShowWindow(wnd, SW_SHOW);
    Pump();
    const HWND green = ::GetDlgItem(wnd, IDC_GREEN_SLIDER);

    int position = 0;
    auto slider = [&] {
        position = (position + 1) % 256;
        ::SendMessageA(wnd, WM_HSCROLL, MAKEWPARAM(SB_THUMBTRACK, position),
                       reinterpret_cast<LPARAM>(green));
        ::UpdateWindow(wnd);
    };
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
    for (HBITMAP bitmap : bitmaps)
        ::DeleteObject(bitmap);

    std::printf("Sample page repaint under the real dialog, median of %d runs\n", runs);
    std::printf("%-44s %12s %10s\n", "operation", "median (us)", "x solid");
    for (size_t i = 0; i < rows.size(); ++i)
        std::printf("%-44s %12.1f %10.2f\n", rows[i].name, medians[i], medians[i] / medians[0]);
    std::fflush(stdout);
    g_app.m_pMainWnd = nullptr;
    return 0;
}
