// The floor for the start-up benchmark: the main window's dialog template run with a dialog
// procedure that does nothing, so that its start and first paint are the platform's alone.
#include <windows.h>

#include "res/resource.h"

namespace {
INT_PTR CALLBACK NothingProc(HWND dialog, UINT message, WPARAM, LPARAM) {
    if (message == WM_INITDIALOG) return TRUE;
    if (message == WM_CLOSE) return ::EndDialog(dialog, IDCANCEL);
    return FALSE;
}
} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    ::DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_SCHEME_DIALOG), nullptr, NothingProc, 0);
    return 0;
}
