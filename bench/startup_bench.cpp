// Start-up time of Tintwright.exe beside the floor of the platform, measured in the same run:
// from CreateProcess to the main window's first complete paint (the window visible, no part
// of it or of its controls left to paint), for the program and for bare_dialog.exe, which
// shows the same dialog template with no code of ours, and for bare_dialog_imports.exe, the
// same with the program's DLLs bound. Runs alternate between the three; the medians, the
// ratios to the floor and each process's peak working set are printed. Further programs named
// after the runs, builds of Tintwright.exe with a change to weigh, take their turn after it.
// Usage: startup_bench [runs] [program.exe...]   (from build/win/bin, under Wine with a display)
#include <windows.h>
#include <psapi.h>

#include <cstdlib>

#include "ProgramRuns.h"

namespace {

constexpr char kTitle[] = " Tintwright 2.0";
constexpr int kDefaultRuns = 9;
// A pixel inside the sample page: painted in the default background colour once the
// program's own painting is done (the bare dialog never paints it).
constexpr POINT kPreviewPixel = {31, 295};
constexpr COLORREF kDefaultBackground = RGB(255, 235, 215);

struct Sample {
    double milliseconds;
    SIZE_T peakWorkingSet;
};

bool Painted(HWND hwnd, bool ownPainting) {
    if (!NothingLeftToPaint(hwnd)) return false;
    if (!ownPainting) return true;
    HDC dc = ::GetDC(hwnd);
    COLORREF pixel = ::GetPixel(dc, kPreviewPixel.x, kPreviewPixel.y);
    ::ReleaseDC(hwnd, dc);
    return pixel == kDefaultBackground || pixel == CLR_INVALID;
}

bool Measure(const std::string& exe, bool ownPainting, Sample& sample) {
    PROCESS_INFORMATION process = {};
    LARGE_INTEGER start, painted;
    ::QueryPerformanceCounter(&start);
    if (!StartProgram(exe, process)) return false;
    ::WaitForInputIdle(process.hProcess, kProgramTimeoutMs);
    HWND found = nullptr;
    bool done = false;
    for (;;) {
        ::QueryPerformanceCounter(&painted);
        if (Milliseconds(start, painted) > kProgramTimeoutMs) break;
        if (!found) found = FindVisibleWindow(process.dwProcessId, kTitle);
        if (found && Painted(found, ownPainting)) {
            done = true;
            break;
        }
        // A pause between looks: looking without one competes with the program for Wine's
        // server and the display, and slowed every start by some 10 ms, unevenly.
        ::Sleep(1);
    }
    sample.milliseconds = Milliseconds(start, painted);
    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof memory;
    sample.peakWorkingSet = ::GetProcessMemoryInfo(process.hProcess, &memory, sizeof memory)
                                ? memory.PeakWorkingSetSize
                                : 0;
    EndProgram(process, found);
    if (!done) std::fprintf(stderr, "%s: no complete paint within the time limit\n", exe.c_str());
    return done;
}

} // namespace

int main(int argc, char** argv) {
    int runs = argc > 1 ? std::atoi(argv[1]) : kDefaultRuns;
    if (runs < 1) runs = kDefaultRuns;
    const std::string folder = ProgramFolder();
    std::vector<std::string> programs = {
        folder + "bare_dialog.exe", folder + "bare_dialog_imports.exe", folder + "Tintwright.exe"};
    std::vector<std::string> names = {"bare dialog, template 102 (floor)",
                                      "bare dialog + the program's DLLs", "Tintwright.exe"};
    constexpr size_t kBarePrograms = 2; // the rest paint the sample page
    for (int arg = 2; arg < argc; ++arg) {
        programs.push_back(folder + argv[arg]);
        names.emplace_back(argv[arg]);
    }
    const size_t count = programs.size();

    std::vector<std::vector<double>> times(count), ratios(count);
    std::vector<std::vector<SIZE_T>> peaks(count);
    // One unmeasured start of each first: the first start after a build loads files from disk.
    for (int i = -1; i < runs; ++i) {
        for (size_t p = 0; p < count; ++p) {
            Sample sample;
            if (!Measure(programs[p], p >= kBarePrograms, sample)) return 1;
            if (i < 0) continue;
            times[p].push_back(sample.milliseconds);
            ratios[p].push_back(sample.milliseconds / times[0].back());
            peaks[p].push_back(sample.peakWorkingSet);
        }
    }
    // The ratio of the medians is the goal's measure; the median of each round's ratio to the
    // floor's start in the same round follows, less moved by a load that changes during the run.
    std::printf("Start to first complete paint, median of %d alternating runs:\n", runs);
    const double floor = Median(times[0]);
    for (size_t p = 0; p < count; ++p)
        std::printf("  %-34s %7.1f ms  x%.3f  (min %.1f, max %.1f; median of rounds x%.3f)  "
                    "peak working set %.1f MB\n",
                    names[p].c_str(), Median(times[p]), Median(times[p]) / floor,
                    *std::min_element(times[p].begin(), times[p].end()),
                    *std::max_element(times[p].begin(), times[p].end()), Median(ratios[p]),
                    static_cast<double>(Median(peaks[p])) / (1024.0 * 1024.0));
    std::printf("Goal: Tintwright.exe within x1.05 of the floor.\n");
    return 0;
}
