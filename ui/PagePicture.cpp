#include "PagePicture.h"

#include <algorithm>
#include <functional>

#include "imglib/ImgLib.h"
#include "scheme/ContrastFix.h"

namespace {
// Pixels read at a time: 16 MiB of rows.
constexpr size_t kPixelsPerBand = 4u << 20;

// Hands every band of bitmap's rows to each as 0x00RRGGBB pixels, in any order; false when a
// band could not be read.
bool ForEachPixelBand(HBITMAP bitmap, const std::function<void(const uint32_t*, size_t)>& each) {
    BITMAP info{};
    if (!::GetObjectW(bitmap, sizeof info, &info) || info.bmWidth <= 0 || info.bmHeight <= 0)
        return false;
    const int height = info.bmHeight;
    const auto width = static_cast<size_t>(info.bmWidth);
    const int bandRows = static_cast<int>(std::clamp<size_t>(kPixelsPerBand / width, 1, height));
    std::vector<uint32_t> band(width * static_cast<size_t>(bandRows));
    BITMAPINFO format{};
    format.bmiHeader = {
        sizeof format.bmiHeader, info.bmWidth, height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};

    HDC screen = ::GetDC(nullptr);
    bool done = screen != nullptr;
    for (int first = 0; done && first < height; first += bandRows) {
        const int rows = std::min(bandRows, height - first);
        done = ::GetDIBits(screen, bitmap, static_cast<UINT>(first), static_cast<UINT>(rows),
                           band.data(), &format, DIB_RGB_COLORS) == rows;
        if (done) each(band.data(), width * static_cast<size_t>(rows));
    }
    if (screen) ::ReleaseDC(nullptr, screen);
    return done;
}

// A copy of picture's top-left width by height pixels as view shows them; null on a failure.
HBITMAP SimulatedCopy(HBITMAP picture, Vision view, int width, int height) {
    BITMAPINFO format{};
    format.bmiHeader = {sizeof format.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP copy = ::CreateDIBSection(nullptr, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!copy) return nullptr;
    bool made = false;
    HDC source = ::CreateCompatibleDC(nullptr);
    HDC target = ::CreateCompatibleDC(nullptr);
    if (source && target) {
        // A bitmap is selected into one device context at a time: a picture in use fails here.
        const HGDIOBJ previousSource = ::SelectObject(source, picture);
        const HGDIOBJ previousTarget = ::SelectObject(target, copy);
        made = previousSource && previousTarget &&
               ::BitBlt(target, 0, 0, width, height, source, 0, 0, SRCCOPY);
        if (previousSource) ::SelectObject(source, previousSource);
        if (previousTarget) ::SelectObject(target, previousTarget);
    }
    if (source) ::DeleteDC(source);
    if (target) ::DeleteDC(target);
    if (made) {
        ::GdiFlush();
        SimulateVision(view, static_cast<uint32_t*>(bits),
                       static_cast<size_t>(width) * static_cast<size_t>(height));
        return copy;
    }
    ::DeleteObject(copy);
    return nullptr;
}
} // namespace

CPagePicture::LoadResult CPagePicture::Load(const CString& path) {
    LoadResult result{};
    HBITMAP bitmap = ReadFileIntoDDBW(AfxWide(path.str()).c_str(), &result.aux, 0);
    result.systemError = ::GetLastError();
    result.loaded = bitmap != nullptr;
    if (!bitmap) {
        result.code = GetLastImgLibError();
        return result;
    }
    result.format = GetLastImgLibFormat();
    Replace(bitmap);
    return result;
}

void CPagePicture::Replace(HBITMAP bitmap, bool owned) {
    if (bitmap == m_bitmap) return;
    if (m_bitmap && m_owned) ::DeleteObject(m_bitmap);
    m_bitmap = bitmap;
    m_owned = owned;
    ++m_generation;
    DropCopy();
    m_colors.reset();
    m_luminances = PageLuminances{};
    m_outline = PageLuminances{};
}

void CPagePicture::DropCopy() {
    if (m_copy) ::DeleteObject(m_copy);
    m_copy = nullptr;
}

HBITMAP CPagePicture::Shown(Vision view, SIZE most) {
    if (!m_bitmap || view == Vision::Normal) return m_bitmap;
    if (CouldNotShow(view)) return nullptr;
    BITMAP info{};
    if (!::GetObjectW(m_bitmap, sizeof info, &info)) return nullptr;
    const SIZE size = {std::min<LONG>(info.bmWidth, std::max<LONG>(most.cx, 1)),
                       std::min<LONG>(info.bmHeight, std::max<LONG>(most.cy, 1))};
    if (m_copy && m_copyOf == m_generation && m_copyView == view && m_copySize.cx == size.cx &&
        m_copySize.cy == size.cy)
        return m_copy;
    // One copy at a time: a view costs no more than the page shows.
    DropCopy();
    CWaitCursor wait;
    m_copy = SimulatedCopy(m_bitmap, view, size.cx, size.cy);
    m_copyOf = m_generation;
    m_copyView = view;
    m_copySize = size;
    if (!m_copy) m_failedOf[static_cast<int>(view)] = m_generation;
    return m_copy;
}

bool CPagePicture::CouldNotShow(Vision view) const {
    return m_bitmap && view != Vision::Normal && m_failedOf[static_cast<int>(view)] == m_generation;
}

const std::vector<ColorCount>* CPagePicture::Colors() {
    if (m_colorsOf != m_generation) {
        m_colorsOf = m_generation;
        CWaitCursor wait;
        PictureColors colors;
        if (ForEachPixelBand(
                m_bitmap, [&](const uint32_t* pixels, size_t count) { colors.Add(pixels, count); }))
            m_colors = colors.Take();
    }
    return m_colors ? &*m_colors : nullptr;
}

const PageLuminances* CPagePicture::Luminances(Vision view) {
    if (!m_bitmap) return nullptr;
    const std::vector<ColorCount>* colors = Colors();
    if (!colors) return nullptr;
    if (m_luminancesOf != m_generation || m_luminancesView != view) {
        // The kept ones go first: at most one view's are held at a time.
        m_luminances = PageLuminances{};
        m_luminances = PicturePage(*colors, view);
        m_luminancesOf = m_generation;
        m_luminancesView = view;
        if (view == Vision::Normal) {
            m_outline = {VerdictOutline(m_luminances.luminances), {}, {}};
            m_outlineOf = m_generation;
        }
    }
    return &m_luminances;
}

const PageLuminances* CPagePicture::NormalOutline() {
    if (m_outlineOf != m_generation || !m_bitmap) {
        const Vision view = m_luminancesView;
        if (!Luminances(Vision::Normal)) return nullptr;
        if (view != Vision::Normal) Luminances(view);
    }
    return m_outlineOf == m_generation ? &m_outline : nullptr;
}
