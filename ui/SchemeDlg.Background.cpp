// "&Load Background": picks an image file and has ImgLib decode it into the background bitmap;
// for a format that browsers do not show, offers a PNG copy to use instead.
#include "SchemeDlg.h"

#include <cctype>
#include <cstring>
#include <string>

#include "imglib/ImgLib.h"

namespace {
// The filter in the common dialogs' native form: pairs of strings, the list ending in an
// extra string end (the literal's own).
constexpr char kBackgroundFilter[] =
    "All Supported Images\0"
    "*.bmp;*.jpg;*.tga;*.pcd;*.pcx;*.tif;*.dib;*.jpeg;*.jpe;*.jfif;*.tiff;*.png;*.gif\0"
    "Bitmaps (*.bmp;*.dib)\0*.bmp;*.dib\0"
    "JPEG Files (*.jpg;*.jpeg;*.jpe;*.jfif)\0*.jpg;*.jpeg;*.jpe;*.jfif\0"
    "Targa (*.tga)\0*.tga\0"
    "Photo CD (*.pcd)\0*.pcd\0"
    "PCX Files (*.pcx)\0*.pcx\0"
    "TIFF Files (*.tif;*.tiff)\0*.tif;*.tiff\0"
    "PNG Files (*.png)\0*.png\0"
    "GIF Files (*.gif)\0*.gif\0"
    "All Files (*.*)\0*.*\0";
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

// Why a file could not be opened or read: the framework's words for a file error, or the
// system's own.
CString ReadFailureReason(const CString& path, DWORD systemError) {
    const LONG error = static_cast<LONG>(systemError);
    const int cause = CFileException::OsErrorToException(error);
    CString reason;
    if (cause != CFileException::genericException && cause != CFileException::none &&
        CFileException(cause, error, path).GetErrorMessage(reason)) {
        return reason;
    }
    wchar_t* text = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, systemError, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string system = length ? AfxUtf8(std::wstring_view(text, length)) : std::string();
    if (text) ::LocalFree(text);
    while (!system.empty() && std::isspace(static_cast<unsigned char>(system.back())))
        system.pop_back();
    if (system.empty() || systemError == ERROR_SUCCESS)
        reason.Format("%s could not be read.", path.str().c_str());
    else
        reason.Format("%s could not be read: %s", path.str().c_str(), system.c_str());
    return reason;
}

constexpr const char* kTooLarge =
    "%s is too large: a picture may have at most 32768 pixels across and down and 64 Mi "
    "(67,108,864) pixels in all, and its file at most 512 MiB.";

// A file error for the file name, in the framework's words; systemError 0 gives the generic one.
[[noreturn]] void ThrowFileError(DWORD systemError, const char* name) {
    if (systemError == ERROR_SUCCESS) {
        AfxThrowFileException(CFileException::genericException, -1, name);
    }
    const LONG error = static_cast<LONG>(systemError);
    AfxThrowFileException(CFileException::OsErrorToException(error), error, name);
}
} // namespace

CString ImageFailureMessage(int32_t code, const CString& path, DWORD systemError) {
    CString message = "An error has occured.";
    CString reason;
    switch (code) {
    case IMGLIB_ERR_UNSUPPORTED: return message + "\nYou attempted to load an unsupported image.";
    case IMGLIB_ERR_INCOMPATIBLE: return message + "\nYou attempted to load an incompatible image.";
    case IMGLIB_ERR_FILE_NOT_FOUND: reason.Format("%s was not found.", path.str().c_str()); break;
    case IMGLIB_ERR_READ: reason = ReadFailureReason(path, systemError); break;
    case IMGLIB_ERR_CORRUPT:
        reason.Format("%s is damaged or cut short.", path.str().c_str());
        break;
    case IMGLIB_ERR_TOO_LARGE: reason.Format(kTooLarge, path.str().c_str()); break;
    case IMGLIB_ERR_NO_MEMORY:
        reason.Format("There is not enough memory to read %s.", path.str().c_str());
        break;
    case IMGLIB_ERR_BITMAP:
        reason.Format("The system could not make a bitmap of %s.", path.str().c_str());
        break;
    default: reason.Format("%s could not be read (ImgLib error %d).", path.str().c_str(), code);
    }
    return message + "\n" + reason;
}

bool CSchemeDlg::LoadBackgroundFile(const CString& path, const CString& name, const CString& more) {
    const CPagePicture::LoadResult result = m_picture.Load(path);
    if (!result.loaded) {
        CString message = ImageFailureMessage(result.code, path, result.systemError);
        if (!more.IsEmpty()) message += "\n" + more;
        AfxMessageBox(message, MB_OK | MB_ICONEXCLAMATION, 0);
        return false;
    }
    m_hBackground = m_picture.Bitmap();
    m_backgroundAux = result.aux;
    m_backgroundLoaded = 1;
    m_backgroundPath = path;
    m_backgroundName = name;
    return true;
}

void CSchemeDlg::OnLoadBackground() {
    char filter[sizeof kBackgroundFilter];
    std::memcpy(filter, kBackgroundFilter, sizeof filter);
    CFileDialog dialog(TRUE, nullptr, nullptr, kLoadBackgroundFlags, nullptr, nullptr);
    dialog.m_ofn.lpstrFilter = filter;
    if (dialog.DoModal() != IDOK) return;

    int32_t format;
    {
        SchemeStep step(*this, "Load Background");
        // A picture that fails leaves the one before, its path and its name as they were.
        if (!LoadBackgroundFile(dialog.GetPathName(), dialog.GetFileName())) return;
        format = GetLastImgLibFormat();
        Refresh(RefreshScope::CurrentRole);
    }
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
    SchemeStep step(*this, "PNG Copy");
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
        default:
            AfxMessageBox(ImageFailureMessage(code, m_backgroundPath, systemError),
                          MB_OK | MB_ICONEXCLAMATION, 0);
            return;
        }
    }
    m_backgroundPath = png;
    m_backgroundName = dialog.GetFileName();
    Refresh(RefreshScope::CurrentRole);
}
