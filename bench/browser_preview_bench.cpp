// Preview in Browser where it copies the picture: the command's time beside CopyFileW of the same
// picture to the same folder, in alternating order, each as a median, under Wine with a display.
// The browser is not started: the bench's host only takes the address. Usage: browser_preview_bench
// [runs] [megabytes]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "BenchTiming.h"
#include "app/SchemeApp.h"
#include "framework/ModalHost.h"
#include "ui/SchemeDlg.h"

namespace {
CSchemeApp g_app;

class NoBrowserHost : public CModalHost {
public:
    BOOL OpenInBrowser(const char*) override { return TRUE; }
};

class BenchDlg : public CSchemeDlg {
public:
    // Shows the picture at path (a bitmap stands in for its decode) with Show Backgrounds? ticked.
    void UsePicture(const std::string& path, const std::string& name, HBITMAP bitmap) {
        m_solidBackground = 0;
        ToolsMenu().CheckMenuItem(kShowBackgroundsPos, MF_BYPOSITION | MF_CHECKED);
        SetBackgroundBitmap(bitmap);
        m_backgroundLoaded = 1;
        m_backgroundPath = path;
        m_backgroundName = name;
        RebuildTag();
    }
    void Preview() { OnPreviewInBrowser(); }
    // The picture's copy goes, so that the next preview copies it again.
    void DropCopy() { ::DeleteFileW(m_previewPicture.c_str()); }
    std::wstring Folder() { return PreviewFolder(); }
};

template <typename Operation> double Time(Operation operation) {
    LARGE_INTEGER start, end;
    ::QueryPerformanceCounter(&start);
    operation();
    ::QueryPerformanceCounter(&end);
    return Milliseconds(start, end);
}

// A 24-bit BMP of about megabytes MiB, its pixels a pattern, written once.
void WritePicture(const std::wstring& path, int megabytes) {
    const int width = 4096;
    const int height = megabytes * 1024 * 1024 / (width * 3);
    const uint32_t pixels = static_cast<uint32_t>(width) * 3 * height;
    unsigned char header[54] = {'B', 'M'};
    auto put32 = [&](int at, uint32_t value) {
        for (int i = 0; i < 4; ++i)
            header[at + i] = static_cast<unsigned char>(value >> (8 * i));
    };
    put32(2, 54 + pixels);
    put32(10, 54);
    put32(14, 40);
    put32(18, width);
    put32(22, static_cast<uint32_t>(height));
    header[26] = 1;
    header[28] = 24;
    put32(34, pixels);
    std::vector<unsigned char> row(static_cast<size_t>(width) * 3);
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written;
    ::WriteFile(file, header, sizeof header, &written, nullptr);
    for (int y = 0; y < height; ++y) {
        for (size_t i = 0; i < row.size(); ++i)
            row[i] = static_cast<unsigned char>(i * 7 + y * 13);
        ::WriteFile(file, row.data(), static_cast<DWORD>(row.size()), &written, nullptr);
    }
    ::CloseHandle(file);
}
} // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(3, std::atoi(argv[1])) : 21;
    const int megabytes = argc > 2 ? std::max(1, std::atoi(argv[2])) : 64;
    AfxWinInit(::GetModuleHandleA(nullptr));
    NoBrowserHost host;
    AfxSetModalHost(&host);
    BenchDlg dlg;
    g_app.m_pMainWnd = &dlg;
    if (!dlg.Create()) {
        std::fprintf(stderr, "browser_preview_bench: the dialog could not be created\n");
        return 1;
    }
    wchar_t temp[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH + 1, temp);
    const std::wstring source = std::wstring(temp) + L"browser_preview_bench.bmp";
    WritePicture(source, megabytes);
    dlg.UsePicture(AfxUtf8(source), "browser_preview_bench.bmp",
                   ::CreateBitmap(1, 1, 1, 32, nullptr));
    const std::wstring reference = dlg.Folder() + L"\\reference copy.bmp";

    std::vector<double> previews, copies;
    // Each goes first in every other run: the first of a run pays for the files just deleted.
    for (int run = 0; run < runs; ++run) {
        dlg.DropCopy();
        ::DeleteFileW(reference.c_str());
        auto preview = [&] { previews.push_back(Time([&] { dlg.Preview(); })); };
        auto copy = [&] {
            copies.push_back(Time([&] { ::CopyFileW(source.c_str(), reference.c_str(), FALSE); }));
        };
        if (run % 2) {
            copy();
            preview();
        } else {
            preview();
            copy();
        }
    }
    const double preview = Median(previews), copy = Median(copies);
    std::printf("picture: %d MiB, %d runs, medians\n", megabytes, runs);
    std::printf("Preview in Browser (page and picture's copy): %8.2f ms\n", preview);
    std::printf("CopyFileW of the picture:                     %8.2f ms\n", copy);
    std::printf("ratio: %.3f (goal: at most 1.2)\n", preview / copy);
    // The second preview of an unchanged picture leaves its copy as it is.
    std::printf("a second preview, picture unchanged:          %8.2f ms\n",
                Time([&] { dlg.Preview(); }));
    ::DeleteFileW(reference.c_str());
    ::DeleteFileW(source.c_str());
    std::fflush(stdout);
    g_app.m_pMainWnd = nullptr;
    return 0;
}
