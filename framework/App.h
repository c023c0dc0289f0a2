// The application object: one per process, reached through AfxGetApp.
#pragma once
#include <windows.h>
#include <htmlhelp.h>
#include "AfxRes.h"
#include "Wnd.h"

class CWinApp : public CCmdTarget {
public:
    explicit CWinApp(const char* appName = nullptr);
    ~CWinApp() override;
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual BOOL InitInstance() { return FALSE; }
    virtual int ExitInstance() { return 0; }
    // Asks the help engine for command on this application's help file; reports a failure.
    virtual void WinHelp(DWORD_PTR data, UINT command = HELP_CONTEXT);
    // Asks HTML Help for command on the HTML Help file; reports a failure as WinHelp does. While
    // the window that it opened is there, brings that window to the front instead.
    void HtmlHelp(DWORD_PTR data, UINT command = HH_DISPLAY_TOC);
    // Whether the HTML Help file is beside the program.
    bool HasHtmlHelpFile() const;
    // Whether the help's page is among the pages beside the program (m_helpPagesFolder).
    bool HasHelpPage(const char* page) const;
    // Opens the help's page in the desktop's web browser; reports a failure as WinHelp does.
    void BrowseHelp(const char* page);
    // Closes every window that HTML Help opened; done when the main window ends.
    void CloseHtmlHelp();

    void OnAppExit();
    void OnHelp();
    BOOL Enable3dControlsStatic() { return TRUE; } // every supported system draws 3-D controls

    HINSTANCE m_hInstance = nullptr;
    CWnd* m_pMainWnd = nullptr; // borrowed
    // The main window's keyboard accelerators; a resource, released with the module.
    HACCEL m_hAccelTable = nullptr;
    CString m_appName;          // the executable's base name, without folder and extension
    CString m_helpFilePath;     // the executable's path with the extension ".HLP"
    CString m_htmlHelpFilePath; // the executable's path with the extension ".chm"
    CString m_helpPagesFolder;  // the help's pages: the folder "help" beside the executable

private:
    bool m_htmlHelpStarted = false;   // HTML Help was loaded, so it has windows to close
    HWND m_hHtmlHelpWindow = nullptr; // borrowed: HTML Help owns its window

    DECLARE_MESSAGE_MAP()
};

CWinApp* AfxGetApp();
// Names the application and its help file after module; called by the entry point (and tests).
void AfxWinInit(HINSTANCE module);
// The entry point's work: AfxWinInit, InitInstance, then ExitInstance, whose result it returns.
int AfxWinMain(HINSTANCE module);
// A message box owned by the main window and captioned with the application's name.
int AfxMessageBox(const char* text, UINT type = MB_OK, UINT helpId = 0);

// Texts of the framework's own messages.
inline constexpr const char* kAfxCommandFailed = "Command failed.";
inline constexpr const char* kAfxInternalFailure = "Internal application error.";
inline constexpr const char* kAfxOutOfMemory = "Out of memory.";
inline constexpr const char* kAfxHelpFailed = "Failed to launch help.";
inline constexpr const char* kAfxLibraryMissing = "The system library %s could not be loaded.";
