#include "ModalHost.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "App.h"
#include "Exception.h"
#include "File.h"
#include "String.h"

namespace {
CModalHost g_platformHost;
constexpr const char* kCommonDialogs = "comdlg32.dll";
// The packages of Wine's Gecko for this program's machine, as Wine names them.
#ifdef _WIN64
constexpr const wchar_t* kGeckoPackages = L"wine-gecko-*-x86_64*";
#else
constexpr const wchar_t* kGeckoPackages = L"wine-gecko-*-x86*";
#endif

// The function name of module, or nullptr when the library could not be loaded.
template <typename Function> Function Export(HMODULE module, const char* name) {
    if (!module) return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

// The system folder; empty when the system cannot say.
std::wstring SystemFolder() {
    wchar_t folder[MAX_PATH] = {};
    UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
    return length == 0 || length >= MAX_PATH ? std::wstring() : std::wstring(folder, length);
}

// Loads a library of the system folder by its full path: never a file of that name elsewhere.
HMODULE LoadSystemLibrary(const wchar_t* name) {
    const std::wstring folder = SystemFolder();
    if (folder.empty()) return nullptr;
    return ::LoadLibraryW((folder + L"\\" + name).c_str());
}

// A Unix folder as Wine names it in its variables ("\\??\\unix/usr/share/wine"), as a path
// through Wine's Unix drive.
std::wstring UnixFolder(std::wstring folder) {
    constexpr std::wstring_view kUnix = L"\\??\\unix";
    if (folder.compare(0, kUnix.size(), kUnix) == 0)
        folder = L"\\\\?\\unix" + folder.substr(kUnix.size());
    for (wchar_t& ch : folder)
        if (ch == L'/') ch = L'\\';
    return folder;
}

// The names in folder that match pattern ("wine-gecko-*"), folders and files alike.
std::vector<std::wstring> NamesIn(const std::wstring& folder, const wchar_t* pattern) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE search = ::FindFirstFileW((folder + L"\\" + pattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if (std::wcscmp(found.cFileName, L".") != 0 && std::wcscmp(found.cFileName, L"..") != 0)
            names.push_back(found.cFileName);
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    return names;
}

// The Gecko folders that Wine's HTML engine registered on installing them: the GeckoPath of
// each version under HKLM\Software\Wine\MSHTML.
std::vector<std::wstring> RegisteredGeckoFolders() {
    std::vector<std::wstring> folders;
    HKEY versions = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Wine\\MSHTML", 0, KEY_READ, &versions) !=
        ERROR_SUCCESS)
        return folders;
    wchar_t version[MAX_PATH];
    for (DWORD i = 0;; ++i) {
        DWORD length = MAX_PATH;
        if (::RegEnumKeyExW(versions, i, version, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        wchar_t folder[MAX_PATH] = {};
        DWORD size = sizeof folder - sizeof(wchar_t);
        if (::RegGetValueW(versions, version, L"GeckoPath", RRF_RT_REG_SZ, nullptr, folder,
                           &size) == ERROR_SUCCESS)
            folders.push_back(folder);
    }
    ::RegCloseKey(versions);
    return folders;
}

// Whether Wine's HTML engine has what draws pages: Gecko's xul.dll in a folder registered for
// it or installed into the prefix, or a Gecko of the data folders that Wine installs on first
// use (its folder or its .msi).
// Every prefix has a gecko folder in the system folder with a plugin in it, Gecko or not.
bool GeckoInstalled() {
    for (const std::wstring& folder : RegisteredGeckoFolders()) {
        if (AfxIsFile(UnixFolder(folder) + L"\\xul.dll")) return true;
    }
    // Where Wine installs a version into the prefix: gecko\<version>\wine_gecko.
    const std::wstring installed = SystemFolder() + L"\\gecko";
    for (const std::wstring& version : NamesIn(installed, L"*")) {
        if (AfxIsFile(installed + L"\\" + version + L"\\wine_gecko\\xul.dll")) return true;
    }
    std::vector<std::wstring> dataFolders = {L"\\\\?\\unix\\usr\\share\\wine\\gecko",
                                             L"\\\\?\\unix\\opt\\wine\\gecko"};
    wchar_t data[MAX_PATH] = {};
    const DWORD length = ::GetEnvironmentVariableW(L"WINEDATADIR", data, MAX_PATH);
    if (length > 0 && length < MAX_PATH) dataFolders.push_back(UnixFolder(data) + L"\\gecko");
    for (const std::wstring& folder : dataFolders) {
        for (const std::wstring& name : NamesIn(folder, kGeckoPackages)) {
            const std::wstring path = folder + L"\\" + name;
            if (name.ends_with(L".msi") ? AfxIsFile(path) : AfxIsFile(path + L"\\xul.dll"))
                return true;
        }
    }
    return false;
}

// The wide form of a text that may be absent, kept while the call runs.
class WideText {
public:
    explicit WideText(const char* text) : m_present(text != nullptr) {
        if (text) m_text = AfxWide(text);
    }
    const wchar_t* get() const { return m_present ? m_text.c_str() : nullptr; }

private:
    bool m_present;
    std::wstring m_text;
};

// A list of strings ended by an empty one, as the file dialog's filter is.
std::wstring WideStringList(const char* list) {
    std::wstring wide;
    if (!list) return wide;
    for (const char* text = list; *text; text += std::strlen(text) + 1)
        wide += AfxWide(text) + L'\0';
    return wide + L'\0';
}

// The function name of the common dialogs' library. Throws when the library or the function
// is missing, so that the command fails visibly instead of looking cancelled.
template <typename Function> Function CommonDialog(const char* name) {
    static HMODULE module = ::LoadLibraryA(kCommonDialogs); // a name in ASCII
    const auto function = Export<Function>(module, name);
    if (!function) throw CLibraryException(kCommonDialogs);
    return function;
}

// ---- Paths that the file dialog cannot take ----

// Wine's file dialog overruns a buffer of its own on a path of MAX_PATH characters or more and
// the program ends with it, whatever the size of ours: such a path is refused before it acts.
constexpr const char* kPathTooLong =
    "This path is longer than 259 characters, more than the file dialog can take:\n%s\n\n"
    "Please choose a file whose path is shorter.";
constexpr const wchar_t* kDialogProcProperty = L"Tintwright.FileDialogProc";
constexpr const wchar_t* kDialogArgumentsProperty = L"Tintwright.FileDialogArguments";
// The most the dialog is asked for at once: the longest path Windows knows.
constexpr size_t kLongestPath = 32768;

// The full path of the name typed into the file dialog, as far as the dialog tells it.
std::wstring TypedPath(HWND dialog) {
    std::wstring typed(kLongestPath, L'\0');
    const LRESULT length =
        ::SendMessageW(dialog, CDM_GETSPEC, typed.size(), reinterpret_cast<LPARAM>(typed.data()));
    typed.resize(length > 0 ? std::wcslen(typed.c_str()) : 0);
    const bool absolute = (typed.size() > 1 && typed[1] == L':') ||
                          (!typed.empty() && (typed[0] == L'\\' || typed[0] == L'/'));
    if (absolute || typed.empty() || typed.find(L'"') != std::wstring::npos) return typed;
    std::wstring folder(kLongestPath, L'\0');
    if (::SendMessageW(dialog, CDM_GETFOLDERPATH, folder.size(),
                       reinterpret_cast<LPARAM>(folder.data())) <= 0)
        return typed;
    folder.resize(std::wcslen(folder.c_str()));
    return folder + (folder.empty() || folder.back() == L'\\' ? L"" : L"\\") + typed;
}

// The extension of a filter's pattern ("*.colors;*.x" gives "colors"), or nothing for one that
// holds a wildcard, as Wine's dialog takes it.
std::wstring PatternExtension(const wchar_t* pattern) {
    std::wstring extension(pattern, std::wcscspn(pattern, L";"));
    const size_t dot = extension.find(L'.');
    if (dot == std::wstring::npos || extension.find_first_of(L"*?", dot) != std::wstring::npos)
        return {};
    return extension.substr(dot + 1);
}

// The characters that the dialog adds to a typed name without an extension: a dot and the default
// extension, or the pattern's of any filter, whichever is longest, so that no path escapes the
// count.
size_t AddedExtensionLength(const std::wstring& path, const OPENFILENAMEW* arguments) {
    if (!arguments || !arguments->lpstrDefExt) return 0;
    const size_t nameStart = path.find_last_of(L"\\/:") + 1; // 0 without a folder
    // A folder typed to go into it gets nothing.
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (nameStart == path.size() ||
        (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) ||
        path.find(L'.', nameStart) != std::wstring::npos ||
        path.find_first_of(L"*?\"", nameStart) != std::wstring::npos)
        return 0;
    size_t longest = std::wcslen(arguments->lpstrDefExt);
    if (const wchar_t* filter = arguments->lpstrFilter) {
        // Pairs of description and pattern, ended by an empty string.
        for (const wchar_t* text = filter; *text; text += std::wcslen(text) + 1) {
            text += std::wcslen(text) + 1;
            if (!*text) break;
            longest = std::max(longest, PatternExtension(text).size());
        }
    }
    return longest == 0 ? 0 : 1 + longest;
}

LRESULT CALLBACK FileDialogGuard(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto previous = reinterpret_cast<WNDPROC>(::GetPropW(dialog, kDialogProcProperty));
    if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
        std::wstring path = TypedPath(dialog);
        const auto arguments =
            static_cast<const OPENFILENAMEW*>(::GetPropW(dialog, kDialogArgumentsProperty));
        const size_t added = AddedExtensionLength(path, arguments);
        if (path.size() + added >= MAX_PATH) {
            if (added > 0) path += L'.' + std::wstring(arguments->lpstrDefExt);
            const std::string utf8 = AfxUtf8(path.c_str());
            std::string text(std::strlen(kPathTooLong) + utf8.size(), '\0');
            text.resize(std::snprintf(text.data(), text.size(), kPathTooLong, utf8.c_str()));
            AfxMessageBox(text.c_str(), MB_OK | MB_ICONEXCLAMATION);
            return 0;
        }
    }
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(dialog, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
        ::RemovePropW(dialog, kDialogProcProperty);
        ::RemovePropW(dialog, kDialogArgumentsProperty);
    }
    return ::CallWindowProcW(previous, dialog, message, wParam, lParam);
}

// The hook of an explorer-style dialog runs in a child of the dialog: it puts the guard on the
// dialog itself, which receives OK.
UINT_PTR CALLBACK FileDialogHook(HWND child, UINT message, WPARAM, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        HWND dialog = ::GetParent(child);
        // The dialog's arguments, which outlive it: the default extension and the filter.
        ::SetPropW(dialog, kDialogArgumentsProperty, reinterpret_cast<HANDLE>(lParam));
        const LONG_PTR previous =
            ::SetWindowLongPtrW(dialog, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FileDialogGuard));
        ::SetPropW(dialog, kDialogProcProperty, reinterpret_cast<HANDLE>(previous));
    }
    return 0;
}

using FileDialogFunction = BOOL(WINAPI*)(OPENFILENAMEW*);
using ColorDialogFunction = BOOL(WINAPI*)(CHOOSECOLORW*);
using HtmlHelpFunction = HWND(WINAPI*)(HWND, LPCWSTR, UINT, DWORD_PTR);

// Runs the wide file dialog over ofn, whose texts are UTF-8; the chosen path comes back into
// ofn.lpstrFile as UTF-8, its offsets counted in bytes. Under Wine an explorer-style dialog
// that its caller did not hook gets the guard against long paths. (On Windows a hook would
// bring back the older dialog, which the current one need not be.)
BOOL RunFileDialog(const char* name, OPENFILENAMEA& ofn) {
    const auto function = CommonDialog<FileDialogFunction>(name);
    const std::wstring filter = WideStringList(ofn.lpstrFilter);
    const WideText initialDir(ofn.lpstrInitialDir), title(ofn.lpstrTitle),
        defaultExt(ofn.lpstrDefExt);
    // Room for as many UTF-16 units as ofn.lpstrFile takes back in UTF-8 (three bytes each).
    std::wstring file(std::max<DWORD>(ofn.nMaxFile / 3, 1), L'\0');
    if (ofn.lpstrFile) {
        const std::wstring initial = AfxWide(ofn.lpstrFile);
        std::copy_n(initial.begin(), std::min(initial.size(), file.size() - 1), file.begin());
    }
    OPENFILENAMEW wide{};
    wide.lStructSize = sizeof wide;
    wide.hwndOwner = ofn.hwndOwner;
    wide.hInstance = ofn.hInstance;
    wide.lpstrFilter = ofn.lpstrFilter ? filter.c_str() : nullptr;
    wide.nFilterIndex = ofn.nFilterIndex;
    wide.lpstrFile = file.data();
    wide.nMaxFile = static_cast<DWORD>(file.size());
    wide.lpstrInitialDir = initialDir.get();
    wide.lpstrTitle = title.get();
    wide.Flags = ofn.Flags;
    wide.lpstrDefExt = defaultExt.get();
    const bool guarded =
        !(ofn.Flags & OFN_ENABLEHOOK) && (ofn.Flags & OFN_EXPLORER) && AfxRunningUnderWine();
    if (guarded) {
        wide.Flags |= OFN_ENABLEHOOK;
        wide.lpfnHook = FileDialogHook;
    }
    if (!function(&wide)) return FALSE;

    ofn.Flags = guarded ? wide.Flags & ~static_cast<DWORD>(OFN_ENABLEHOOK) : wide.Flags;
    ofn.nFilterIndex = wide.nFilterIndex;
    const std::string path = AfxUtf8(file.c_str());
    if (!ofn.lpstrFile || path.size() + 1 > ofn.nMaxFile) return FALSE;
    std::memcpy(ofn.lpstrFile, path.c_str(), path.size() + 1);
    const size_t nameStart = AfxFileNameOffset(path);
    const size_t dot = path.find_last_of('.');
    ofn.nFileOffset = static_cast<WORD>(nameStart);
    ofn.nFileExtension =
        static_cast<WORD>(dot == std::string::npos || dot < nameStart ? path.size() : dot + 1);
    return TRUE;
}
CModalHost* g_host = &g_platformHost;
} // namespace

BOOL CModalHost::GetOpenFileName(OPENFILENAMEA& ofn) {
    return RunFileDialog("GetOpenFileNameW", ofn);
}

BOOL CModalHost::GetSaveFileName(OPENFILENAMEA& ofn) {
    return RunFileDialog("GetSaveFileNameW", ofn);
}

BOOL CModalHost::ChooseColor(CHOOSECOLORA& cc) {
    // The picker as the program uses it carries no text: no template and no hook.
    CHOOSECOLORW wide{};
    wide.lStructSize = sizeof wide;
    wide.hwndOwner = cc.hwndOwner;
    wide.rgbResult = cc.rgbResult;
    wide.lpCustColors = cc.lpCustColors;
    wide.Flags = cc.Flags & ~static_cast<DWORD>(CC_ENABLETEMPLATE | CC_ENABLETEMPLATEHANDLE);
    wide.lCustData = cc.lCustData;
    wide.lpfnHook = cc.lpfnHook;
    const BOOL chosen = CommonDialog<ColorDialogFunction>("ChooseColorW")(&wide);
    cc.rgbResult = wide.rgbResult;
    cc.Flags = wide.Flags;
    return chosen;
}

int CModalHost::MessageBox(HWND owner, const char* text, const char* caption, UINT type) {
    return ::MessageBoxW(owner, WideText(text).get(), WideText(caption).get(), type);
}

BOOL CModalHost::WinHelp(HWND owner, const char* helpFile, UINT command, ULONG_PTR data) {
    return ::WinHelpW(owner, WideText(helpFile).get(), command, data);
}

HWND CModalHost::HtmlHelp(HWND caller, const char* helpFile, UINT command, DWORD_PTR data) {
    static HMODULE module = LoadSystemLibrary(L"hhctrl.ocx");
    auto function = Export<HtmlHelpFunction>(module, "HtmlHelpW");
    return function ? function(caller, WideText(helpFile).get(), command, data) : nullptr;
}

bool AfxRunningUnderWine() {
    HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
    return Export<FARPROC>(ntdll, "wine_get_version") != nullptr;
}

bool CModalHost::HtmlHelpDrawsPages() {
    if (!AfxRunningUnderWine()) return true;
    static const bool drawn = LoadSystemLibrary(L"mshtml.dll") && GeckoInstalled();
    return drawn;
}

BOOL CModalHost::OpenInBrowser(const char* url) {
    std::wstring command =
        L"\"" + SystemFolder() + L"\\winebrowser.exe\" \"" + AfxWide(url) + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    // winebrowser only hands the address on: no console or window of its own.
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process = {};
    if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                          nullptr, nullptr, &startup, &process))
        return FALSE;
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return TRUE;
}

CModalHost& AfxGetModalHost() {
    return *g_host;
}

CModalHost* AfxSetModalHost(CModalHost* host) {
    CModalHost* previous = g_host;
    g_host = host ? host : &g_platformHost;
    return previous;
}
