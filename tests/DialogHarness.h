// Drives the real main dialog, created from its template, with real messages; answers the
// modal helpers (file and colour dialogs, message boxes, help) and records what was shown.
#pragma once
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/SchemeApp.h"
#include "ui/SchemeDlg.h"

// The application object of the test program (accelerators loaded, named after the program).
CSchemeApp& TestApp();

class RecordingModalHost : public CModalHost {
public:
    struct MessageBoxCall {
        HWND owner;
        std::string text, caption;
        UINT type;
    };
    struct FileDialogCall {
        bool open;
        DWORD flags;
        std::string initialFile;
        std::string defaultExt; // empty when none was given
        bool hasDefaultExt;
        std::string filterBlock; // the whole block, string ends included, up to its double end
        HWND owner;
        std::string initialDir;
    };
    struct ColorDialogCall {
        COLORREF initial;
        DWORD flags;
        COLORREF* customColors;
        HWND owner;
    };
    struct HelpCall {
        std::string file;
        UINT command;
        ULONG_PTR data;
        HWND owner;
    };

    // Answers, taken in order; a file dialog or colour picker without an answer is cancelled, a
    // message box without one answers IDOK.
    std::deque<std::optional<std::string>> fileAnswers;
    std::deque<int> messageBoxAnswers;
    std::deque<std::optional<COLORREF>> colorAnswers;
    BOOL helpResult = TRUE;
    HWND htmlHelpWindow = nullptr;  // what HTML Help answers: its window, or nullptr for a failure
    bool htmlHelpDrawsPages = true; // as on Windows, whatever the Wine that runs the tests

    std::vector<MessageBoxCall> messageBoxes;
    std::vector<FileDialogCall> fileDialogs;
    std::vector<ColorDialogCall> colorDialogs;
    std::vector<HelpCall> helpCalls;
    std::vector<HelpCall> htmlHelpCalls;

    BOOL GetOpenFileName(OPENFILENAMEA& ofn) override { return AnswerFile(ofn, true); }
    BOOL GetSaveFileName(OPENFILENAMEA& ofn) override { return AnswerFile(ofn, false); }
    BOOL ChooseColor(CHOOSECOLORA& cc) override;
    int MessageBox(HWND owner, const char* text, const char* caption, UINT type) override;
    BOOL WinHelp(HWND owner, const char* file, UINT command, ULONG_PTR data) override;
    HWND HtmlHelp(HWND caller, const char* file, UINT command, DWORD_PTR data) override;
    bool HtmlHelpDrawsPages() override { return htmlHelpDrawsPages; }
    BOOL OpenInBrowser(const char*) override { return FALSE; }

private:
    BOOL AnswerFile(OPENFILENAMEA& ofn, bool open);
};

// The main dialog with its protected members in reach.
class TestSchemeDlg : public CSchemeDlg {
public:
    using CSchemeDlg::m_backgroundAux;
    using CSchemeDlg::m_backgroundLoaded;
    using CSchemeDlg::m_backgroundName;
    using CSchemeDlg::m_backgroundPath;
    using CSchemeDlg::m_contrast;
    using CSchemeDlg::m_currentRole;
    using CSchemeDlg::m_hBackground;
    using CSchemeDlg::m_hIcon;
    using CSchemeDlg::m_solidBackground;
    using CSchemeDlg::RebuildTag;
    using CSchemeDlg::SetBackgroundBitmap;
    using CSchemeDlg::ShownBackground;
    using CSchemeDlg::TakeColor;
    using CSchemeDlg::TileBackground;
};

// Each test gets a fresh main dialog over the default scheme and a recording modal host.
class DialogTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    HWND Wnd() const { return dlg->m_hWnd; }
    HWND Item(int id) const { return ::GetDlgItem(dlg->m_hWnd, id); }
    std::string Text(int id) const;
    std::string Tag() const { return Text(IDC_BODY_TAG); }
    int ScrollPos(int id) const { return ::GetScrollPos(Item(id), SB_CTL); }
    // The three sliders' positions and the three labels' texts.
    std::vector<int> Sliders() const;
    std::vector<std::string> Labels() const;
    UINT ToolsState(int position) const;

    // A menu or accelerator command, as WM_COMMAND with no control.
    void Command(int id) { ::SendMessageA(Wnd(), WM_COMMAND, MAKEWPARAM(id, 0), 0); }
    // A real click on a button (the radio group checks itself and notifies the dialog).
    void Click(int id) { ::SendMessageA(Item(id), BM_CLICK, 0, 0); }
    void HScroll(int barId, int code, int pos = 0);
    // Posts a key press to the focused window and pumps it through the dialog's loop.
    void PressKey(UINT vk, bool ctrl = false);
    // Dispatches every queued message the way the modal loop does.
    void Pump();
    std::string Clipboard() const; // its Unicode text, as UTF-8
    void SetClipboard(const std::string& text) const;

    std::unique_ptr<TestSchemeDlg> dlg;
    RecordingModalHost host;

private:
    CModalHost* previousHost_ = nullptr;
};
