// "&Load Background": picks an image file and has ImgLib decode it into the background bitmap;
// for a format that browsers do not show, offers a PNG copy to use instead.
#include "SchemeDlg.h"

#include <cstring>
#include <string>

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

constexpr const char* kPngCopyQuestion =
    "Web browsers do not show %s pictures, so your page would have no background.\n\n"
    "Save a PNG copy to use instead?";
constexpr const char* kPngFilter = "PNG Files (*.png)|*.png|";
constexpr const char* kPngExtension = "png";
constexpr DWORD kPngCopyFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;

// The name by which the question calls a format that web browsers do not show; nullptr for the
// formats that they show.
const char* FormatBrowsersDoNotShow(int32_t format) {
    switch (format) {
    case IMGLIB_FORMAT_TGA: return "TGA";
    case IMGLIB_FORMAT_PCX: return "PCX";
    case IMGLIB_FORMAT_PHOTOCD: return "Photo CD";
    case IMGLIB_FORMAT_TIFF: return "TIFF";
    default: return nullptr;
    }
}

// The file name with its last extension, if any, replaced by ".png".
std::string PngName(std::string name) {
    const size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0) name.erase(dot);
    return name + "." + kPngExtension;
}

// A file error for the file name, in the framework's words; systemError 0 gives the generic one.
[[noreturn]] void ThrowFileError(DWORD systemError, const char* name) {
    if (systemError == ERROR_SUCCESS) {
        AfxThrowFileException(CFileException::genericException, -1, name);
    }
    const LONG error = static_cast<LONG>(systemError);
    AfxThrowFileException(CFileException::OsErrorToException(error), error, name);
}
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
    SetBackgroundBitmap(
        ReadFileIntoDDBW(AfxWide(m_backgroundName.str()).c_str(), &m_backgroundAux, 0));
    if (!m_hBackground) {
        ReportImageFailure();
        return;
    }
    const int32_t format = GetLastImgLibFormat();
    m_backgroundLoaded = 1;
    m_backgroundName = dialog.GetFileName();
    Refresh(RefreshScope::CurrentRole);
    OfferPngCopy(format);
}

void CSchemeDlg::OfferPngCopy(int32_t format) {
    const char* formatName = FormatBrowsersDoNotShow(format);
    if (!formatName) return;
    CString question;
    question.Format(kPngCopyQuestion, formatName);
    if (AfxMessageBox(question, MB_YESNO | MB_ICONINFORMATION, 0) != IDYES) return;

    // In the picture's folder, under its name.
    const std::string& source = m_backgroundPath.str();
    const CString folder(source.substr(0, AfxFileNameOffset(source)));
    CFileDialog dialog(FALSE, kPngExtension, PngName(m_backgroundName.str()).c_str(), kPngCopyFlags,
                       kPngFilter, nullptr);
    dialog.m_ofn.lpstrInitialDir = folder;
    if (dialog.DoModal() != IDOK) return;

    const CString png = dialog.GetPathName();
    int32_t code;
    DWORD systemError;
    {
        // A large picture takes seconds to compress.
        CWaitCursor wait;
        code = WritePngCopyW(AfxWide(m_backgroundPath.str()).c_str(), AfxWide(png.str()).c_str());
        systemError = ::GetLastError();
    }
    if (code != IMGLIB_OK) {
        // The picture in use stays the original.
        switch (code) {
        case IMGLIB_ERR_WRITE: ThrowFileError(systemError, png);
        case IMGLIB_ERR_FILE_NOT_FOUND:
        case IMGLIB_ERR_READ: ThrowFileError(systemError, m_backgroundPath);
        case IMGLIB_ERR_NO_MEMORY: AfxThrowMemoryException();
        default: AfxMessageBox(ImageFailureMessage(code), MB_OK | MB_ICONEXCLAMATION, 0); return;
        }
    }
    m_backgroundPath = png;
    m_backgroundName = dialog.GetFileName();
    Refresh(RefreshScope::CurrentRole);
}
