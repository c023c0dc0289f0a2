#include "Dpi.h"

#include <cstring>
#include <cwchar>

namespace {
// The bitmap face of the program's dialogs, and the face that Windows maps to its scalable twin
// (Microsoft Sans Serif) and Wine to Tahoma.
constexpr wchar_t kBitmapDialogFace[] = L"MS Sans Serif";
constexpr wchar_t kScalableDialogFace[] = L"MS Shell Dlg";

// DLGTEMPLATEEX: version and signature words, help id, extended style, style, item count and
// the four coordinates; the style's offset in bytes; the font's size, weight, italic and charset.
constexpr size_t kTemplateHeaderWords = 13;
constexpr size_t kStyleOffset = 12;
constexpr size_t kFontFieldWords = 3;

// A function of user32 that older systems lack, or nullptr.
template <class Function> Function User32Function(const char* name) {
    FARPROC found = ::GetProcAddress(::GetModuleHandleA("user32.dll"), name);
    return reinterpret_cast<Function>(reinterpret_cast<void*>(found));
}

// Moves pos past a template field that is empty, an ordinal or a string; false past the end.
bool SkipField(const WORD* words, size_t count, size_t& pos) {
    if (pos < count && words[pos] == 0xFFFF) {
        pos += 2;
        return pos <= count;
    }
    while (pos < count && words[pos] != 0)
        ++pos;
    return ++pos <= count;
}
} // namespace

UINT SystemDpi() {
    HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : kDefaultDpi;
}

UINT WindowDpi(HWND wnd) {
    using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = User32Function<GetDpiForWindowFunction>("GetDpiForWindow");
    const UINT dpi = getDpiForWindow && wnd ? getDpiForWindow(wnd) : 0;
    return dpi ? dpi : SystemDpi();
}

RECT ScaleForDialog(HWND dialog, const RECT& rect) {
    // Four by eight dialog units are one base unit wide and one high.
    RECT units = {0, 0, 4, 8};
    if (!::MapDialogRect(dialog, &units) || units.right <= 0 || units.bottom <= 0) return rect;
    const auto scaleX = [&](LONG x) { return ::MulDiv(x, units.right, kDefaultDialogUnits.cx); };
    const auto scaleY = [&](LONG y) { return ::MulDiv(y, units.bottom, kDefaultDialogUnits.cy); };
    return {scaleX(rect.left), scaleY(rect.top), scaleX(rect.right), scaleY(rect.bottom)};
}

int SystemMetricForDpi(int index, UINT dpi) {
    using GetSystemMetricsForDpiFunction = int(WINAPI*)(int, UINT);
    static const auto getSystemMetricsForDpi =
        User32Function<GetSystemMetricsForDpiFunction>("GetSystemMetricsForDpi");
    return getSystemMetricsForDpi ? getSystemMetricsForDpi(index, dpi) : ::GetSystemMetrics(index);
}

std::vector<BYTE> DialogTemplateForDpi(HINSTANCE module, UINT id, UINT dpi) {
    if (dpi == kDefaultDpi) return {};
    HRSRC found = ::FindResourceA(module, MAKEINTRESOURCEA(id), RT_DIALOG);
    HGLOBAL loaded = found ? ::LoadResource(module, found) : nullptr;
    const auto* bytes = loaded ? static_cast<const BYTE*>(::LockResource(loaded)) : nullptr;
    const size_t size = found ? ::SizeofResource(module, found) : 0;
    if (!bytes || size < 2 * kTemplateHeaderWords) return {};
    const auto* words = reinterpret_cast<const WORD*>(bytes);
    const size_t count = size / 2;
    DWORD style;
    std::memcpy(&style, bytes + kStyleOffset, sizeof style);
    if (words[0] != 1 || words[1] != 0xFFFF || !(style & DS_SETFONT)) return {};

    // The menu, the class and the caption, then the font's fields and its face.
    size_t pos = kTemplateHeaderWords;
    for (int field = 0; field < 3; ++field)
        if (!SkipField(words, count, pos)) return {};
    const size_t faceStart = pos + kFontFieldWords;
    size_t faceEnd = faceStart;
    if (!SkipField(words, count, faceEnd)) return {};
    const size_t faceLength = faceEnd - faceStart - 1;
    if (faceLength != std::wcslen(kBitmapDialogFace) ||
        std::memcmp(words + faceStart, kBitmapDialogFace, 2 * faceLength) != 0)
        return {};
    // The items start on the next DWORD boundary, in the copy as in the resource.
    const size_t itemsStart = (2 * faceEnd + 3) / 4 * 4;
    if (itemsStart > size) return {};

    std::vector<BYTE> copy(bytes, bytes + 2 * faceStart);
    const auto* face = reinterpret_cast<const BYTE*>(kScalableDialogFace);
    copy.insert(copy.end(), face, face + sizeof kScalableDialogFace);
    copy.resize((copy.size() + 3) / 4 * 4, 0);
    copy.insert(copy.end(), bytes + itemsStart, bytes + size);
    return copy;
}

namespace {
using SetThreadDpiAwarenessContextFunction = DPI_AWARENESS_CONTEXT(WINAPI*)(DPI_AWARENESS_CONTEXT);
SetThreadDpiAwarenessContextFunction ThreadAwarenessSetter() {
    static const auto setter =
        User32Function<SetThreadDpiAwarenessContextFunction>("SetThreadDpiAwarenessContext");
    return setter;
}
} // namespace

CPhysicalPixelsScope::CPhysicalPixelsScope() {
    if (auto setter = ThreadAwarenessSetter())
        m_previous = setter(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
}

CPhysicalPixelsScope::~CPhysicalPixelsScope() {
    if (auto setter = ThreadAwarenessSetter(); setter && m_previous) setter(m_previous);
}
