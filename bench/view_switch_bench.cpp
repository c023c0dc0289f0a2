// What a colour-vision view costs over a large picture: the main window with its Contrast window
// open is shown a picture of kSide by kSide pixels, and the Normal view's first Contrast refresh
// of it (its colours read, their luminances worked out, the figures shown) is the reference of
// the same run for each switch to a view and back (the page's part of the picture as the view
// shows it, the colours' luminances in that view, the figures), in time and in the process's
// private memory. Usage: view_switch_bench [side] (at most 8192, 64 Mi pixels)
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "BenchTiming.h"
#include "app/SchemeApp.h"
#include "ui/ContrastDlg.h"
#include "ui/SchemeDlg.h"

namespace {
CSchemeApp g_app;

class BenchDlg : public CSchemeDlg {
public:
    // Shows bitmap (borrowed) as the page's picture and brings the Contrast window up to date.
    void ShowPicture(HBITMAP bitmap) {
        m_solidBackground = 0;
        ToolsMenu().CheckMenuItem(kShowBackgroundsPos, MF_BYPOSITION | MF_CHECKED);
        m_picture.Replace(bitmap, false);
        m_hBackground = bitmap;
        m_backgroundLoaded = 1;
        Refresh(RefreshScope::CurrentRole);
    }
    void DropPicture() { m_picture.Replace(nullptr); }
    void UseVision(Vision view) { SetVision(view); }
    void OpenContrast() { OnCheckContrast(); }
    HWND ContrastWindow() const { return m_contrast ? m_contrast->m_hWnd : nullptr; }
};

// A photograph's worth of colours: smooth gradients with noise, as a camera gives them.
HBITMAP MakePicture(int side) {
    HDC screen = ::GetDC(nullptr);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, side, side);
    if (bitmap) {
        constexpr int kBandRows = 256;
        std::vector<uint32_t> band(static_cast<size_t>(side) * kBandRows);
        BITMAPINFO format{};
        format.bmiHeader = {sizeof format.bmiHeader, side, side, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        uint32_t noise = 12345;
        for (int first = 0; first < side; first += kBandRows) {
            for (int y = 0; y < kBandRows; ++y) {
                for (int x = 0; x < side; ++x) {
                    noise = noise * 1664525u + 1013904223u;
                    const int n = static_cast<int>(noise >> 28) - 8;
                    const int r = std::clamp(x * 255 / side + n, 0, 255);
                    const int g = std::clamp((first + y) * 255 / side - n, 0, 255);
                    const int b = std::clamp((x + first + y) * 127 / side + n, 0, 255);
                    band[static_cast<size_t>(y) * side + x] =
                        static_cast<uint32_t>(r << 16 | g << 8 | b);
                }
            }
            ::SetDIBits(screen, bitmap, first, kBandRows, band.data(), &format, DIB_RGB_COLORS);
        }
    }
    ::ReleaseDC(nullptr, screen);
    return bitmap;
}

double PrivateMiB() {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    ::GetProcessMemoryInfo(::GetCurrentProcess(),
                           reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters);
    // Wine leaves PrivateUsage at 0; the commit charge stands for it there.
    const SIZE_T bytes = counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
    return static_cast<double>(bytes) / (1 << 20);
}

// Runs step with the windows repainted after it: its milliseconds.
template <typename Step> double Timed(BenchDlg& dlg, Step step) {
    LARGE_INTEGER start, end;
    ::QueryPerformanceCounter(&start);
    step();
    ::UpdateWindow(dlg.m_hWnd);
    if (HWND contrast = dlg.ContrastWindow()) ::UpdateWindow(contrast);
    ::QueryPerformanceCounter(&end);
    return Milliseconds(start, end);
}
} // namespace

int main(int argc, char** argv) {
    const int side = argc > 1 ? std::clamp(std::atoi(argv[1]), 64, 8192) : 8192;
    AfxWinInit(::GetModuleHandleA(nullptr));
    BenchDlg dlg;
    g_app.m_pMainWnd = &dlg;
    if (!dlg.Create()) {
        std::fprintf(stderr, "view_switch_bench: the dialog could not be created\n");
        return 1;
    }
    ::ShowWindow(dlg.m_hWnd, SW_SHOW);
    dlg.OpenContrast();
    Pump();
    const HBITMAP picture = MakePicture(side);
    if (!picture) {
        std::fprintf(stderr, "view_switch_bench: no memory for the picture\n");
        return 1;
    }
    const RECT page = ScaleForDialog(dlg.m_hWnd, PreviewRect);
    const double pageMiB = 4.0 * (page.right - page.left) * (page.bottom - page.top) / (1 << 20);

    const double before = PrivateMiB();
    const double first = Timed(dlg, [&] { dlg.ShowPicture(picture); });
    const double normal = PrivateMiB();
    std::printf("%d by %d picture; the sample page %ld by %ld pixels (%.2f MiB at 4 bytes)\n", side,
                side, page.right - page.left, page.bottom - page.top, pageMiB);
    std::printf("%-36s %9.1f ms  %6.2f x   private %8.1f MiB (%+.2f MiB)\n",
                "Normal view, first Contrast refresh", first, 1.0, normal, normal - before);
    const Vision views[] = {Vision::Protanopia, Vision::Deuteranopia, Vision::Tritanopia,
                            Vision::Achromatopsia};
    double worstTime = 0, worstMemory = -1e9;
    for (Vision view : views) {
        const double took = Timed(dlg, [&] { dlg.UseVision(view); });
        const double memory = PrivateMiB();
        worstTime = std::max(worstTime, took / first);
        worstMemory = std::max(worstMemory, memory - normal);
        std::printf(
            "switch to %-26s %9.1f ms  %6.2f x   private %8.1f MiB (%+.2f MiB over Normal)\n",
            VisionName(view), took, took / first, memory, memory - normal);
        const double back = Timed(dlg, [&] { dlg.UseVision(Vision::Normal); });
        std::printf("  and back to Normal %25.1f ms  %6.2f x\n", back, back / first);
    }
    std::printf("worst switch %.2f x the first refresh (goal 1.2); worst memory over Normal "
                "%+.2f MiB (goal %.2f MiB, the page)\n",
                worstTime, worstMemory, pageMiB);
    dlg.DropPicture();
    ::DeleteObject(picture);
    g_app.m_pMainWnd = nullptr;
    return 0;
}
