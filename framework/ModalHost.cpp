#include "ModalHost.h"

#include <string>

namespace {
CModalHost g_platformHost;

// The function name of module, or nullptr when the library could not be loaded.
template <typename Function> Function Export(HMODULE module, const char* name) {
    if (!module) return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

// Loads a library of the system folder by its full path: never a file of that name elsewhere.
HMODULE LoadSystemLibrary(const char* name) {
    char folder[MAX_PATH] = {};
    UINT length = ::GetSystemDirectoryA(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    return ::LoadLibraryA((std::string(folder, length) + "\\" + name).c_str());
}

template <typename Function> Function CommonDialog(const char* name) {
    static HMODULE module = ::LoadLibraryA("comdlg32.dll");
    return Export<Function>(module, name);
}

using FileDialogFunction = BOOL(WINAPI*)(OPENFILENAMEA*);
using ColorDialogFunction = BOOL(WINAPI*)(CHOOSECOLORA*);
using HtmlHelpFunction = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);
CModalHost* g_host = &g_platformHost;
} // namespace

BOOL CModalHost::GetOpenFileName(OPENFILENAMEA& ofn) {
    auto function = CommonDialog<FileDialogFunction>("GetOpenFileNameA");
    return function && function(&ofn);
}

BOOL CModalHost::GetSaveFileName(OPENFILENAMEA& ofn) {
    auto function = CommonDialog<FileDialogFunction>("GetSaveFileNameA");
    return function && function(&ofn);
}

BOOL CModalHost::ChooseColor(CHOOSECOLORA& cc) {
    auto function = CommonDialog<ColorDialogFunction>("ChooseColorA");
    return function && function(&cc);
}

HWND CModalHost::HtmlHelp(HWND caller, const char* helpFile, UINT command, DWORD_PTR data) {
    static HMODULE module = LoadSystemLibrary("hhctrl.ocx");
    auto function = Export<HtmlHelpFunction>(module, "HtmlHelpA");
    return function ? function(caller, helpFile, command, data) : nullptr;
}

CModalHost& AfxGetModalHost() {
    return *g_host;
}

CModalHost* AfxSetModalHost(CModalHost* host) {
    CModalHost* previous = g_host;
    g_host = host ? host : &g_platformHost;
    return previous;
}
