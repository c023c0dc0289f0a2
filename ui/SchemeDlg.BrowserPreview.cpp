// "Previe&w in Browser": the sample page written as a real page, beside a copy of the picture
// that its tag names, in a folder of the temporary folder, and opened in the desktop's browser.
#include "SchemeDlg.h"

#include "framework/ModalHost.h"
#include "framework/Shell.h"
#include "scheme/ColorPaste.h"
#include "scheme/PreviewPage.h"

namespace {
constexpr const wchar_t* kPreviewFolderName = L"Tintwright Preview ";
constexpr const wchar_t* kPreviewPageName = L"tintwright-preview.html";
constexpr const char* kPreviewPageHref = "tintwright-preview.html";
constexpr int kFolderAttempts = 100;
constexpr DWORD kLargestPreviewPage = 64 * 1024; // a larger page is none that a preview wrote
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
struct FileHandle {
    HANDLE value;
    ~FileHandle() {
        if (value != INVALID_HANDLE_VALUE) ::CloseHandle(value);
    }
};

// Writes the page over the previous preview's, in place and without a flush to the disk: a
// page of the temporary folder. (Emptying the file first takes longer than the page's write.)
void WritePage(const std::wstring& path, const std::string& page, const CString& name) {
    FileHandle file{::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)};
    DWORD written = 0;
    if (file.value == INVALID_HANDLE_VALUE ||
        !::WriteFile(file.value, page.data(), static_cast<DWORD>(page.size()), &written, nullptr) ||
        written != page.size() || !::SetEndOfFile(file.value))
        ThrowLastFileError(name);
}

// The process id in a preview folder's name ("Tintwright Preview 1234" or "... 1234-2"), 0 in
// any other name.
DWORD PreviewFolderProcess(const wchar_t* name) {
    const size_t prefix = std::wcslen(kPreviewFolderName);
    if (std::wcsncmp(name, kPreviewFolderName, prefix) != 0 || !iswdigit(name[prefix])) return 0;
    wchar_t* end = nullptr;
    const unsigned long id = std::wcstoul(name + prefix, &end, 10);
    if (*end == L'-' && iswdigit(end[1])) std::wcstoul(end + 1, &end, 10);
    return *end == 0 ? id : 0;
}

const wchar_t* FileNamePart(const wchar_t* path) {
    const wchar_t* slash = std::wcsrchr(path, L'\\');
    return slash ? slash + 1 : path;
}

// Whether id is a running process of this program: ids of ended processes are given out again.
bool IsRunningProgram(DWORD id) {
    HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
    if (!process) return ::GetLastError() == ERROR_ACCESS_DENIED; // another user's: kept
    wchar_t path[MAX_PATH + 1] = {}, own[MAX_PATH + 1] = {};
    DWORD length = MAX_PATH + 1, code = 0;
    const bool named = ::QueryFullProcessImageNameW(process, 0, path, &length) != 0;
    const bool running = ::GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
    ::CloseHandle(process);
    if (!running) return false;
    if (!named || !::GetModuleFileNameW(nullptr, own, MAX_PATH + 1)) return true;
    return _wcsicmp(FileNamePart(path), FileNamePart(own)) == 0;
}

// The picture that a preview's page names, "" when it names none or the page is no preview's.
std::wstring PreviewPicture(const std::wstring& page) {
    FileHandle file{::CreateFileW(page.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)};
    std::string text(kLargestPreviewPage + 1, '\0');
    DWORD read = 0;
    if (file.value == INVALID_HANDLE_VALUE ||
        !::ReadFile(file.value, text.data(), kLargestPreviewPage + 1, &read, nullptr) ||
        read > kLargestPreviewPage)
        return {};
    text.resize(read);
    const auto colors = ReadPastedColors(text);
    return colors && colors->picture ? AfxWide(*colors->picture) : std::wstring();
}

// Removes the preview folders of runs that ended without removing them (killed, or the system
// shut down): each page and the picture it names, then the folder if nothing else is in it.
void RemoveEndedPreviews(const std::wstring& temp) {
    WIN32_FIND_DATAW found;
    HANDLE search = ::FindFirstFileW((temp + kPreviewFolderName + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const DWORD id = PreviewFolderProcess(found.cFileName);
        if ((found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) !=
                FILE_ATTRIBUTE_DIRECTORY ||
            id == 0 || IsRunningProgram(id))
            continue;
        const std::wstring folder = temp + found.cFileName;
        const std::wstring page = folder + L"\\" + kPreviewPageName;
        const std::wstring picture = PreviewPicture(page);
        if (IsPlainFileName(picture)) ::DeleteFileW((folder + L"\\" + picture).c_str());
        ::DeleteFileW(page.c_str());
        ::RemoveDirectoryW(folder.c_str());
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
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
    RemoveEndedPreviews(std::wstring(temp, length));
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
    // The page before the picture's copy: a run ended during the copy leaves a page that names
    // the picture, and a later run's first preview removes both.
    // Its new link is one that no browser has followed: named after this preview's moment.
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
