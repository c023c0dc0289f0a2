#include "ModalHost.h"

namespace {
CModalHost g_platformHost;

// The function name of comdlg32.dll, or nullptr when the library cannot be loaded.
template <typename Function> Function CommonDialog(const char* name) {
    static HMODULE module = ::LoadLibraryA("comdlg32.dll");
    if (!module) return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

using FileDialogFunction = BOOL(WINAPI*)(OPENFILENAMEA*);
using ColorDialogFunction = BOOL(WINAPI*)(CHOOSECOLORA*);
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

CModalHost& AfxGetModalHost() {
    return *g_host;
}

CModalHost* AfxSetModalHost(CModalHost* host) {
    CModalHost* previous = g_host;
    g_host = host ? host : &g_platformHost;
    return previous;
}
