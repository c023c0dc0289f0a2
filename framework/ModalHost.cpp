#include "ModalHost.h"

#include <string>

#include "Exception.h"

namespace {
CModalHost g_platformHost;
constexpr const char* kCommonDialogs = "comdlg32.dll";

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

// The function name of the common dialogs' library. Throws when the library or the function
// is missing, so that the command fails visibly instead of looking cancelled.
template <typename Function> Function CommonDialog(const char* name) {
    static HMODULE module = ::LoadLibraryA(kCommonDialogs);
    const auto function = Export<Function>(module, name);
    if (!function) throw CLibraryException(kCommonDialogs);
    return function;
}

using FileDialogFunction = BOOL(WINAPI*)(OPENFILENAMEA*);
using ColorDialogFunction = BOOL(WINAPI*)(CHOOSECOLORA*);
using HtmlHelpFunction = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);
CModalHost* g_host = &g_platformHost;
} // namespace

BOOL CModalHost::GetOpenFileName(OPENFILENAMEA& ofn) {
    return CommonDialog<FileDialogFunction>("GetOpenFileNameA")(&ofn);
}

BOOL CModalHost::GetSaveFileName(OPENFILENAMEA& ofn) {
    return CommonDialog<FileDialogFunction>("GetSaveFileNameA")(&ofn);
}

BOOL CModalHost::ChooseColor(CHOOSECOLORA& cc) {
    return CommonDialog<ColorDialogFunction>("ChooseColorA")(&cc);
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
