// The one seam for modal helpers that a test cannot click through: the common file and colour
// dialogs, message boxes and the help engines. The shipped program uses the platform's own;
// a test installs a host of its own that answers them and records what was shown. Every text
// here, the file dialog's included, is UTF-8: the platform's host calls the wide functions.
#pragma once
#include <windows.h>
#include <commdlg.h>
#include <htmlhelp.h>

// The common dialogs' and HTML Help's libraries are loaded when first used, not with the program.
// When the common dialogs' cannot be, the platform's host throws CLibraryException, which the
// command reports.
class CModalHost {
public:
    virtual ~CModalHost() = default;
    virtual BOOL GetOpenFileName(OPENFILENAMEA& ofn);
    virtual BOOL GetSaveFileName(OPENFILENAMEA& ofn);
    virtual BOOL ChooseColor(CHOOSECOLORA& cc);
    virtual int MessageBox(HWND owner, const char* text, const char* caption, UINT type);
    virtual BOOL WinHelp(HWND owner, const char* helpFile, UINT command, ULONG_PTR data);
    // HTML Help's HtmlHelpW; nullptr when it fails or hhctrl.ocx cannot be loaded.
    virtual HWND HtmlHelp(HWND caller, const char* helpFile, UINT command, DWORD_PTR data);
    // Whether HTML Help can draw its pages: always on Windows; under Wine only with Wine's HTML
    // engine, without which it shows its contents beside empty pages.
    virtual bool HtmlHelpDrawsPages();
    // Hands the address (a full path or a URL, UTF-8) to the desktop's web browser through
    // Wine's winebrowser; FALSE when it could not be started.
    virtual BOOL OpenInBrowser(const char* url);
};

// Whether the program runs under Wine.
bool AfxRunningUnderWine();

// The host in use; the platform's own until a test installs another.
CModalHost& AfxGetModalHost();
// Installs host (nullptr restores the platform's own) and returns the previous one; not owned.
CModalHost* AfxSetModalHost(CModalHost* host);
