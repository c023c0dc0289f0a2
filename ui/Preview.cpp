// The sample homepage. (Drawing comes with the preview; for now the window's own background.)
#include "SchemeDlg.h"

void CSchemeDlg::OnPaint() {
    PAINTSTRUCT ps;
    ::BeginPaint(m_hWnd, &ps);
    ::EndPaint(m_hWnd, &ps);
}

void CSchemeDlg::TileBackground(CDC*) {}

void CSchemeDlg::OnChangeTitle() {}
