#include "ModalHost.h"

#include "Exception.h"

namespace {
CModalHost g_platformHost;
constexpr const char* kCommonDialogs = "comdlg32.dll";

// The function name of the common dialogs' library. Throws when the library or the function
// is missing, so that the command fails visibly instead of looking cancelled.
template <typename Function> Function CommonDialog(const char* name) {
    static HMODULE module = ::LoadLibraryA(kCommonDialogs);
    FARPROC function = module ? ::GetProcAddress(module, name) : nullptr;
    if (!function) throw CLibraryException(kCommonDialogs);
    return reinterpret_cast<Function>(reinterpret_cast<void*>(function));
}

using FileDialogFunction = BOOL(WINAPI*)(OPENFILENAMEA*);
using ColorDialogFunction = BOOL(WINAPI*)(CHOOSECOLORA*);
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

CModalHost& AfxGetModalHost() {
    return *g_host;
}

CModalHost* AfxSetModalHost(CModalHost* host) {
    CModalHost* previous = g_host;
    g_host = host ? host : &g_platformHost;
    return previous;
}
