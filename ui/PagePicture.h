// The sample page's picture and what is made from it: the decoded bitmap, its copy as a
// colour-vision view shows it and its colours' luminances in each view, each made once for a
// picture (its generation) and a view, failures remembered as well.
#pragma once
#include <windows.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "framework/Afx.h"
#include "scheme/Contrast.h"
#include "scheme/Vision.h"

class CPagePicture {
public:
    // What a decode gave: its bitmap's ImgLib format, or why it failed.
    struct LoadResult {
        bool loaded;
        int32_t code;      // GetLastImgLibError's, after a failure
        DWORD systemError; // GetLastError's, read right after the failed call
        int32_t format;    // GetLastImgLibFormat's, after a success
        uint32_t aux;      // ImgLib's second result
    };

    CPagePicture() = default;
    CPagePicture(const CPagePicture&) = delete;
    CPagePicture& operator=(const CPagePicture&) = delete;
    ~CPagePicture() { Replace(nullptr); }

    // Decodes the picture file at path; on success it becomes the picture, on a failure
    // nothing changes.
    LoadResult Load(const CString& path);
    // Takes bitmap (null for none) as the picture, releasing the one before if owned; a borrowed
    // bitmap stays its lender's.
    void Replace(HBITMAP bitmap, bool owned = true);
    HBITMAP Bitmap() const { return m_bitmap; } // owned: valid until the next Replace
    // Counts the pictures held: what is made from one is never taken for another's.
    uint64_t Generation() const { return m_generation; }

    // The picture as view shows it, in Normal view itself; else a copy of its top-left part up
    // to most (the part that the page can show), made once. Null when none is held or the copy
    // could not be made; a copy that failed is not tried again for this picture and view.
    HBITMAP Shown(Vision view, SIZE most);
    // Whether view's copy of this picture could not be made.
    bool CouldNotShow(Vision view) const;
    // The luminances of every colour of the picture as view shows it, and how many pixels have
    // each; null when its pixels could not be read (not tried again for this picture). One view's
    // are kept at a time, and beside a view's those of Normal vision that decide its verdicts
    // (VerdictOutline's).
    const PageLuminances* Luminances(Vision view);
    // Normal vision's outline, while a view is shown; null as Luminances.
    const PageLuminances* NormalOutline();

private:
    const std::vector<ColorCount>* Colors();
    void DropCopy();

    HBITMAP m_bitmap = nullptr;
    bool m_owned = true;
    uint64_t m_generation = 0;

    // The one simulated copy, of the picture m_copyOf and view m_copyView.
    HBITMAP m_copy = nullptr;
    uint64_t m_copyOf = 0;
    Vision m_copyView = Vision::Normal;
    SIZE m_copySize{};
    uint64_t m_failedOf[kVisionCount] = {}; // the generation whose copy failed, per view

    uint64_t m_colorsOf = 0; // the generation of m_colors, or whose colours could not be read
    std::optional<std::vector<ColorCount>> m_colors;
    // The kept luminances: of m_luminancesView for the picture m_luminancesOf, and Normal's
    // outline for the picture m_outlineOf.
    uint64_t m_luminancesOf = 0;
    Vision m_luminancesView = Vision::Normal;
    PageLuminances m_luminances;
    uint64_t m_outlineOf = 0;
    PageLuminances m_outline;
};
