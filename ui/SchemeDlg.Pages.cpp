// "Open &Page Colors...", "&Apply to Page..." and "Apply Style Shee&t to Page...": the scheme read
// from an HTML page, and written into its BODY tag or a style element, every other byte kept.
#include <algorithm>
#include <array>

#include "PageFiles.h"
#include "SchemeDlg.h"
#include "imglib/ImgLib.h"
#include "shared/FileBeside.h"
#include "scheme/AsciiText.h"
#include "scheme/StyleSheet.h"

namespace {
constexpr const char* kPageFilter = "Web Pages (*.htm;*.html)|*.htm;*.html|All Files (*.*)|*.*|";
constexpr DWORD kPageDialogFlags = OFN_HIDEREADONLY | OFN_FILEMUSTEXIST;
constexpr const char* kCopyFilter = "All Files (*.*)|*.*|";
constexpr DWORD kCopyDialogFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
constexpr UINT kRefusalIcon = MB_OK | MB_ICONEXCLAMATION;

constexpr const char* kPageTooLarge =
    "%s is larger than 64 MiB (67,108,864 bytes), the most that Tintwright reads of a page.\n"
    "Nothing was written.";
constexpr const char* kPageTooLargeToOpen =
    "%s is larger than 64 MiB (67,108,864 bytes), the most that Tintwright reads of a page.";
constexpr const char* kNoPageColors =
    "%s has no colours that Tintwright reads: no <BODY> start tag with colours and no style "
    "rules for the page or its links.";
constexpr const char* kStyleSheetWins =
    "The style sheet of %s sets colours that the tag sets, and browsers show the style "
    "sheet's:\n%s\nWrite the tag all the same?";
// The colour roles as their buttons name them, in role order.
constexpr const char* kRoleNames[kRoleCount] = {"Background Color", "Text Color", "New Link Color",
                                                "Visited Link Color", "Active Link Color"};
constexpr const char* kPageReadOnly = "%s is read-only.\nNothing was written.";
constexpr const char* kPageInUtf16 =
    "%s is written in UTF-16, which Tintwright cannot write into.\n"
    "Save it as UTF-8 and try again. Nothing was written.";
constexpr const char* kNoBodyTag =
    "%s has no <BODY> start tag for the colours.\nNothing was written.";
constexpr const char* kNameNotEncodable =
    "The picture's name \"%s\" has characters that the page's encoding (code page %d) cannot "
    "hold.\nNothing was written.";
constexpr const char* kCopyQuestion =
    "The picture %s is neither in the page's folder nor under it, so the page would not find "
    "it.\n\nYes: save a copy beside the page and name the copy.\n"
    "No: name the picture as the tag does, \"%s\".\nCancel: write nothing.";
constexpr const char* kCopyOutside =
    "The copy must be in the page's folder or under it, for the page to find it.\n"
    "Nothing was written.";

// path's name relative to folder (which ends in a separator), with forward slashes; nullopt for
// a path that is not in the folder or under it.
std::optional<std::string> NameUnderFolder(const std::string& path, const std::string& folder) {
    const std::wstring full = FullPath(AfxWide(path));
    const std::wstring base = FullPath(AfxWide(folder));
    const int baseLength = static_cast<int>(base.size());
    if (full.size() <= base.size() || (base.back() != L'\\' && base.back() != L'/') ||
        ::CompareStringOrdinal(full.data(), baseLength, base.data(), baseLength, TRUE) !=
            CSTR_EQUAL)
        return std::nullopt;
    std::string name = AfxUtf8(std::wstring_view(full).substr(base.size()));
    std::replace(name.begin(), name.end(), '\\', '/');
    return name;
}

// A picture's name as a page writes it, as a path: percent escapes decoded, "file:" left off,
// forward slashes turned round, and a relative one taken from the page's folder.
std::string PicturePath(const std::string& name, const std::string& pageFolder) {
    std::string path;
    for (size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '%' && i + 2 < name.size() && HexValue(name[i + 1]) >= 0 &&
            HexValue(name[i + 2]) >= 0) {
            path += static_cast<char>(HexValue(name[i + 1]) * 16 + HexValue(name[i + 2]));
            i += 2;
        } else {
            path += name[i] == '/' ? '\\' : name[i];
        }
    }
    constexpr std::string_view kFileScheme = "file:\\\\\\";
    if (path.compare(0, kFileScheme.size(), kFileScheme) == 0) path.erase(0, kFileScheme.size());
    const bool absolute = (!path.empty() && path[0] == '\\') || (path.size() > 1 && path[1] == ':');
    return absolute ? path : pageFolder + path;
}

void Refuse(const char* format, const CString& path) {
    CString message;
    message.Format(format, path.str().c_str());
    AfxMessageBox(message, kRefusalIcon, 0);
}

// The edited page in path's place, or the refusal of a picture name that its code page cannot hold.
void WriteEditedPage(const CString& path, MappedPage& page, const PageEdit& edit,
                     const std::string& name, int codePage) {
    if (edit.status == PageEditStatus::NotEncodable) {
        CString message;
        message.Format(kNameNotEncodable, name.c_str(), codePage);
        AfxMessageBox(message, kRefusalIcon, 0);
        return;
    }
    WritePageFile(path, page, edit);
}
} // namespace

bool CSchemeDlg::ChoosePageToApply(CString& path, std::unique_ptr<MappedPage>& page,
                                   PageEncoding& encoding) {
    CFileDialog dialog(TRUE, nullptr, nullptr, kPageDialogFlags, kPageFilter, nullptr);
    if (dialog.DoModal() != IDOK) return false;
    path = dialog.GetPathName();
    // Wine running as root would write it all the same.
    if (IsReadOnlyFile(AfxWide(path.str()).c_str())) return Refuse(kPageReadOnly, path), false;
    page = std::make_unique<MappedPage>(path);
    if (page->IsTooLarge()) return Refuse(kPageTooLarge, path), false;
    const std::string_view bytes = page->Bytes();
    encoding = FindPageEncoding(bytes, static_cast<int>(::GetACP()));
    if (encoding.codePage == kCodePageUtf16LE || encoding.codePage == kCodePageUtf16BE)
        return Refuse(kPageInUtf16, path), false;
    if (!FindBodyStartTag(bytes)) return Refuse(kNoBodyTag, path), false;
    return true;
}

bool CSchemeDlg::ConfirmTagUnderStyleSheet(const CString& path, std::string_view page,
                                           const PageEncoding& encoding, bool backgroundForm) {
    std::optional<PastedColors> read;
    {
        CWaitCursor wait;
        read = ReadPageColors(page, encoding);
    }
    if (!read) return true;
    std::string roles;
    // In the background form the tag sets no background colour.
    for (int role = backgroundForm ? 1 : 0; role < kRoleCount; ++role)
        if (read->fromStyleSheet[role]) roles += std::string("    ") + kRoleNames[role] + "\n";
    if (roles.empty()) return true;
    CString question;
    question.Format(kStyleSheetWins, path.str().c_str(), roles.c_str());
    return AfxMessageBox(question, MB_OKCANCEL | MB_ICONWARNING, 0) == IDOK;
}

bool CSchemeDlg::PagePictureName(const CString& pagePath, std::string& name) {
    name = m_backgroundName.str();
    // Without a picture the tag's name stands, as Copy Tag gives it.
    if (m_backgroundPath.str().empty()) return true;
    const std::string folder = AfxFolderOf(pagePath.str());
    if (auto relative = NameUnderFolder(m_backgroundPath.str(), folder)) {
        name = *relative;
        return true;
    }
    CString question;
    question.Format(kCopyQuestion, m_backgroundPath.str().c_str(), name.c_str());
    const int answer = AfxMessageBox(question, MB_YESNOCANCEL | MB_ICONQUESTION, 0);
    if (answer == IDNO) return true;
    if (answer != IDYES) return false;

    const std::string& source = m_backgroundPath.str();
    const CString fileName(source.substr(AfxFileNameOffset(source)));
    const CString initialFolder(folder);
    CFileDialog dialog(FALSE, nullptr, fileName, kCopyDialogFlags, kCopyFilter, nullptr);
    dialog.m_ofn.lpstrInitialDir = initialFolder;
    if (dialog.DoModal() != IDOK) return false;
    const CString copy = dialog.GetPathName();
    const std::optional<std::string> relative = NameUnderFolder(copy.str(), folder);
    if (!relative) return AfxMessageBox(kCopyOutside, kRefusalIcon, 0), false;
    if (!::CopyFileW(AfxWide(source).c_str(), AfxWide(copy.str()).c_str(), FALSE)) {
        const LONG error = static_cast<LONG>(::GetLastError());
        AfxThrowFileException(CFileException::OsErrorToException(error), error, copy);
    }
    name = *relative;
    return true;
}

void CSchemeDlg::OnApplyToPage() {
    CString path;
    std::unique_ptr<MappedPage> page;
    PageEncoding encoding;
    if (!ChoosePageToApply(path, page, encoding)) return;
    const int codePage = encoding.codePage;
    BodyTagInputs colors = TagInputs();
    if (!ConfirmTagUnderStyleSheet(path, page->Bytes(), encoding, colors.backgroundForm)) return;
    std::string name;
    if (colors.backgroundForm && !PagePictureName(path, name)) return;
    colors.backgroundName = name; // as the page names the picture

    CWaitCursor wait;
    const PageEdit edit = ApplyBodyColors(page->Bytes(), colors, [codePage](std::string_view text) {
        return EncodeForPage(codePage, text);
    });
    WriteEditedPage(path, *page, edit, name, codePage);
}

void CSchemeDlg::OnApplyStyleSheet() {
    CString path;
    std::unique_ptr<MappedPage> page;
    PageEncoding encoding;
    if (!ChoosePageToApply(path, page, encoding)) return;
    const int codePage = encoding.codePage;
    const bool backgroundForm = BackgroundsShown();
    std::string name;
    if (backgroundForm && !PagePictureName(path, name)) return;

    CWaitCursor wait;
    const PageEdit edit = ApplyStyleElement(
        page->Bytes(), ComposeStyleSheet(ColorTable, name, backgroundForm),
        [codePage](std::string_view text) { return EncodeForPage(codePage, text); });
    WriteEditedPage(path, *page, edit, name, codePage);
}

void CSchemeDlg::OnOpenPageColors() {
    CFileDialog dialog(TRUE, nullptr, nullptr, kPageDialogFlags, kPageFilter, nullptr);
    if (dialog.DoModal() != IDOK) return;
    OpenPageFile(dialog.GetPathName());
}

void CSchemeDlg::OpenPageFile(const CString& path) {
    std::optional<PastedColors> read;
    {
        CWaitCursor wait;
        MappedPage page(path);
        if (page.IsTooLarge()) return Refuse(kPageTooLargeToOpen, path);
        const std::string_view bytes = page.Bytes();
        read = ReadPageColors(bytes, FindPageEncoding(bytes, static_cast<int>(::GetACP())));
    }
    const bool anyRole = read && std::any_of(read->roles.begin(), read->roles.end(),
                                             [](const auto& role) { return role.has_value(); });
    if (!anyRole && !(read && read->picture)) return Refuse(kNoPageColors, path);

    SchemeStep step(*this, "Open Page Colors");
    TakePastedRoles(*read);
    // Loaded as Load Background loads one, then shown; the tag names it as the page does. After a
    // failure's message the window still shows the colours, which are stored already.
    if (read->picture &&
        LoadBackgroundFile(CString(PicturePath(*read->picture, AfxFolderOf(path.str()))),
                           CString(*read->picture)))
        TickShowBackgrounds();
    Refresh(RefreshScope::AllRolesReselected);
}
