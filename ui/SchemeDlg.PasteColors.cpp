// Edit > Paste Colors: the colours (and the picture) of a tag, a page, a style sheet or one
// colour on the clipboard.
#include <string>
#include <vector>

#include "SchemeDlg.h"
#include "scheme/ColorPaste.h"

namespace {
constexpr const char* kNothingToPaste =
    "There are no colors to paste: the clipboard holds no color, BODY tag, page or style sheet\n"
    "that Tintwright can read.";
constexpr const char* kPictureNotFound =
    "The background picture %s was not found\n"
    "(as a full path, or beside the scheme file or the current picture).\n"
    "The colors were pasted without it.";

bool IsAbsolutePath(const std::string& path) {
    const bool drive = path.size() > 2 && path[1] == ':' && (path[2] == '\\' || path[2] == '/');
    const bool share = path.size() > 1 && (path[0] == '\\' || path[0] == '/') &&
                       (path[1] == '\\' || path[1] == '/');
    return drive || share;
}

} // namespace

void CSchemeDlg::OnPasteColors() {
    const std::optional<PastedColors> pasted = ReadPastedColors(GetClipboardText());
    if (!pasted) {
        AfxMessageBox(kNothingToPaste, MB_OK | MB_ICONEXCLAMATION, 0);
        return;
    }
    SchemeStep step(*this, "Paste Colors");
    if (pasted->single && IsColorRole(m_currentRole))
        SetRoleRgb(ColorTable, m_currentRole, *pasted->single);
    TakePastedRoles(*pasted);
    if (pasted->picture && !PastePicture(*pasted->picture)) {
        CString message;
        message.Format(kPictureNotFound, pasted->picture->c_str());
        AfxMessageBox(message, MB_OK | MB_ICONEXCLAMATION, 0);
    }
    Refresh(RefreshScope::AllRolesReselected);
}

void CSchemeDlg::TakePastedRoles(const PastedColors& pasted) {
    for (int i = 0; i < kRoleCount; ++i)
        if (pasted.roles[i]) SetRoleRgb(ColorTable, kRoles[i], *pasted.roles[i]);
}

bool CSchemeDlg::PastePicture(const std::string& written) {
    std::vector<std::string> candidates;
    if (IsAbsolutePath(written)) {
        candidates.push_back(written);
    } else {
        for (const CString* beside : {&m_schemeFile, &m_backgroundPath})
            if (!beside->IsEmpty()) candidates.push_back(AfxFolderOf(beside->str()) + written);
    }
    for (const std::string& path : candidates) {
        if (!AfxIsFile(AfxWide(path))) continue;
        // The tag names a picture written with its folder by its file name, as Load Background.
        const CString name(IsAbsolutePath(written) ? written.substr(AfxFileNameOffset(written))
                                                   : written);
        if (LoadBackgroundFile(CString(path), name)) TickShowBackgrounds();
        return true; // found: a picture that cannot be read has been told
    }
    return false;
}
