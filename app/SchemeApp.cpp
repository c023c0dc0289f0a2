#include "SchemeApp.h"

#include <cwchar>

#include "framework/Shell.h"

#include "res/resource.h"
#include "ui/SchemeDlg.h"

// clang-format off
BEGIN_MESSAGE_MAP(CSchemeApp, CWinApp)
    ON_COMMAND(ID_HELP, &CWinApp::OnHelp)
END_MESSAGE_MAP()
// clang-format on

void CSchemeApp::LoadAcceleratorTable() {
    m_hAccelTable = ::LoadAcceleratorsW(m_hInstance, MAKEINTRESOURCEW(IDR_ACCELERATOR));
}

CString CSchemeApp::CommandLineFile() {
    // The program's own name is quoted or ends at a blank; without more, shell32 stays unloaded.
    const wchar_t* line = ::GetCommandLineW();
    const wchar_t* rest = line;
    if (*rest == L'"') {
        rest = std::wcschr(rest + 1, L'"');
        rest = rest ? rest + 1 : line + std::wcslen(line);
    } else {
        while (*rest && *rest != L' ' && *rest != L'\t')
            ++rest;
    }
    while (*rest == L' ' || *rest == L'\t')
        ++rest;
    if (!*rest) return CString();
    // Read in UTF-16, so that a name in any script arrives whole.
    using SplitFunction = LPWSTR*(WINAPI*)(LPCWSTR, int*);
    const auto split = AfxShellFunction<SplitFunction>("CommandLineToArgvW");
    int count = 0;
    LPWSTR* arguments = split ? split(line, &count) : nullptr;
    if (!arguments) return CString();
    CString file = count > 1 ? CString(AfxUtf8(arguments[1])) : CString();
    ::LocalFree(arguments);
    return file;
}

BOOL CSchemeApp::InitInstance() {
    Enable3dControlsStatic();
    LoadAcceleratorTable();
    CSchemeDlg dlg;
    dlg.SetStartFile(CommandLineFile());
    m_pMainWnd = &dlg;
    dlg.DoModal();
    m_pMainWnd = nullptr;
    CloseHtmlHelp(); // the help windows belong to the main window and end with it
    // The dialog was the whole program: no message loop follows.
    return FALSE;
}
