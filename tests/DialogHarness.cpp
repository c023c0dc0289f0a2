#include "DialogHarness.h"

#include <cstring>
#include <iterator>

namespace {
std::string FilterBlock(const char* filter) {
    if (!filter) return {};
    const char* end = filter;
    while (end[0] || end[1])
        ++end;
    return std::string(filter, static_cast<size_t>(end - filter) + 2);
}
} // namespace

BOOL RecordingModalHost::AnswerFile(OPENFILENAMEA& ofn, bool open) {
    fileDialogs.push_back({open, ofn.Flags, ofn.lpstrFile ? ofn.lpstrFile : "",
                           ofn.lpstrDefExt ? ofn.lpstrDefExt : "", ofn.lpstrDefExt != nullptr,
                           FilterBlock(ofn.lpstrFilter), ofn.hwndOwner,
                           ofn.lpstrInitialDir ? ofn.lpstrInitialDir : ""});
    if (fileAnswers.empty()) return FALSE;
    std::optional<std::string> answer = fileAnswers.front();
    fileAnswers.pop_front();
    if (!answer) return FALSE;
    if (answer->size() + 1 > ofn.nMaxFile) return FALSE;
    std::memcpy(ofn.lpstrFile, answer->c_str(), answer->size() + 1);
    size_t slash = answer->find_last_of("\\/");
    ofn.nFileOffset = static_cast<WORD>(slash == std::string::npos ? 0 : slash + 1);
    return TRUE;
}

BOOL RecordingModalHost::ChooseColor(CHOOSECOLORA& cc) {
    colorDialogs.push_back({cc.rgbResult, cc.Flags, cc.lpCustColors, cc.hwndOwner});
    if (colorAnswers.empty()) return FALSE;
    std::optional<COLORREF> answer = colorAnswers.front();
    colorAnswers.pop_front();
    if (!answer) return FALSE;
    cc.rgbResult = *answer;
    return TRUE;
}

int RecordingModalHost::MessageBox(HWND owner, const char* text, const char* caption, UINT type) {
    messageBoxes.push_back({owner, text ? text : "", caption ? caption : "", type});
    if (messageBoxAnswers.empty()) return IDOK;
    const int answer = messageBoxAnswers.front();
    messageBoxAnswers.pop_front();
    return answer;
}

BOOL RecordingModalHost::WinHelp(HWND owner, const char* file, UINT command, ULONG_PTR data) {
    helpCalls.push_back({file ? file : "", command, data, owner});
    return helpResult;
}

HWND RecordingModalHost::HtmlHelp(HWND caller, const char* file, UINT command, DWORD_PTR data) {
    htmlHelpCalls.push_back({file ? file : "", command, data, caller});
    return command == HH_CLOSE_ALL ? nullptr : htmlHelpWindow;
}

void DialogTest::SetUp() {
    ResetColorTable(ColorTable);
    previousHost_ = AfxSetModalHost(&host);
    dlg = std::make_unique<TestSchemeDlg>();
    TestApp().m_pMainWnd = dlg.get();
    ::SetLastError(0);
    const bool created = dlg->Create();
    // A window that cannot be made says why: the system's error, or what the dialog reported.
    std::string reports;
    for (const auto& box : host.messageBoxes)
        reports += " \"" + box.text + "\"";
    ASSERT_TRUE(created) << "last error " << ::GetLastError() << ", reports:" << reports;
    Pump();
}

void DialogTest::TearDown() {
    TestApp().CloseHtmlHelp(); // no help window of one test is another test's
    TestApp().m_pMainWnd = nullptr;
    dlg.reset();
    AfxSetModalHost(previousHost_);
    ResetColorTable(ColorTable);
}

std::string DialogTest::Text(int id) const {
    wchar_t buffer[1024] = {};
    ::GetDlgItemTextW(Wnd(), id, buffer, std::size(buffer));
    return AfxUtf8(buffer);
}

std::vector<int> DialogTest::Sliders() const {
    return {ScrollPos(IDC_RED_SLIDER), ScrollPos(IDC_GREEN_SLIDER), ScrollPos(IDC_BLUE_SLIDER)};
}

std::vector<std::string> DialogTest::Labels() const {
    return {Text(IDC_RED_VALUE), Text(IDC_GREEN_VALUE), Text(IDC_BLUE_VALUE)};
}

UINT DialogTest::ToolsState(int position) const {
    HMENU tools = ::GetSubMenu(::GetMenu(Wnd()), CSchemeDlg::kToolsMenuPos);
    return ::GetMenuState(tools, position, MF_BYPOSITION);
}

void DialogTest::HScroll(int barId, int code, int pos) {
    ::SendMessageA(Wnd(), WM_HSCROLL, MAKEWPARAM(code, pos), reinterpret_cast<LPARAM>(Item(barId)));
}

void DialogTest::PressKey(UINT vk, bool ctrl) {
    BYTE keys[256];
    ::GetKeyboardState(keys);
    keys[VK_CONTROL] = ctrl ? 0x80 : 0;
    keys[VK_LCONTROL] = keys[VK_CONTROL];
    ::SetKeyboardState(keys);
    HWND target = ::GetFocus() ? ::GetFocus() : Wnd();
    UINT scan = ::MapVirtualKeyA(vk, 0);
    ::PostMessageA(target, WM_KEYDOWN, vk, 1 | (scan << 16));
    ::PostMessageA(target, WM_KEYUP, vk, 1 | (scan << 16) | (3u << 30));
    Pump();
    keys[VK_CONTROL] = keys[VK_LCONTROL] = 0;
    ::SetKeyboardState(keys);
}

void DialogTest::Pump() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        dlg->PumpMessage(msg);
}

std::string DialogTest::Clipboard() const {
    std::string text;
    if (!::OpenClipboard(Wnd())) return "<clipboard busy>";
    if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
        if (auto* chars = static_cast<const wchar_t*>(::GlobalLock(data))) {
            text = AfxUtf8(chars);
            ::GlobalUnlock(data);
        }
    }
    ::CloseClipboard();
    return text;
}

void DialogTest::SetClipboard(const std::string& text) const {
    if (!::OpenClipboard(Wnd())) return;
    ::EmptyClipboard();
    HGLOBAL data = ::GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    std::memcpy(::GlobalLock(data), text.c_str(), text.size() + 1);
    ::GlobalUnlock(data);
    ::SetClipboardData(CF_TEXT, data);
    ::CloseClipboard();
}
