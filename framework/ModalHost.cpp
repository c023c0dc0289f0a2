#include "ModalHost.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "App.h"
#include "Exception.h"

namespace {
CModalHost g_platformHost;
constexpr const char* kCommonDialogs = "comdlg32.dll";

// The function name of module, or nullptr when the library could not be loaded.
template <typename Function> Function Export(HMODULE module, const char* name) {
    if (!module) return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

// The system folder; empty when the system cannot say.
std::string SystemFolder() {
    char folder[MAX_PATH] = {};
    UINT length = ::GetSystemDirectoryA(folder, MAX_PATH);
    return length == 0 || length >= MAX_PATH ? std::string() : std::string(folder, length);
}

// Loads a library of the system folder by its full path: never a file of that name elsewhere.
HMODULE LoadSystemLibrary(const char* name) {
    const std::string folder = SystemFolder();
    if (folder.empty()) return nullptr;
    return ::LoadLibraryA((folder + "\\" + name).c_str());
}

// A Unix folder as Wine names it in its variables ("\\??\\unix/usr/share/wine"), as a path
// through Wine's Unix drive.
std::string UnixFolder(std::string folder) {
    constexpr std::string_view kUnix = "\\??\\unix";
    if (folder.compare(0, kUnix.size(), kUnix) == 0)
        folder = "\\\\?\\unix" + folder.substr(kUnix.size());
    for (char& ch : folder)
        if (ch == '/') ch = '\\';
    return folder;
}

// The function name of the common dialogs' library. Throws when the library or the function
// is missing, so that the command fails visibly instead of looking cancelled.
template <typename Function> Function CommonDialog(const char* name) {
    static HMODULE module = ::LoadLibraryA(kCommonDialogs);
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
constexpr const char* kDialogProcProperty = "Tintwright.FileDialogProc";

// The full path of the name typed into the file dialog, as far as the dialog tells it.
std::string TypedPath(HWND dialog) {
    std::string typed(32768, '\0');
    const LRESULT length =
        ::SendMessageA(dialog, CDM_GETSPEC, typed.size(), reinterpret_cast<LPARAM>(typed.data()));
    typed.resize(length > 0 ? std::strlen(typed.c_str()) : 0);
    const bool absolute = (typed.size() > 1 && typed[1] == ':') ||
                          (!typed.empty() && (typed[0] == '\\' || typed[0] == '/'));
    if (absolute || typed.empty() || typed.find('"') != std::string::npos) return typed;
    std::string folder(32768, '\0');
    if (::SendMessageA(dialog, CDM_GETFOLDERPATH, folder.size(),
                       reinterpret_cast<LPARAM>(folder.data())) <= 0)
        return typed;
    folder.resize(std::strlen(folder.c_str()));
    return folder + (folder.empty() || folder.back() == '\\' ? "" : "\\") + typed;
}

LRESULT CALLBACK FileDialogGuard(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto previous = reinterpret_cast<WNDPROC>(::GetPropA(dialog, kDialogProcProperty));
    if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
        const std::string path = TypedPath(dialog);
        if (path.size() >= MAX_PATH) {
            std::string text(std::strlen(kPathTooLong) + path.size(), '\0');
            text.resize(std::snprintf(text.data(), text.size(), kPathTooLong, path.c_str()));
            AfxMessageBox(text.c_str(), MB_OK | MB_ICONEXCLAMATION);
            return 0;
        }
    }
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrA(dialog, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
        ::RemovePropA(dialog, kDialogProcProperty);
    }
    return ::CallWindowProcA(previous, dialog, message, wParam, lParam);
}

// The hook of an explorer-style dialog runs in a child of the dialog: it puts the guard on the
// dialog itself, which receives OK.
UINT_PTR CALLBACK FileDialogHook(HWND child, UINT message, WPARAM, LPARAM) {
    if (message == WM_INITDIALOG) {
        HWND dialog = ::GetParent(child);
        const LONG_PTR previous =
            ::SetWindowLongPtrA(dialog, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FileDialogGuard));
        ::SetPropA(dialog, kDialogProcProperty, reinterpret_cast<HANDLE>(previous));
    }
    return 0;
}

// Runs a file dialog, under Wine with the guard unless its caller hooked it already. (On Windows
// a hook would bring back the older dialog, which the current one need not be.)
template <typename Function> BOOL RunFileDialog(Function function, OPENFILENAMEA& ofn) {
    if ((ofn.Flags & OFN_ENABLEHOOK) || !(ofn.Flags & OFN_EXPLORER) || !AfxRunningUnderWine())
        return function(&ofn);
    OPENFILENAMEA guarded = ofn;
    guarded.Flags |= OFN_ENABLEHOOK;
    guarded.lpfnHook = FileDialogHook;
    const BOOL ok = function(&guarded);
    guarded.Flags = ofn.Flags;
    guarded.lpfnHook = ofn.lpfnHook;
    ofn = guarded;
    return ok;
}

using FileDialogFunction = BOOL(WINAPI*)(OPENFILENAMEA*);
using ColorDialogFunction = BOOL(WINAPI*)(CHOOSECOLORA*);
using HtmlHelpFunction = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);
CModalHost* g_host = &g_platformHost;
} // namespace

BOOL CModalHost::GetOpenFileName(OPENFILENAMEA& ofn) {
    return RunFileDialog(CommonDialog<FileDialogFunction>("GetOpenFileNameA"), ofn);
}

BOOL CModalHost::GetSaveFileName(OPENFILENAMEA& ofn) {
    return RunFileDialog(CommonDialog<FileDialogFunction>("GetSaveFileNameA"), ofn);
}

BOOL CModalHost::ChooseColor(CHOOSECOLORA& cc) {
    return CommonDialog<ColorDialogFunction>("ChooseColorA")(&cc);
}

HWND CModalHost::HtmlHelp(HWND caller, const char* helpFile, UINT command, DWORD_PTR data) {
    static HMODULE module = LoadSystemLibrary("hhctrl.ocx");
    auto function = Export<HtmlHelpFunction>(module, "HtmlHelpA");
    return function ? function(caller, helpFile, command, data) : nullptr;
}

bool AfxRunningUnderWine() {
    HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
    return Export<FARPROC>(ntdll, "wine_get_version") != nullptr;
}

bool CModalHost::HtmlHelpDrawsPages() {
    if (!AfxRunningUnderWine()) return true;
    // Wine draws HTML through its Gecko engine, installed in its data folder or the system folder.
    static const bool drawn = [] {
        if (!LoadSystemLibrary("mshtml.dll")) return false;
        std::string folders[2] = {SystemFolder() + "\\gecko", ""};
        char data[MAX_PATH] = {};
        const DWORD length = ::GetEnvironmentVariableA("WINEDATADIR", data, MAX_PATH);
        if (length > 0 && length < MAX_PATH) folders[1] = UnixFolder(data) + "\\gecko";
        for (const std::string& folder : folders) {
            const DWORD attributes = ::GetFileAttributesA(folder.c_str());
            if (!folder.empty() && attributes != INVALID_FILE_ATTRIBUTES &&
                (attributes & FILE_ATTRIBUTE_DIRECTORY))
                return true;
        }
        return false;
    }();
    return drawn;
}

BOOL CModalHost::OpenInBrowser(const char* url) {
    std::string command = "\"" + SystemFolder() + "\\winebrowser.exe\" \"" + url + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    // winebrowser only hands the address on: no console or window of its own.
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process = {};
    if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
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
