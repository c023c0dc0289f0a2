// The floor for the start-up benchmark: the main window's dialog template run with a dialog
// procedure that does nothing, so that its start and first paint are the platform's alone.
// Built twice: bare_dialog imports only what a dialog needs; bare_dialog_imports also binds
// the DLL that Tintwright.exe imports besides the system's (ImgLib).
#include <windows.h>

#include "res/resource.h"
#ifdef TW_SAME_IMPORTS
#include "imglib/ImgLib.h"
#endif

namespace {
INT_PTR CALLBACK NothingProc(HWND dialog, UINT message, WPARAM, LPARAM) {
    if (message == WM_INITDIALOG) return TRUE;
    if (message == WM_CLOSE) return ::EndDialog(dialog, IDCANCEL);
    return FALSE;
}
} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
#ifdef TW_SAME_IMPORTS
    // Never taken: binds ImgLib, so that loading it counts in this floor.
    if (commandLine[0] == '\x01') ::ReadFileIntoDDB(commandLine, nullptr, 0);
#else
    (void)commandLine;
#endif
    ::DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_SCHEME_DIALOG), nullptr, NothingProc, 0);
    return 0;
}
