#include "Wnd.h"

#include <cstring>
#include <cwchar>
#include <memory>
#include <new>
#include <vector>

#include "App.h"
#include "Dpi.h"
#include "Exception.h"

namespace {
// The window property that marks our dialogs and holds their objects.
constexpr const wchar_t* kDialogProperty = L"Tintwright.CDialog";
// Another program may hold the clipboard open for a moment: so many tries, so far apart.
constexpr int kClipboardTries = 5;
constexpr DWORD kClipboardRetryMilliseconds = 20;
// Memory for the clipboard, owned until the clipboard takes it.
using GlobalMemory = std::unique_ptr<void, HGLOBAL(WINAPI*)(HGLOBAL)>;

// Reports the exception being handled, as the framework reports any that leaves a handler.
void ReportCurrentException(const char* generic) {
    try {
        throw;
    } catch (const CMemoryException& e) {
        e.ReportError(MB_ICONEXCLAMATION | MB_SYSTEMMODAL, generic);
    } catch (const std::bad_alloc&) {
        CMemoryException().ReportError(MB_ICONEXCLAMATION | MB_SYSTEMMODAL, generic);
    } catch (const CException& e) {
        e.ReportError(MB_ICONSTOP, generic);
    } catch (...) {
        CException().ReportError(MB_ICONSTOP, generic);
    }
}
} // namespace

// ---- CCmdTarget ----

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap() {
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, nullptr}};
    static const AFX_MSGMAP map = {nullptr, entries};
    return &map;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const {
    return GetThisMessageMap();
}

const AFX_MSGMAP_ENTRY* CCmdTarget::FindMessageEntry(UINT message, UINT code, UINT id) const {
    for (const AFX_MSGMAP* map = GetMessageMap(); map;
         map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* entry = map->lpEntries; entry->pfn; ++entry) {
            if (entry->nMessage != message) continue;
            if (message != WM_COMMAND) return entry;
            if (entry->nCode == code && entry->nID <= id && id <= entry->nLastID) return entry;
        }
    }
    return nullptr;
}

bool CCmdTarget::OnCmdMsg(UINT id, UINT code) {
    const AFX_MSGMAP_ENTRY* entry = FindMessageEntry(WM_COMMAND, code, id);
    if (!entry) return false;
    entry->pfn(this, MAKEWPARAM(id, code), 0);
    return true;
}

// ---- CWnd ----

CString CWnd::GetWindowText() const {
    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(m_hWnd)) + 1, L'\0');
    text.resize(
        static_cast<size_t>(::GetWindowTextW(m_hWnd, text.data(), static_cast<int>(text.size()))));
    return CString(AfxUtf8(text));
}

bool CWnd::SetClipboardText(std::string_view text) {
    const std::wstring wide = AfxWide(text);
    const int narrowSize =
        ::WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    GlobalMemory unicode(::GlobalAlloc(GMEM_MOVEABLE, (wide.size() + 1) * sizeof(wchar_t)),
                         ::GlobalFree);
    GlobalMemory narrow(::GlobalAlloc(GMEM_MOVEABLE, static_cast<SIZE_T>(narrowSize)),
                        ::GlobalFree);
    if (!unicode || !narrow) AfxThrowMemoryException();
    std::memcpy(::GlobalLock(unicode.get()), wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
    ::GlobalUnlock(unicode.get());
    ::WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1,
                          static_cast<char*>(::GlobalLock(narrow.get())), narrowSize, nullptr,
                          nullptr);
    ::GlobalUnlock(narrow.get());

    bool opened = ::OpenClipboard(m_hWnd);
    for (int tries = 1; !opened && tries < kClipboardTries; ++tries) {
        ::Sleep(kClipboardRetryMilliseconds);
        opened = ::OpenClipboard(m_hWnd);
    }
    if (!opened) return false;
    bool placed = ::EmptyClipboard() && ::SetClipboardData(CF_UNICODETEXT, unicode.get());
    if (placed) unicode.release();
    placed = placed && ::SetClipboardData(CF_TEXT, narrow.get());
    if (placed) narrow.release();
    ::CloseClipboard();
    return placed;
}

std::string CWnd::GetClipboardText() {
    bool opened = ::OpenClipboard(m_hWnd);
    for (int tries = 1; !opened && tries < kClipboardTries; ++tries) {
        ::Sleep(kClipboardRetryMilliseconds);
        opened = ::OpenClipboard(m_hWnd);
    }
    if (!opened) return {};
    std::string text;
    if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* chars = static_cast<const wchar_t*>(::GlobalLock(data))) {
            // The block may end without a terminator: read no further than its size.
            const size_t size = ::GlobalSize(data) / sizeof(wchar_t);
            text = AfxUtf8(std::wstring_view(chars, wcsnlen(chars, size)));
            ::GlobalUnlock(data);
        }
    }
    ::CloseClipboard();
    return text;
}

bool CWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
    UINT id = LOWORD(wParam);
    // Menus and accelerators are one kind of command; controls keep their notification code.
    UINT code = lParam ? HIWORD(wParam) : 0;
    if (const AFX_MSGMAP_ENTRY* entry = FindMessageEntry(WM_COMMAND, code, id)) {
        entry->pfn(this, wParam, lParam);
        return true;
    }
    CWinApp* app = AfxGetApp();
    return app && app->OnCmdMsg(id, code);
}

bool CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    // An exception that leaves a handler is reported; the window goes on running.
    try {
        if (message == WM_COMMAND) {
            result = 0;
            return OnCommand(wParam, lParam);
        }
        const AFX_MSGMAP_ENTRY* entry = FindMessageEntry(message, 0, 0);
        if (!entry) return false;
        result = entry->pfn(this, wParam, lParam);
        return true;
    } catch (...) {
        const bool fromMenu = message == WM_COMMAND && lParam == 0;
        ReportCurrentException(fromMenu ? kAfxCommandFailed : kAfxInternalFailure);
    }
    // A paint that failed must not be asked for again and again.
    if (message == WM_PAINT) ::ValidateRect(m_hWnd, nullptr);
    result = 0;
    return true;
}

// ---- CDialog ----

// clang-format off
BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, &CDialog::OnOK)
    ON_COMMAND(IDCANCEL, &CDialog::OnCancel)
    ON_WM_CLOSE()
END_MESSAGE_MAP()
// clang-format on

CDialog::CDialog(UINT templateId, CWnd* parent) : m_nIDTemplate(templateId), m_pParentWnd(parent) {}

CDialog::~CDialog() {
    if (m_hWnd) ::DestroyWindow(m_hWnd);
}

HWND CDialog::FindOwner() const {
    if (m_pParentWnd) return m_pParentWnd->m_hWnd;
    // Without a parent the dialog belongs to the main window, unless it is the main window.
    CWinApp* app = AfxGetApp();
    if (app && app->m_pMainWnd && app->m_pMainWnd != this && ::IsWindow(app->m_pMainWnd->m_hWnd))
        return app->m_pMainWnd->m_hWnd;
    return nullptr;
}

HWND CDialog::CreateWindowFromTemplate(HWND owner) {
    m_ended = false;
    m_result = -1;
    HINSTANCE module = AfxGetApp() ? AfxGetApp()->m_hInstance : ::GetModuleHandleW(nullptr);
    // Made at its owner's DPI, or at the screen's for the main window.
    const std::vector<BYTE> scaled =
        DialogTemplateForDpi(module, m_nIDTemplate, owner ? WindowDpi(owner) : SystemDpi());
    if (!scaled.empty())
        return ::CreateDialogIndirectParamW(module,
                                            reinterpret_cast<LPCDLGTEMPLATEW>(scaled.data()), owner,
                                            DialogProc, reinterpret_cast<LPARAM>(this));
    return ::CreateDialogParamW(module, MAKEINTRESOURCEW(m_nIDTemplate), owner, DialogProc,
                                reinterpret_cast<LPARAM>(this));
}

BOOL CDialog::Create() {
    return CreateWindowFromTemplate(FindOwner()) != nullptr;
}

BOOL CDialog::CreateModeless() {
    m_modeless = true;
    return Create();
}

CDialog* CDialog::FromHandle(HWND wnd) {
    return wnd ? static_cast<CDialog*>(::GetPropW(wnd, kDialogProperty)) : nullptr;
}

INT_PTR CDialog::DoModal() {
    HWND owner = FindOwner();
    const bool disableOwner = owner && ::IsWindowEnabled(owner);
    if (disableOwner) ::EnableWindow(owner, FALSE);

    if (!CreateWindowFromTemplate(owner)) {
        if (disableOwner) ::EnableWindow(owner, TRUE);
        return -1;
    }
    // A modal dialog is shown whether or not its template says WS_VISIBLE.
    if (!m_ended && !::IsWindowVisible(m_hWnd)) ::ShowWindow(m_hWnd, SW_SHOWNORMAL);
    while (!m_ended) {
        MSG msg;
        BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == -1) break;
        if (got == 0) {
            // A quit request ends the dialog and goes on to the outer loop.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        PumpMessage(msg);
    }
    // Hide first, then enable the owner, so that activation goes back to it.
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                   SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (disableOwner) ::EnableWindow(owner, TRUE);
    if (owner && ::GetActiveWindow() == m_hWnd) ::SetActiveWindow(owner);
    ::DestroyWindow(m_hWnd);
    return m_result;
}

void CDialog::PumpMessage(MSG& msg) {
    CDialog* target = KeyboardTarget(msg.hwnd);
    if (target && target->PreTranslateMessage(&msg)) return;
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
}

CDialog* CDialog::KeyboardTarget(HWND wnd) {
    if (!m_hWnd || !wnd) return nullptr;
    if (wnd == m_hWnd || ::IsChild(m_hWnd, wnd)) return this;
    CDialog* other = FromHandle(::GetAncestor(wnd, GA_ROOT));
    return other && other->m_modeless ? other : nullptr;
}

BOOL CDialog::PreTranslateMessage(MSG* msg) {
    // A tool window takes its owner's keys first, unless a modal dialog has disabled the owner.
    if (m_modeless) {
        CDialog* owner = FromHandle(::GetWindow(m_hWnd, GW_OWNER));
        if (owner && ::IsWindowEnabled(owner->m_hWnd) && owner->TranslateAccelerators(msg))
            return TRUE;
    }
    return ::IsDialogMessageW(m_hWnd, msg);
}

void CDialog::EndDialog(int result) {
    m_result = result;
    m_ended = true;
    if (m_modeless) {
        if (m_hWnd) ::DestroyWindow(m_hWnd);
        return;
    }
    // Wakes the modal loop, which may be waiting in GetMessage: a message sent from another
    // thread, for one, is handled there without GetMessage returning.
    if (m_hWnd) ::PostMessageW(m_hWnd, WM_NULL, 0, 0);
}

INT_PTR CALLBACK CDialog::DialogProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CDialog* self;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<CDialog*>(lParam);
        ::SetWindowLongPtrW(wnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
        self->m_hWnd = wnd;
        ::SetPropW(wnd, kDialogProperty, self);
        BOOL focusDefault = TRUE;
        try {
            focusDefault = self->OnInitDialog();
        } catch (...) {
            ReportCurrentException(kAfxInternalFailure);
        }
        return focusDefault;
    }
    self = reinterpret_cast<CDialog*>(::GetWindowLongPtrW(wnd, DWLP_USER));
    if (!self) return FALSE;
    if (message == WM_NCDESTROY) {
        ::RemovePropW(wnd, kDialogProperty);
        self->m_hWnd = nullptr;
        ::SetWindowLongPtrW(wnd, DWLP_USER, 0);
        return FALSE;
    }
    LRESULT result = 0;
    if (!self->OnWndMsg(message, wParam, lParam, result)) return FALSE;
    switch (message) {
    // These messages take their result as the dialog procedure's return value.
    case WM_QUERYDRAGICON:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM: return static_cast<INT_PTR>(result);
    default: ::SetWindowLongPtrW(wnd, DWLP_MSGRESULT, result); return TRUE;
    }
}
