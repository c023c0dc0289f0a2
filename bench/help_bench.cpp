// The time from F1 to the help window, beside the time from About to the About box in the same
// run: each run starts Tintwright.exe afresh (HTML Help loads on the first F1), sends the About
// command and then the help command to its main window as the menu does, and waits for the
// window that each opens, shown with nothing left to paint; the help window also with its
// contents tree filled. Runs alternate the two in one program; medians are printed.
// Usage: help_bench [runs]   (from build/win/bin, beside Tintwright.chm, under Wine with a display)
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>

#include "ProgramRuns.h"
#include "res/resource.h"

namespace {

constexpr char kMainTitle[] = " Tintwright 2.0";
constexpr char kAboutTitle[] = "About TWR 2.0";
constexpr char kHelpTitle[] = "Tintwright Help";
constexpr int kDefaultRuns = 9;

// The first visible tree view among the window's descendants, or nullptr.
HWND TreeViewOf(HWND hwnd) {
    HWND found = nullptr;
    ::EnumChildWindows(
        hwnd,
        [](HWND child, LPARAM param) -> BOOL {
            char name[64] = {};
            ::GetClassNameA(child, name, sizeof name);
            if (!::IsWindowVisible(child) || std::string(name) != WC_TREEVIEWA) return TRUE;
            *reinterpret_cast<HWND*>(param) = child;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// Sends command to the main window and waits until the window titled title is shown, painted
// and, if asked, has a filled tree view; its handle, or nullptr after the time limit.
HWND TimeCommand(DWORD pid, HWND mainWindow, UINT command, const char* title, bool withTree,
                 double& milliseconds) {
    LARGE_INTEGER start;
    ::QueryPerformanceCounter(&start);
    ::PostMessageA(mainWindow, WM_COMMAND, MAKEWPARAM(command, 0), 0);
    while (MillisecondsSince(start) < kProgramTimeoutMs) {
        HWND window = FindVisibleWindow(pid, title);
        HWND tree = window && withTree ? TreeViewOf(window) : nullptr;
        if (window && NothingLeftToPaint(window) &&
            (!withTree || (tree && ::SendMessageA(tree, TVM_GETCOUNT, 0, 0) > 0))) {
            milliseconds = MillisecondsSince(start);
            return window;
        }
        ::Sleep(0);
    }
    std::fprintf(stderr, "no \"%s\" window within the time limit\n", title);
    return nullptr;
}

bool Measure(const std::string& exe, double& about, double& help) {
    PROCESS_INFORMATION process = {};
    if (!StartProgram(exe, process)) return false;
    ::WaitForInputIdle(process.hProcess, kProgramTimeoutMs);
    LARGE_INTEGER start;
    ::QueryPerformanceCounter(&start);
    HWND mainWindow = nullptr;
    while (!mainWindow && MillisecondsSince(start) < kProgramTimeoutMs) {
        mainWindow = FindVisibleWindow(process.dwProcessId, kMainTitle);
        ::Sleep(0);
    }
    bool done = false;
    if (HWND box = mainWindow ? TimeCommand(process.dwProcessId, mainWindow, ID_HELP_ABOUT,
                                            kAboutTitle, false, about)
                              : nullptr) {
        ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, 0), 0);
        while (::IsWindow(box) && MillisecondsSince(start) < kProgramTimeoutMs)
            ::Sleep(0);
        done = TimeCommand(process.dwProcessId, mainWindow, ID_HELP, kHelpTitle, true, help);
    }
    EndProgram(process, mainWindow);
    return done;
}

} // namespace

int main(int argc, char** argv) {
    int runs = argc > 1 ? std::atoi(argv[1]) : kDefaultRuns;
    if (runs < 1) runs = kDefaultRuns;
    const std::string exe = ProgramFolder() + "Tintwright.exe";
    std::vector<double> abouts, helps;
    // One unmeasured run first: the first start after a build loads files from disk.
    for (int i = -1; i < runs; ++i) {
        double about = 0, help = 0;
        if (!Measure(exe, about, help)) return 1;
        if (i < 0) continue;
        abouts.push_back(about);
        helps.push_back(help);
    }
    std::printf("Command to its window shown, median of %d runs, each in a fresh program:\n", runs);
    const double reference = Median(abouts);
    std::printf("  %-40s %7.1f ms  x1.00  (min %.1f, max %.1f)\n", "About box (reference)",
                reference, *std::min_element(abouts.begin(), abouts.end()),
                *std::max_element(abouts.begin(), abouts.end()));
    std::printf("  %-40s %7.1f ms  x%.2f  (min %.1f, max %.1f)\n",
                "help window with its contents, first F1", Median(helps), Median(helps) / reference,
                *std::min_element(helps.begin(), helps.end()),
                *std::max_element(helps.begin(), helps.end()));
    return 0;
}
