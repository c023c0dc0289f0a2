// Tools > Pick from Screen: the screen as it stood when the command began, held still under a
// window that covers every monitor, with a cross for the pointer and a loupe beside it that
// magnifies the pixels around it and names the one under the cross. Everything is in physical
// screen pixels, whatever the density of each monitor.
#pragma once
#include <windows.h>

#include <cstdint>
#include <optional>

#include "framework/Dpi.h"
#include "framework/Gdi.h"

class CScreenPicker {
public:
    // The picker's window title, which tests look for.
    static constexpr const char* kTitle = "Pick from Screen";

    CScreenPicker() = default;
    ~CScreenPicker();
    CScreenPicker(const CScreenPicker&) = delete;
    CScreenPicker& operator=(const CScreenPicker&) = delete;

    // Takes the screen and shows the picker's window, owned by owner; false when either failed.
    bool Open(HWND owner);
    // Runs until a click, Esc, a right click or another window's activation, and closes the
    // window; the colour of the pixel where the button went down (0xRRGGBB), or nothing.
    std::optional<uint32_t> Run();
    // Open, then Run.
    std::optional<uint32_t> Pick(HWND owner) { return Open(owner) ? Run() : std::nullopt; }

    HWND Window() const { return m_hWnd; }
    // The loupe's size, and the screen pixels it shows across and down.
    SIZE LoupeSize() const;
    static constexpr int kCells = 15;
    // The colour of the screen's pixel at a physical screen point, as taken; black outside.
    uint32_t PixelAt(POINT screen) const;
    // The loupe drawn for the pointer at a physical screen point, and the screen put back where
    // it stood before.
    void MoveLoupe(POINT screen);

private:
    // A memory context with its bitmap selected, both owned.
    struct Canvas {
        HDC dc = nullptr;
        HBITMAP bitmap = nullptr;
        HGDIOBJ previous = nullptr;
        Canvas() = default;
        Canvas(const Canvas&) = delete;
        Canvas& operator=(const Canvas&) = delete;
        ~Canvas();
        bool Make(HBITMAP made);
    };

    static LRESULT CALLBACK WindowProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    bool TakeScreen();
    void End(std::optional<uint32_t> result);
    // The loupe's rectangle in the window for the pointer at a point of the window.
    RECT LoupeRect(POINT client);
    // The loupe for the pointer at a point of the window, composed in m_loupe's canvas.
    void ComposeLoupe(POINT client);
    void Paint();

    CPhysicalPixelsScope m_physical;      // first made, last undone
    HWND m_hWnd = nullptr;                // owned: destroyed when the picking ends
    HDC m_windowDC = nullptr;             // the window's own (CS_OWNDC), valid while it lives
    RECT m_screen{};                      // the virtual screen, in physical pixels
    Canvas m_shot;                        // the screen, top-down 32-bit
    const uint32_t* m_shotBits = nullptr; // m_shot's pixels, 0x00RRGGBB
    Canvas m_loupeCanvas;                 // the loupe composed before it is shown
    Canvas m_back;     // the screen behind the old and new loupe, and the new loupe, shown at once
    CFont m_font;      // the loupe's text
    int m_zoom = 0;    // loupe pixels per screen pixel
    int m_band = 0;    // the height of the loupe's text band
    int m_offset = 0;  // the loupe's distance from the pointer
    RECT m_monitor{};  // the monitor that the loupe was last kept on, in the window
    RECT m_loupe{};    // where the loupe stands in the window; empty before a move
    POINT m_pointer{}; // the last pointer position, in the window
    std::optional<uint32_t> m_bandColour; // the colour that the band shows now
    UINT m_pressed = 0;                   // the button-down message of the click under way, or 0
    uint32_t m_pressedColour = 0;         // the colour under the cross when the button went down
    bool m_done = false;
    bool m_activated = false;
    std::optional<uint32_t> m_result;
};
