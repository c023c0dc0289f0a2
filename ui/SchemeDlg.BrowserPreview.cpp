// "Previe&w in Browser": the sample page written as a real page, beside a copy of the picture
// that its tag names, in a folder of the temporary folder, and opened in the desktop's browser.
#include "SchemeDlg.h"

#include "framework/ModalHost.h"
#include "framework/Shell.h"
#include "scheme/PreviewPage.h"

namespace {
constexpr const wchar_t* kPreviewFolderName = L"Tintwright Preview ";
constexpr const wchar_t* kPreviewPageName = L"tintwright-preview.html";
constexpr const char* kPreviewPageHref = "tintwright-preview.html";
constexpr int kFolderAttempts = 100;
using ExecuteFunction = HINSTANCE(WINAPI*)(HWND, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, INT);
constexpr const char* kBrowserFailed = "The web browser could not be started to show the preview.\n"
                                       "The page is %s; you may open it in a browser yourself.";

// A name that may stand beside the page: no folder, drive or stream of its own.
bool IsPlainFileName(const std::wstring& name) {
    return !name.empty() && name.find_first_of(L"\\/:") == std::wstring::npos && name != L"." &&
           name != L"..";
}

// Whether copy is an unchanged copy of source, as CopyFileW leaves it: the same size and time.
bool IsSameCopy(const std::wstring& source, const std::wstring& copy) {
    WIN32_FILE_ATTRIBUTE_DATA from{}, to{};
    if (!::GetFileAttributesExW(source.c_str(), GetFileExInfoStandard, &from) ||
        !::GetFileAttributesExW(copy.c_str(), GetFileExInfoStandard, &to))
        return false;
    return from.nFileSizeHigh == to.nFileSizeHigh && from.nFileSizeLow == to.nFileSizeLow &&
           ::CompareFileTime(&from.ftLastWriteTime, &to.ftLastWriteTime) == 0;
}

[[noreturn]] void ThrowLastFileError(const CString& name) {
    const LONG error = static_cast<LONG>(::GetLastError());
    AfxThrowFileException(CFileException::OsErrorToException(error), error, name);
}
// Writes the page over the previous preview's, in place and without a flush to the disk: a
// page of the temporary folder. (Emptying the file first takes longer than the page's write.)
void WritePage(const std::wstring& path, const std::string& page, const CString& name) {
    struct Handle {
        HANDLE value;
        ~Handle() {
            if (value != INVALID_HANDLE_VALUE) ::CloseHandle(value);
        }
    } file{::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr)};
    DWORD written = 0;
    if (file.value == INVALID_HANDLE_VALUE ||
        !::WriteFile(file.value, page.data(), static_cast<DWORD>(page.size()), &written, nullptr) ||
        written != page.size() || !::SetEndOfFile(file.value))
        ThrowLastFileError(name);
}
} // namespace

std::wstring CSchemeDlg::PreviewFolder() {
    // Made again when something removed it meanwhile, such as a cleaner of temporary files.
    const DWORD attributes = m_previewFolder.empty()
                                 ? INVALID_FILE_ATTRIBUTES
                                 : ::GetFileAttributesW(m_previewFolder.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return m_previewFolder;
    m_previewPicture.clear();
    wchar_t temp[MAX_PATH + 1] = {};
    const DWORD length = ::GetTempPathW(MAX_PATH + 1, temp);
    if (length == 0 || length > MAX_PATH) ThrowLastFileError("the temporary folder");
    // One folder per run, never one that is there already.
    const std::wstring base =
        std::wstring(temp, length) + kPreviewFolderName + std::to_wstring(::GetCurrentProcessId());
    for (int attempt = 0; attempt < kFolderAttempts; ++attempt) {
        std::wstring folder = base + (attempt ? L"-" + std::to_wstring(attempt) : L"");
        if (::CreateDirectoryW(folder.c_str(), nullptr)) return m_previewFolder = folder;
        if (::GetLastError() != ERROR_ALREADY_EXISTS) ThrowLastFileError(AfxUtf8(folder.c_str()));
    }
    ThrowLastFileError(AfxUtf8(base.c_str()));
}

void CSchemeDlg::OnPreviewInBrowser() {
    const std::wstring folder = PreviewFolder();
    const std::wstring name = AfxWide(m_backgroundName.str());
    const bool withPicture = BackgroundsShown() && m_backgroundLoaded && m_hBackground &&
                             IsPlainFileName(name) && !m_backgroundPath.IsEmpty();
    const std::wstring picture = withPicture ? folder + L"\\" + name : std::wstring();
    // The page of a previous preview names another picture: its copy goes.
    if (!m_previewPicture.empty() && _wcsicmp(m_previewPicture.c_str(), picture.c_str()) != 0) {
        ::DeleteFileW(m_previewPicture.c_str());
        m_previewPicture.clear();
    }
    if (withPicture) {
        const std::wstring source = AfxWide(m_backgroundPath.str());
        if (!IsSameCopy(source, picture)) {
            CWaitCursor wait;
            if (!::CopyFileW(source.c_str(), picture.c_str(), FALSE)) {
                const DWORD error = ::GetLastError();
                ::DeleteFileW(picture.c_str()); // a part copied would outlast the run
                ::SetLastError(error);
                ThrowLastFileError(m_backgroundPath);
            }
        }
        m_previewPicture = picture;
    }

    // A link that no browser has followed: named after this preview's moment.
    const std::string newHref = "never-visited-" + std::to_string(::GetCurrentProcessId()) + "-" +
                                std::to_string(::GetTickCount64()) + ".html";
    PreviewPageInputs inputs;
    const CString tag = GetDlgItem(IDC_BODY_TAG).GetWindowText();
    inputs.tag = tag.str();
    inputs.title = m_sampleTitle.str();
    inputs.newHref = newHref;
    inputs.visitedHref = kPreviewPageHref;
    const std::string page = ComposePreviewPage(inputs);
    const std::string pagePath = AfxUtf8((folder + L"\\" + kPreviewPageName).c_str());
    WritePage(AfxWide(pagePath), page, pagePath);

    // Under Wine the desktop's browser, as F1 opens the help's pages; otherwise the system's.
    bool opened;
    if (AfxRunningUnderWine())
        opened = AfxGetModalHost().OpenInBrowser(FileUrl(pagePath).c_str());
    else if (const auto execute = AfxShellFunction<ExecuteFunction>("ShellExecuteW"))
        opened = reinterpret_cast<INT_PTR>(execute(m_hWnd, nullptr, AfxWide(pagePath).c_str(),
                                                   nullptr, nullptr, SW_SHOWNORMAL)) > 32;
    else
        opened = false;
    if (!opened) {
        CString message;
        message.Format(kBrowserFailed, pagePath.c_str());
        AfxMessageBox(message, MB_OK | MB_ICONEXCLAMATION, 0);
    }
}

void CSchemeDlg::RemovePreviewFiles() {
    if (m_previewFolder.empty()) return;
    ::DeleteFileW((m_previewFolder + L"\\" + kPreviewPageName).c_str());
    if (!m_previewPicture.empty()) ::DeleteFileW(m_previewPicture.c_str());
    ::RemoveDirectoryW(m_previewFolder.c_str());
    m_previewFolder.clear();
    m_previewPicture.clear();
}
