// Files that the desktop hands over, named on the command line or dropped on the window: a
// scheme file, a page or a picture, each opened as its own command opens it.
#include "SchemeDlg.h"

#include <algorithm>
#include <cctype>

#include "framework/Shell.h"
#include "imglib/ImgLib.h"

namespace {
// The file name's last extension in lower case, with its dot; empty when there is none.
std::string LowerExtension(const std::string& path) {
    const size_t nameStart = AfxFileNameOffset(path);
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || dot < nameStart) return {};
    std::string extension = path.substr(dot);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char ch) { return static_cast<char>(std::tolower(ch)); });
    return extension;
}
} // namespace

void CSchemeDlg::OpenDesktopFile(const CString& path) {
    // Scheme files and pages by their extension; pictures by their content, whatever their name.
    const std::string extension = LowerExtension(path.str());
    if (extension == ".colors")
        OpenSchemeFile(path);
    else if (extension == ".htm" || extension == ".html")
        OpenPageFile(path);
    else
        LoadDesktopPicture(path);
}

void CSchemeDlg::LoadDesktopPicture(const CString& path) {
    SchemeStep step(*this, "Load Background");
    // A picture that fails changes nothing: the window keeps its colours and its picture.
    if (!LoadBackgroundFile(path, CString(path.str().substr(AfxFileNameOffset(path.str())))))
        return;
    const int32_t format = GetLastImgLibFormat();
    TickShowBackgrounds();
    Refresh(RefreshScope::CurrentRole);
    OfferPngCopy(format);
}

void CSchemeDlg::OnDropFiles(HDROP drop) {
    // The first file of the drop; the others are left, as one scheme or picture is shown.
    using QueryFunction = UINT(WINAPI*)(HDROP, UINT, LPWSTR, UINT);
    using FinishFunction = void(WINAPI*)(HDROP);
    const auto query = AfxShellFunction<QueryFunction>("DragQueryFileW");
    const auto finish = AfxShellFunction<FinishFunction>("DragFinish");
    const UINT length = query ? query(drop, 0, nullptr, 0) : 0;
    std::wstring path(length + 1, L'\0');
    const UINT copied = length ? query(drop, 0, path.data(), length + 1) : 0;
    if (finish) finish(drop);
    if (!copied) return;
    path.resize(copied);
    ::SetForegroundWindow(m_hWnd);
    OpenDesktopFile(CString(AfxUtf8(path)));
}

void CSchemeDlg::OnOpenStartFile() {
    const CString path = m_startFile;
    m_startFile = CString();
    if (!path.IsEmpty()) OpenDesktopFile(path);
}
