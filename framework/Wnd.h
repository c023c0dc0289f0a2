// Windows, menus and dialogs. CWnd, CMenu and CScrollBar wrap handles they do not own;
// a CDialog owns its window from creation until it ends. Windows are Unicode windows: texts go
// in and out as UTF-8 and are converted at the system's wide functions.
#pragma once
#include <windows.h>
#include "Message.h"
#include "String.h"

class CCmdTarget {
public:
    virtual ~CCmdTarget() = default;
    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;

    // Runs the handler of command id with notification code, if this object's map has one.
    bool OnCmdMsg(UINT id, UINT code);

protected:
    // The entry of this object's map chain that handles message (and, for WM_COMMAND, code and id).
    const AFX_MSGMAP_ENTRY* FindMessageEntry(UINT message, UINT code, UINT id) const;
};

class CMenu {
public:
    explicit CMenu(HMENU menu = nullptr) : m_hMenu(menu) {}
    HMENU m_hMenu; // borrowed

    CMenu GetSubMenu(int position) const { return CMenu(::GetSubMenu(m_hMenu, position)); }
    UINT GetMenuState(UINT id, UINT flags) const { return ::GetMenuState(m_hMenu, id, flags); }
    UINT CheckMenuItem(UINT id, UINT check) { return ::CheckMenuItem(m_hMenu, id, check); }
    UINT EnableMenuItem(UINT id, UINT enable) { return ::EnableMenuItem(m_hMenu, id, enable); }
    BOOL DeleteMenu(UINT position, UINT flags) { return ::DeleteMenu(m_hMenu, position, flags); }
    // The text (UTF-8) of the item of command id, anywhere in the menu, enabled or grayed.
    BOOL SetCommandText(UINT id, const char* text, bool enabled) {
        return ::ModifyMenuW(m_hMenu, id,
                             MF_BYCOMMAND | MF_STRING | (enabled ? MF_ENABLED : MF_GRAYED), id,
                             AfxWide(text).c_str());
    }
};

class CWnd : public CCmdTarget {
public:
    CWnd() = default;
    explicit CWnd(HWND wnd) : m_hWnd(wnd) {}
    HWND m_hWnd = nullptr; // borrowed, except where a derived class says otherwise

    CWnd GetDlgItem(int id) const { return CWnd(::GetDlgItem(m_hWnd, id)); }
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendMessageW(m_hWnd, message, wParam, lParam);
    }
    void SetWindowText(const char* text) { ::SetWindowTextW(m_hWnd, AfxWide(text).c_str()); }
    CString GetWindowText() const;
    void SetDlgItemText(int id, const char* text) {
        ::SetDlgItemTextW(m_hWnd, id, AfxWide(text).c_str());
    }
    void InvalidateRect(const RECT* rect, BOOL erase = TRUE) {
        ::InvalidateRect(m_hWnd, rect, erase);
    }
    void GetClientRect(RECT* rect) const { ::GetClientRect(m_hWnd, rect); }
    BOOL ShowWindow(int command) { return ::ShowWindow(m_hWnd, command); }
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
    CMenu GetMenu() const { return CMenu(::GetMenu(m_hWnd)); }
    CMenu GetSystemMenu(BOOL revert) const { return CMenu(::GetSystemMenu(m_hWnd, revert)); }
    void DrawMenuBar() { ::DrawMenuBar(m_hWnd); }
    // Puts text on the clipboard as CF_UNICODETEXT and, in the system code page, CF_TEXT in place
    // of what it held, this window its owner;
    // false when the clipboard could not be opened or taken (another program may hold it).
    bool SetClipboardText(std::string_view text);
    // The clipboard's Unicode text as UTF-8; empty when it holds none or could not be opened.
    std::string GetClipboardText();
    HICON SetIcon(HICON icon, BOOL bigIcon) {
        return reinterpret_cast<HICON>(SendMessage(WM_SETICON, bigIcon ? ICON_BIG : ICON_SMALL,
                                                   reinterpret_cast<LPARAM>(icon)));
    }

    // Handles message through the map chain; false when no entry handles it. An exception that
    // leaves a handler is reported here and the window goes on running.
    bool OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

protected:
    // WM_COMMAND: this window's map, then the application object's.
    bool OnCommand(WPARAM wParam, LPARAM lParam);
};

class CScrollBar : public CWnd {
public:
    explicit CScrollBar(HWND wnd = nullptr) : CWnd(wnd) {}
    int GetScrollPos() const { return ::GetScrollPos(m_hWnd, SB_CTL); }
    int SetScrollPos(int pos, BOOL redraw = TRUE) {
        return ::SetScrollPos(m_hWnd, SB_CTL, pos, redraw);
    }
    void SetScrollRange(int minPos, int maxPos, BOOL redraw = TRUE) {
        ::SetScrollRange(m_hWnd, SB_CTL, minPos, maxPos, redraw);
    }
};

class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);
    ~CDialog() override;
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // Runs the dialog in a modal loop of its own with the owner disabled; returns the value
    // given to EndDialog, or -1 when the dialog could not be created.
    virtual INT_PTR DoModal();
    // Creates the dialog without a modal loop; the caller pumps its messages (tests do).
    BOOL Create();
    // Creates the dialog as a modeless tool window of its owner, which runs in the owner's modal
    // loop: its keys pass through the owner's accelerators, then through IsDialogMessage. It is
    // destroyed when it ends, and with its owner. Shown when its template says WS_VISIBLE.
    BOOL CreateModeless();
    // A modal dialog's loop stops; a modeless dialog's window is destroyed.
    void EndDialog(int result);
    bool IsEnded() const { return m_ended; }
    INT_PTR GetResult() const { return m_result; }

    virtual BOOL OnInitDialog() { return TRUE; }
    // Gives a queued message for the dialog or a control to the dialog's keyboard handling
    // (IsDialogMessage); true when it was handled and must not be dispatched.
    virtual BOOL PreTranslateMessage(MSG* msg);
    // This window's keyboard accelerators, which also apply while one of its modeless dialogs
    // is active; true when msg became a command.
    virtual BOOL TranslateAccelerators(MSG* msg) {
        (void)msg;
        return FALSE;
    }
    // Dispatches one queued message the way the modal loop does.
    void PumpMessage(MSG& msg);
    // The dialog object of one of our dialog windows, or nullptr.
    static CDialog* FromHandle(HWND wnd);

protected:
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }
    void OnClose() { OnCancel(); }

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;

    DECLARE_MESSAGE_MAP()

private:
    static INT_PTR CALLBACK DialogProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam);
    HWND CreateWindowFromTemplate(HWND owner);
    HWND FindOwner() const;
    // The dialog whose keyboard handling sees a message for wnd: this one for itself and its
    // controls, a modeless one for itself and its controls.
    CDialog* KeyboardTarget(HWND wnd);

    bool m_modeless = false;
    bool m_ended = false;
    INT_PTR m_result = -1;
};

// The hourglass while a command works without taking input; the cursor before it comes back at
// the end of the scope.
class CWaitCursor {
public:
    // IDC_WAIT is an integer resource id, the same for either form of LoadCursor.
    CWaitCursor()
        : m_previous(::SetCursor(::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_WAIT)))) {}
    ~CWaitCursor() { ::SetCursor(m_previous); }
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;

private:
    HCURSOR m_previous; // a shared system cursor, not ours to destroy
};
