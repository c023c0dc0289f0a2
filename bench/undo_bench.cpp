// An undo and a redo beside the change that they take back and make again, under the real
// dialog with its Contrast window open: a slider's step (notification and SB_ENDSCROLL), Reset
// Colors and Fix All, each with the repaints that follow; medians over rounds in which every
// operation runs once, in turn, so that the load of the machine weighs on all alike.
// Usage: undo_bench [runs]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <iterator>
#include <vector>

#include "BenchTiming.h"
#include "app/SchemeApp.h"
#include "ui/ContrastDlg.h"
#include "ui/SchemeDlg.h"

namespace {
CSchemeApp g_app;

class BenchDlg : public CSchemeDlg {
public:
    void OpenContrast() { OnCheckContrast(); }
    HWND ContrastWindow() const { return m_contrast ? m_contrast->m_hWnd : nullptr; }
};

double Microseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    return 1e6 * static_cast<double>(to.QuadPart - from.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

} // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(10, std::atoi(argv[1])) : 200;
    AfxWinInit(::GetModuleHandleA(nullptr));
    BenchDlg dlg;
    g_app.m_pMainWnd = &dlg;
    if (!dlg.Create()) {
        std::fprintf(stderr, "undo_bench: the dialog could not be created\n");
        return 1;
    }
    const HWND wnd = dlg.m_hWnd;
    ::ShowWindow(wnd, SW_SHOW);
    dlg.OpenContrast(); // Fix All reports in it rather than in a message box
    ::SendMessageA(::GetDlgItem(wnd, IDC_TEXT_COLOR), BM_CLICK, 0, 0);
    const HWND green = ::GetDlgItem(wnd, IDC_GREEN_SLIDER);

    auto finish = [&] {
        ::UpdateWindow(wnd);
        ::UpdateWindow(dlg.ContrastWindow());
    };
    auto command = [&](int id) {
        ::SendMessageA(wnd, WM_COMMAND, MAKEWPARAM(id, 0), 0);
        finish();
    };
    int position = 0;
    // A green text that misses AA on the default background, so that Fix All has work.
    auto sliderStep = [&] {
        position = 120 + (position + 1) % 80;
        ::SendMessageA(wnd, WM_HSCROLL, MAKEWPARAM(SB_THUMBTRACK, position),
                       reinterpret_cast<LPARAM>(green));
        ::SendMessageA(wnd, WM_HSCROLL, MAKEWPARAM(SB_ENDSCROLL, 0),
                       reinterpret_cast<LPARAM>(green));
        finish();
    };
    const struct {
        const char* name;
        std::function<void()> run;
    } steps[] = {
        {"slider step", sliderStep},
        {"  its undo", [&] { command(ID_EDIT_UNDO); }},
        {"  its redo", [&] { command(ID_EDIT_REDO); }},
        {"Reset Colors", [&] { command(ID_EDIT_RESETCOLORS); }},
        {"  its undo", [&] { command(ID_EDIT_UNDO); }},
        {"  its redo", [&] { command(ID_EDIT_REDO); }},
        {"  undone again", [&] { command(ID_EDIT_UNDO); }},
        {"Fix All", [&] { command(IDC_CONTRAST_FIX_ALL); }},
        {"  its undo", [&] { command(ID_EDIT_UNDO); }},
        {"  its redo", [&] { command(ID_EDIT_REDO); }},
    };
    std::vector<std::vector<double>> times(std::size(steps));
    const int warmUp = runs / 10;
    for (int round = 0; round < warmUp + runs; ++round) {
        for (size_t i = 0; i < std::size(steps); ++i) {
            LARGE_INTEGER start, end;
            ::QueryPerformanceCounter(&start);
            steps[i].run();
            ::QueryPerformanceCounter(&end);
            if (round >= warmUp) times[i].push_back(Microseconds(start, end));
        }
    }
    std::printf("Median of %d rounds, with the Contrast window open:\n", runs);
    std::printf("  %-16s %12s %18s\n", "operation", "time (us)", "to the change");
    double change = 0;
    for (size_t i = 0; i < std::size(steps); ++i) {
        const double median = Median(times[i]);
        if (steps[i].name[0] != ' ') change = median;
        std::printf("  %-16s %12.1f %18.2f\n", steps[i].name, median, median / change);
    }
    return 0;
}
