// "&Load Background": picks an image file and has ImgLib decode it into the background bitmap.
#include "SchemeDlg.h"

#include <cstring>

#include "imglib/ImgLib.h"

namespace {
// The filter in the common dialogs' native form: pairs of strings, the list ending in an
// extra string end (the literal's own).
constexpr char kBackgroundFilter[] = "All Supported Images\0*.bmp;*.jpg;*.tga;*.pcd;*.pcx;*.tif\0"
                                     "Bitmaps (*.bmp)\0*.bmp\0"
                                     "JPEG Files (*.jpg)\0*.jpg\0"
                                     "Targa (*.tga)\0*.tga\0"
                                     "Photo CD (*.pcd)\0*.pcd\0"
                                     "PCX Files (*.pcx)\0*.pcx\0"
                                     "TIFF Files (*.tif)\0*.tif\0";
constexpr DWORD kLoadBackgroundFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
} // namespace

CString ImageFailureMessage(int32_t code) {
    CString message = "An error has occured.";
    switch (code) {
    case IMGLIB_ERR_UNSUPPORTED: message += "\nYou attempted to load an unsupported image."; break;
    case IMGLIB_ERR_INCOMPATIBLE:
        message += "\nYou attempted to load an incompatible image.";
        break;
    default: break;
    }
    return message;
}

void CSchemeDlg::ReportImageFailure() {
    AfxMessageBox(ImageFailureMessage(GetLastImgLibError()), MB_OK | MB_ICONEXCLAMATION, 0);
}

void CSchemeDlg::OnLoadBackground() {
    char filter[sizeof kBackgroundFilter];
    std::memcpy(filter, kBackgroundFilter, sizeof filter);
    CFileDialog dialog(TRUE, nullptr, nullptr, kLoadBackgroundFlags, nullptr, nullptr);
    dialog.m_ofn.lpstrFilter = filter;
    if (dialog.DoModal() != IDOK) return;

    m_backgroundName = dialog.GetPathName();
    m_backgroundPath = m_backgroundName;
    SetBackgroundBitmap(ReadFileIntoDDB(m_backgroundName, &m_backgroundAux, 0));
    if (!m_hBackground) {
        ReportImageFailure();
        return;
    }
    m_backgroundLoaded = 1;
    m_backgroundName = dialog.GetFileName();
    Refresh(RefreshScope::CurrentRole);
}
