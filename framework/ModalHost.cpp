#include "ModalHost.h"

#include <string>

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

using FileDialogFunction = BOOL(WINAPI*)(OPENFILENAMEA*);
using ColorDialogFunction = BOOL(WINAPI*)(CHOOSECOLORA*);
using HtmlHelpFunction = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);
CModalHost* g_host = &g_platformHost;
} // namespace

BOOL CModalHost::GetOpenFileName(OPENFILENAMEA& ofn) {
    return CommonDialog<FileDialogFunction>("GetOpenFileNameA")(&ofn);
}

BOOL CModalHost::GetSaveFileName(OPENFILENAMEA& ofn) {
    return CommonDialog<FileDialogFunction>("GetSaveFileNameA")(&ofn);
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
