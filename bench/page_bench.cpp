// Apply to Page and Open Page Colors on a page of 64 MiB, their file work without the dialogs,
// beside CopyFileW of the same page in the same run, and that copy committed to the disk as a
// replaced page is; the runs alternating, medians of 7. Apply is also timed step by step.
// Usage: page_bench [folder]  (under Wine from build/win/bin: ../wine-run page_bench.exe)
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "scheme/PageText.h"
#include "shared/FileBeside.h"
#include "ui/PageFiles.h"

namespace {
constexpr int kRuns = 7;
constexpr size_t kPageBytes = kMaxPageBytes - 4096;

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

template <class F> double Milliseconds(F&& run) {
    const auto start = std::chrono::steady_clock::now();
    run();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

// A page of 64 MiB, less room for the attributes that Apply adds: a head with a style sheet, the
// BODY tag, then paragraphs of text with links, in UTF-8 with a character outside ASCII in each.
std::string BenchPage() {
    std::string page = "<!DOCTYPE html>\r\n<html><head><meta charset=\"utf-8\"><title>Bench</title>"
                       "\r\n<style>p { margin: 0; }</style></head>\r\n"
                       "<body class=\"page\" text=\"#202020\" onload=\"start()\">\r\n";
    const std::string paragraph =
        "<p>Caf\xC3\xA9 text of the page, with <a href=\"next.htm\">a link</a> and "
        "<b>some</b> markup.</p>\r\n";
    while (page.size() + paragraph.size() <= kPageBytes)
        page += paragraph;
    page.append(kPageBytes - page.size(), ' ');
    return page;
}
} // namespace

int main(int argc, char** argv) {
    const std::string folder = argc > 1 ? argv[1] : ".";
    const std::string source = folder + "\\page_bench.htm";
    const std::string target = folder + "\\page_bench_apply.htm";
    const std::string copy = folder + "\\page_bench_copy.htm";
    const std::string page = BenchPage();
    {
        HANDLE file = ::CreateFileA(source.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        if (file == INVALID_HANDLE_VALUE ||
            !::WriteFile(file, page.data(), static_cast<DWORD>(page.size()), &written, nullptr)) {
            std::printf("cannot write %s\n", source.c_str());
            return 1;
        }
        ::CloseHandle(file);
    }
    ::CopyFileA(source.c_str(), target.c_str(), FALSE);

    BodyTagInputs colors{"FFEBD7", "000000", "008200", "551A8B", "EE0000", "", false};
    std::vector<double> copies, flushed, applies, opens;
    std::vector<double> scans, writes, flushes, moves;
    bool ok = true;
    for (int run = 0; run < kRuns; ++run) {
        copies.push_back(Milliseconds([&] {
            ok &= ::CopyFileW(AfxWide(source).c_str(), AfxWide(copy).c_str(), FALSE) != 0;
        }));
        // The same copy committed to the disk, as a replaced page is before it takes its place.
        flushed.push_back(Milliseconds([&] {
            ok &= ::CopyFileW(AfxWide(source).c_str(), AfxWide(copy).c_str(), FALSE) != 0;
            HANDLE file = ::CreateFileW(AfxWide(copy).c_str(), GENERIC_WRITE, 0, nullptr,
                                        OPEN_EXISTING, 0, nullptr);
            ok &= file != INVALID_HANDLE_VALUE && ::FlushFileBuffers(file);
            ::CloseHandle(file);
        }));
        // What Apply to Page does once the page is chosen.
        applies.push_back(Milliseconds([&] {
            MappedPage page(target.c_str());
            const std::string_view bytes = page.Bytes();
            const PageEncoding encoding = FindPageEncoding(bytes, static_cast<int>(::GetACP()));
            ok &= !page.IsTooLarge() && FindBodyStartTag(bytes).has_value();
            // The colours that the page's style sheet sets, for the question before writing.
            ok &= ReadPageColors(bytes, encoding).has_value();
            const PageEdit edit = ApplyBodyColors(bytes, colors, [&](std::string_view text) {
                return EncodeForPage(encoding.codePage, text);
            });
            ok &= edit.status == PageEditStatus::Done;
            WritePageFile(target.c_str(), page, edit);
        }));
        // The same, step by step, to show where its time goes: WritePageFile's steps taken apart.
        {
            auto last = std::chrono::steady_clock::now();
            const auto lap = [&](std::vector<double>& times) {
                const auto now = std::chrono::steady_clock::now();
                times.push_back(std::chrono::duration<double, std::milli>(now - last).count());
                last = now;
            };
            MappedPage page(target.c_str());
            const std::string_view bytes = page.Bytes();
            const PageEncoding encoding = FindPageEncoding(bytes, static_cast<int>(::GetACP()));
            ok &= ReadPageColors(bytes, encoding).has_value();
            const PageEdit edit = ApplyBodyColors(bytes, colors, [&](std::string_view text) {
                return EncodeForPage(encoding.codePage, text);
            });
            lap(scans);
            NewFileBeside newFile(FullPath(AfxWide(target)));
            ForEachEditedPart(bytes, edit, [&](std::string_view part) {
                DWORD written = 0;
                ok &= ::WriteFile(newFile.Handle(), part.data(), static_cast<DWORD>(part.size()),
                                  &written, nullptr) &&
                      written == part.size();
            });
            lap(writes);
            ok &= ::FlushFileBuffers(newFile.Handle()) != 0;
            lap(flushes);
            page.Close();
            ok &= newFile.ReplaceTarget() == ERROR_SUCCESS; // its own flush has nothing left to do
            lap(moves);
        }
        // What Open Page Colors does once the page is chosen.
        opens.push_back(Milliseconds([&] {
            MappedPage page(target.c_str());
            const PageEncoding encoding =
                FindPageEncoding(page.Bytes(), static_cast<int>(::GetACP()));
            ok &= ReadPageColors(page.Bytes(), encoding).has_value();
        }));
    }
    if (!ok) {
        std::printf("a run failed\n");
        return 1;
    }
    const double reference = Median(copies);
    std::printf("64 MiB page, medians of %d alternating runs\n", kRuns);
    std::printf("  CopyFileW (reference)  %8.1f ms\n", reference);
    std::printf("  CopyFileW, flushed     %8.1f ms  %.2f x\n", Median(flushed),
                Median(flushed) / reference);
    std::printf("  Apply to Page          %8.1f ms  %.2f x\n", Median(applies),
                Median(applies) / reference);
    std::printf(
        "    its steps: read and edit %.1f ms, write %.1f ms, flush %.1f ms, move %.1f ms\n",
        Median(scans), Median(writes), Median(flushes), Median(moves));
    std::printf("  Open Page Colors       %8.1f ms  %.2f x\n", Median(opens),
                Median(opens) / reference);
    for (const std::string& path : {source, target, copy})
        ::DeleteFileA(path.c_str());
    return 0;
}
