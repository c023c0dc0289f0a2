// Tools > Pick from Screen: from a pointer move to the loupe drawn, beside a bare window of the
// loupe's size that copies the same screen pixels, magnified as much, on each move. Both take
// the same moves, in turns, in one run: steps of a few pixels, as a hand moves the pointer, then
// jumps to points anywhere. Each move is a WM_MOUSEMOVE sent to the window, timed until its
// drawing has been handed to the system (GdiFlush). Prints each one's median and their ratio.
// Usage: picker_bench [moves]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "BenchTiming.h"
#include "ui/ScreenPicker.h"

namespace {
constexpr int kDefaultMoves = 2000;
// The largest step of a hand-moved pointer between two moves, in pixels each way.
constexpr int kStep = 4;
constexpr wchar_t kBareClass[] = L"PickerBenchBare";

int g_bareZoom = 1;

// The reference: on each move, the screen's pixels around the point copied magnified, as the
// loupe shows them, straight from the screen.
LRESULT CALLBACK BareProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_MOUSEMOVE) return ::DefWindowProcW(wnd, message, wParam, lParam);
    const int x = static_cast<short>(LOWORD(lParam)), y = static_cast<short>(HIWORD(lParam));
    const int cells = CScreenPicker::kCells, half = cells / 2;
    HDC screen = ::GetDC(nullptr);
    HDC dc = ::GetDC(wnd);
    ::SetStretchBltMode(dc, COLORONCOLOR);
    ::StretchBlt(dc, 1, 1, cells * g_bareZoom, cells * g_bareZoom, screen, x - half, y - half,
                 cells, cells, SRCCOPY);
    ::ReleaseDC(wnd, dc);
    ::ReleaseDC(nullptr, screen);
    return 0;
}

double Time(HWND wnd, LPARAM point) {
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    ::SendMessageW(wnd, WM_MOUSEMOVE, 0, point);
    ::GdiFlush();
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}
} // namespace

int main(int argc, char** argv) {
    const int moves = argc > 1 ? std::max(1, std::atoi(argv[1])) : kDefaultMoves;
    CPhysicalPixelsScope physical;
    CScreenPicker picker;
    if (!picker.Open(nullptr)) {
        std::fprintf(stderr, "the picker could not take the screen\n");
        return 1;
    }
    const SIZE loupe = picker.LoupeSize();
    g_bareZoom = (loupe.cx - 2) / CScreenPicker::kCells;
    WNDCLASSW bareClass{};
    bareClass.lpfnWndProc = BareProc;
    bareClass.hInstance = ::GetModuleHandleW(nullptr);
    bareClass.lpszClassName = kBareClass;
    ::RegisterClassW(&bareClass);
    HWND bare = ::CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kBareClass, L"bare",
                                  WS_POPUP | WS_VISIBLE, 0, 0, loupe.cx, loupe.cy, nullptr, nullptr,
                                  bareClass.hInstance, nullptr);
    Pump();

    const int left = ::GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int top = ::GetSystemMetrics(SM_YVIRTUALSCREEN);
    const int width = ::GetSystemMetrics(SM_CXVIRTUALSCREEN);
    const int height = ::GetSystemMetrics(SM_CYVIRTUALSCREEN);
    std::printf("screen %dx%d, loupe %ldx%ld, %d moves of each kind\n", width, height, loupe.cx,
                loupe.cy, moves);
    for (const bool jumps : {false, true}) {
        std::vector<double> loupeTimes, bareTimes;
        unsigned seed = 12345;
        auto next = [&seed](int range) {
            seed = seed * 1103515245 + 12345;
            return static_cast<int>((seed >> 8) % static_cast<unsigned>(range));
        };
        int x = width / 2, y = height / 2;
        for (int i = 0; i < moves; ++i) {
            if (jumps) {
                x = next(width);
                y = next(height);
            } else {
                x = std::clamp(x + next(2 * kStep + 1) - kStep, 0, width - 1);
                y = std::clamp(y + next(2 * kStep + 1) - kStep, 0, height - 1);
            }
            const LPARAM client = MAKELPARAM(x, y);
            const LPARAM screen = MAKELPARAM(x + left, y + top);
            // In turns, the first changing each move, so that neither always follows the other.
            if (i % 2) {
                loupeTimes.push_back(Time(picker.Window(), client));
                bareTimes.push_back(Time(bare, screen));
            } else {
                bareTimes.push_back(Time(bare, screen));
                loupeTimes.push_back(Time(picker.Window(), client));
            }
            if (i % 50 == 0) Pump();
        }
        const double loupeMedian = Median(loupeTimes), bareMedian = Median(bareTimes);
        std::printf("%s: loupe drawn after a move, median %.1f us; bare window copying the "
                    "screen, median %.1f us; ratio %.2f (goal at most 1.2)\n",
                    jumps ? "jumps" : "steps", loupeMedian, bareMedian, loupeMedian / bareMedian);
    }
    ::DestroyWindow(bare);
    return 0;
}
