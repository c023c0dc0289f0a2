// The application object: one per process, reached through AfxGetApp.
#pragma once
#include <windows.h>
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

    void OnAppExit();
    void OnHelp();
    BOOL Enable3dControlsStatic() { return TRUE; } // every supported system draws 3-D controls

    HINSTANCE m_hInstance = nullptr;
    CWnd* m_pMainWnd = nullptr; // borrowed
    // The main window's keyboard accelerators; a resource, released with the module.
    HACCEL m_hAccelTable = nullptr;
    CString m_appName;      // the executable's base name, without folder and extension
    CString m_helpFilePath; // the executable's path with the extension ".HLP"

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
