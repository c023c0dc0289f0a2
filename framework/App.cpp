#include "App.h"

#include <algorithm>

#include "File.h"
#include "ModalHost.h"

namespace {
CWinApp* g_app = nullptr;

// The longest path that Windows knows, in UTF-16 units.
constexpr DWORD kLongestPath = 32768;

// The full path of module, however long.
std::wstring ModulePath(HMODULE module) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
        // A path that filled the buffer may have been cut: asked again with more room.
        if (length < path.size() || path.size() >= kLongestPath) {
            path.resize(std::min<size_t>(length, path.size()));
            return path;
        }
        path.resize(std::min<size_t>(2 * path.size(), kLongestPath));
    }
}

// Starts a help engine with the wait cursor, no capture or menu tracking left behind, and
// reports a start that failed.
template <typename Start> void StartHelpEngine(HWND owner, Start start) {
    CWaitCursor wait;
    if (::GetCapture()) ::ReleaseCapture();
    if (owner) ::SendMessageW(owner, WM_CANCELMODE, 0, 0);
    if (!start()) AfxMessageBox(kAfxHelpFailed, MB_OK | MB_ICONEXCLAMATION);
}
} // namespace

// clang-format off
BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
    ON_COMMAND(ID_APP_EXIT, &CWinApp::OnAppExit)
END_MESSAGE_MAP()
// clang-format on

CWinApp::CWinApp(const char* appName) {
    if (appName) m_appName = appName;
    g_app = this;
}

CWinApp::~CWinApp() {
    if (g_app == this) g_app = nullptr;
}

CWinApp* AfxGetApp() {
    return g_app;
}

void CWinApp::OnAppExit() {
    if (m_pMainWnd) m_pMainWnd->SendMessage(WM_CLOSE);
}

void CWinApp::OnHelp() {
    WinHelp(0, HELP_CONTENTS);
}

void CWinApp::WinHelp(DWORD_PTR data, UINT command) {
    HWND owner = m_pMainWnd ? m_pMainWnd->m_hWnd : nullptr;
    StartHelpEngine(
        owner, [&] { return AfxGetModalHost().WinHelp(owner, m_helpFilePath, command, data); });
}

void CWinApp::HtmlHelp(DWORD_PTR data, UINT command) {
    // A handle of a help window that was closed may since name another program's window.
    DWORD helpProcess = 0;
    if (m_hHtmlHelpWindow && ::GetWindowThreadProcessId(m_hHtmlHelpWindow, &helpProcess) &&
        helpProcess == ::GetCurrentProcessId()) {
        if (::IsIconic(m_hHtmlHelpWindow)) ::ShowWindow(m_hHtmlHelpWindow, SW_RESTORE);
        ::SetForegroundWindow(m_hHtmlHelpWindow);
        return;
    }
    HWND owner = m_pMainWnd ? m_pMainWnd->m_hWnd : nullptr;
    StartHelpEngine(owner, [&] {
        m_htmlHelpStarted = true;
        m_hHtmlHelpWindow = AfxGetModalHost().HtmlHelp(owner, m_htmlHelpFilePath, command, data);
        return m_hHtmlHelpWindow != nullptr;
    });
}

bool CWinApp::HasHtmlHelpFile() const {
    return AfxIsFile(AfxWide(m_htmlHelpFilePath.str()));
}

bool CWinApp::HasHelpPage(const char* page) const {
    return AfxIsFile(AfxWide((m_helpPagesFolder + "\\" + page).str()));
}

void CWinApp::BrowseHelp(const char* page) {
    // The plain path: winebrowser makes the file: URL itself, each byte of the path's UTF-8
    // that needs it percent-encoded, where an escaped URL of ours it would unescape in the code
    // page ("Tïntwright" read as "TÃ¯ntwright").
    const CString path = m_helpPagesFolder + "\\" + page;
    HWND owner = m_pMainWnd ? m_pMainWnd->m_hWnd : nullptr;
    StartHelpEngine(owner, [&] { return AfxGetModalHost().OpenInBrowser(path); });
}

void CWinApp::CloseHtmlHelp() {
    // Asked only once it was started: the call would load HTML Help otherwise.
    if (!m_htmlHelpStarted) return;
    AfxGetModalHost().HtmlHelp(nullptr, nullptr, HH_CLOSE_ALL, 0);
    m_htmlHelpStarted = false;
    m_hHtmlHelpWindow = nullptr;
}

void AfxWinInit(HINSTANCE module) {
    CWinApp* app = AfxGetApp();
    if (!app) return;
    app->m_hInstance = module;
    CString full(AfxUtf8(ModulePath(module)));
    const std::string& text = full.str();
    const size_t nameStart = AfxFileNameOffset(text);
    size_t dot = text.find_last_of('.');
    if (dot == std::string::npos || dot < nameStart) dot = text.size();
    if (app->m_appName.IsEmpty()) app->m_appName = text.substr(nameStart, dot - nameStart);
    app->m_helpFilePath = text.substr(0, dot) + ".HLP";
    app->m_htmlHelpFilePath = text.substr(0, dot) + ".chm";
    app->m_helpPagesFolder = text.substr(0, nameStart) + "help";
}

int AfxWinMain(HINSTANCE module) {
    AfxWinInit(module);
    CWinApp* app = AfxGetApp();
    if (!app) return -1;
    // A dialog-based program ends with its dialog: no message loop follows InitInstance.
    app->InitInstance();
    return app->ExitInstance();
}

int AfxMessageBox(const char* text, UINT type, UINT helpId) {
    (void)helpId;
    CWinApp* app = AfxGetApp();
    HWND owner = nullptr;
    if (app && app->m_pMainWnd && ::IsWindow(app->m_pMainWnd->m_hWnd))
        owner = ::GetLastActivePopup(app->m_pMainWnd->m_hWnd);
    const char* caption = app ? static_cast<const char*>(app->m_appName) : "";
    return AfxGetModalHost().MessageBox(owner, text, caption, type);
}
