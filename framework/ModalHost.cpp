#include "ModalHost.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "Exception.h"
#include "String.h"

namespace {
CModalHost g_platformHost;
constexpr const char* kCommonDialogs = "comdlg32.dll";

// The function name of module, or nullptr when the library could not be loaded.
template <typename Function> Function Export(HMODULE module, const char* name) {
    if (!module) return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

// Loads a library of the system folder by its full path: never a file of that name elsewhere.
HMODULE LoadSystemLibrary(const wchar_t* name) {
    wchar_t folder[MAX_PATH] = {};
    UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    return ::LoadLibraryW((std::wstring(folder, length) + L"\\" + name).c_str());
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

using FileDialogFunction = BOOL(WINAPI*)(OPENFILENAMEW*);
using ColorDialogFunction = BOOL(WINAPI*)(CHOOSECOLORW*);
using HtmlHelpFunction = HWND(WINAPI*)(HWND, LPCWSTR, UINT, DWORD_PTR);

// Runs the wide file dialog over ofn, whose texts are UTF-8; the chosen path comes back into
// ofn.lpstrFile as UTF-8, its offsets counted in bytes.
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
    if (!function(&wide)) return FALSE;

    ofn.Flags = wide.Flags;
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

CModalHost& AfxGetModalHost() {
    return *g_host;
}

CModalHost* AfxSetModalHost(CModalHost* host) {
    CModalHost* previous = g_host;
    g_host = host ? host : &g_platformHost;
    return previous;
}
