// The main window from its template: start state, the tag box, the copy commands, the keys
// that work from anywhere, help, About and the ways the window ends.
#include "DialogHarness.h"
#include "TestValues.h"

#include <thread>

namespace {

std::string MenuText(HMENU menu, int position) {
    char text[128] = {};
    ::GetMenuStringA(menu, position, text, sizeof text, MF_BYPOSITION);
    return text;
}

// Closes the About box from inside its modal loop and records what it showed.
struct AboutProbe {
    std::string caption, text;
    bool ownerDisabled = false;
    HWND owner = nullptr;
} g_about;

void CALLBACK CloseAbout(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND about = ::FindWindowA(nullptr, "About TWR 2.0");
    if (!about) return;
    ::KillTimer(nullptr, timer);
    char buffer[256] = {};
    ::GetWindowTextA(about, buffer, sizeof buffer);
    g_about.caption = buffer;
    HWND child = ::GetWindow(about, GW_CHILD);
    for (; child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        ::GetWindowTextA(child, buffer, sizeof buffer);
        if (std::string(buffer).find("Tintwright") != std::string::npos) g_about.text = buffer;
    }
    g_about.ownerDisabled = !::IsWindowEnabled(g_about.owner);
    ::PostMessageA(about, WM_KEYDOWN, VK_ESCAPE, 0);
}
} // namespace

class SchemeDlgTest : public DialogTest {};

TEST_F(SchemeDlgTest, StartsWithTheBackgroundRoleTheDefaultTagAndAReducedSystemMenu) {
    char caption[64] = {};
    ::GetWindowTextA(Wnd(), caption, sizeof caption);
    EXPECT_STREQ(caption, " Tintwright 2.0");

    EXPECT_EQ(::SendMessageA(Item(IDC_BACKGROUND_COLOR), BM_GETCHECK, 0, 0), BST_CHECKED);
    for (int id = IDC_TEXT_COLOR; id <= IDC_ALINK_COLOR; ++id)
        EXPECT_EQ(::SendMessageA(Item(id), BM_GETCHECK, 0, 0), BST_UNCHECKED) << id;
    EXPECT_EQ(::GetFocus(), Item(IDC_BACKGROUND_COLOR));
    EXPECT_EQ(dlg->m_currentRole, RoleBackground);

    EXPECT_EQ(Sliders(), (std::vector<int>{255, 235, 215}));
    EXPECT_EQ(Labels(), (std::vector<std::string>{"255", "235", "215"}));
    int low = -1, high = -1;
    ::GetScrollRange(Item(IDC_GREEN_SLIDER), SB_CTL, &low, &high);
    EXPECT_EQ(low, 0);
    EXPECT_EQ(high, 255);

    EXPECT_EQ(Tag(), kDefaultTag);
    EXPECT_EQ(Tag().size(), 87u);
    EXPECT_EQ(dlg->m_solidBackground, static_cast<int>(MF_CHECKED));
    EXPECT_EQ(dlg->m_backgroundLoaded, 0);

    // Wine appends its own items after Close; the program's part is the first four.
    HMENU system = ::GetSystemMenu(Wnd(), FALSE);
    ASSERT_GE(::GetMenuItemCount(system), 4);
    for (UINT removed : {SC_RESTORE, SC_SIZE, SC_MAXIMIZE})
        EXPECT_EQ(::GetMenuState(system, removed, MF_BYCOMMAND), static_cast<UINT>(-1));
    EXPECT_EQ(::GetMenuItemID(system, 0), static_cast<UINT>(SC_MOVE));
    EXPECT_EQ(::GetMenuItemID(system, 1), static_cast<UINT>(SC_MINIMIZE));
    EXPECT_TRUE(::GetMenuState(system, 2, MF_BYPOSITION) & MF_SEPARATOR);
    EXPECT_EQ(::GetMenuItemID(system, 3), static_cast<UINT>(SC_CLOSE));
}

TEST_F(SchemeDlgTest, MenuBarHasItsItemsInPlaceWithOnlyLoadBackgroundGrayed) {
    HMENU bar = ::GetMenu(Wnd());
    ASSERT_EQ(::GetMenuItemCount(bar), 5);
    EXPECT_EQ(MenuText(bar, 2), "&Tools");
    HMENU tools = ::GetSubMenu(bar, CSchemeDlg::kToolsMenuPos);
    EXPECT_EQ(MenuText(tools, 0), "Show &Backgrounds?");
    EXPECT_EQ(MenuText(tools, 1), "&Load Background");
    EXPECT_EQ(ToolsState(0), 0u);
    EXPECT_EQ(ToolsState(1), static_cast<UINT>(MF_GRAYED));
    EXPECT_EQ(MenuText(::GetSubMenu(bar, 1), 1), "Copy &Tag \tCtrl+T");
    EXPECT_EQ(MenuText(::GetSubMenu(bar, 0), 0), "E&xit \tCtrl+X");
}

TEST_F(SchemeDlgTest, ClientAreaHasTheDialogMetricsOfWindowsSoThePreviewFitsItsGroupBox) {
    RECT client;
    ::GetClientRect(Wnd(), &client);
    EXPECT_EQ(client.right, 416);
    EXPECT_EQ(client.bottom, 450);
    RECT units = {0, 0, 4, 8};
    ::MapDialogRect(Wnd(), &units);
    EXPECT_EQ(units.right, 6);
    EXPECT_EQ(units.bottom, 13);
}

TEST_F(SchemeDlgTest, CopyTagCopiesTheWholeBoxAsItStandsAndLeavesNothingSelected) {
    ::SendMessageA(Item(IDC_BODY_TAG), EM_SETSEL, 3, 9);
    SetClipboard("before");
    Command(ID_EDIT_COPYTAG);
    EXPECT_EQ(Clipboard(), kDefaultTag);
    DWORD start = 1, end = 1;
    ::SendMessageA(Item(IDC_BODY_TAG), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                   reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, 0u);

    // What the user typed is copied as typed, until the next rebuild replaces it.
    ::SetWindowTextA(Item(IDC_BODY_TAG), "<BODY typed>");
    Command(ID_EDIT_COPYTAG);
    EXPECT_EQ(Clipboard(), "<BODY typed>");
    dlg->RebuildTag();
    EXPECT_EQ(Tag(), kDefaultTag);
}

TEST_F(SchemeDlgTest, CopyCopiesOnlyTheSelectionAndCtrlCWorksOnlyInTheTagBox) {
    ::SendMessageA(Item(IDC_BODY_TAG), EM_SETSEL, 1, 5);
    SetClipboard("before");
    Command(ID_EDIT_COPY);
    EXPECT_EQ(Clipboard(), "BODY");

    // Ctrl+C on a radio button is no accelerator: nothing is copied.
    SetClipboard("before");
    ::SetFocus(Item(IDC_TEXT_COLOR));
    PressKey('C', true);
    EXPECT_EQ(Clipboard(), "before");

    ::SetFocus(Item(IDC_BODY_TAG));
    ::SendMessageA(Item(IDC_BODY_TAG), EM_SETSEL, 6, 13);
    PressKey('C', true);
    EXPECT_EQ(Clipboard(), "BGCOLOR");
}

TEST_F(SchemeDlgTest, CopyAsCssWithTheClipboardHeldElsewhereSaysNothingWasCopied) {
    SetClipboard("before");
    // Another thread holds the clipboard open until the command has given up.
    HANDLE opened = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE done = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::thread holder([&] {
        const bool held = ::OpenClipboard(nullptr);
        ::SetEvent(opened);
        ::WaitForSingleObject(done, INFINITE);
        if (held) ::CloseClipboard();
    });
    ::WaitForSingleObject(opened, INFINITE);
    Command(ID_EDIT_COPYCSS);
    ::SetEvent(done);
    holder.join();
    ::CloseHandle(opened);
    ::CloseHandle(done);
    ASSERT_EQ(host.messageBoxes.size(), 1u);
    EXPECT_EQ(host.messageBoxes[0].text.rfind("Nothing was copied", 0), 0u);
    EXPECT_EQ(Clipboard(), "before");
}

TEST_F(SchemeDlgTest, TheExportsCopyTheSchemeWithItsPictureWhileBackgroundsAreShown) {
    dlg->m_backgroundName = "paper.bmp";
    Command(ID_TOOLS_SHOWBACKGROUNDS);
    Command(ID_EDIT_COPYCSSVARS);
    EXPECT_NE(Clipboard().find("--page-background-image: url(\"paper.bmp\");"), std::string::npos)
        << Clipboard();
    Command(ID_EDIT_COPYTOKENS);
    EXPECT_NE(Clipboard().find("\"hex\": \"#ffebd7\""), std::string::npos) << Clipboard();
    EXPECT_NE(Clipboard().find("\"paper.bmp\""), std::string::npos) << Clipboard();
}

TEST_F(SchemeDlgTest, AcceleratorsWorkFromAnyControl) {
    for (int focus : {IDC_BODY_TAG, IDC_ALINK_COLOR, IDC_BACKGROUND_COLOR}) {
        SCOPED_TRACE(focus);
        ::SetFocus(Item(focus));
        SetClipboard("before");
        PressKey('T', true);
        EXPECT_EQ(Clipboard(), kDefaultTag);

        size_t pickers = host.colorDialogs.size();
        PressKey('P', true);
        EXPECT_EQ(host.colorDialogs.size(), pickers + 1);

        size_t helps = host.helpCalls.size();
        PressKey(VK_F1);
        EXPECT_EQ(host.helpCalls.size(), helps + 1);
        EXPECT_FALSE(dlg->IsEnded());
    }
    ::SetFocus(Item(IDC_TEXT_COLOR));
    PressKey('X', true);
    EXPECT_TRUE(dlg->IsEnded());
    EXPECT_EQ(dlg->GetResult(), IDCANCEL);
}

TEST_F(SchemeDlgTest, EnterNeverEndsTheWindow) {
    for (int focus : {IDC_BODY_TAG, IDC_VLINK_COLOR, IDC_BACKGROUND_COLOR}) {
        ::SetFocus(Item(focus));
        PressKey(VK_RETURN);
    }
    Command(IDOK);
    EXPECT_FALSE(dlg->IsEnded());
}

TEST_F(SchemeDlgTest, EscapeEndsTheWindowWithCancel) {
    ::SetFocus(Item(IDC_LINK_COLOR));
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(dlg->IsEnded());
    EXPECT_EQ(dlg->GetResult(), IDCANCEL);
}

TEST_F(SchemeDlgTest, CloseBoxAndExitEndTheWindowWithCancel) {
    ::SendMessageA(Wnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
    Pump();
    EXPECT_TRUE(dlg->IsEnded());
    EXPECT_EQ(dlg->GetResult(), IDCANCEL);
}

TEST_F(SchemeDlgTest, ExitIsRoutedToTheApplicationWhichClosesTheMainWindow) {
    Command(ID_APP_EXIT);
    EXPECT_TRUE(dlg->IsEnded());
    EXPECT_EQ(dlg->GetResult(), IDCANCEL);
}

TEST_F(SchemeDlgTest, HelpOpensTheHelpTopicsOfTheHelpFileBesideTheProgram) {
    Command(ID_HELP);
    ASSERT_EQ(host.helpCalls.size(), 1u);
    EXPECT_EQ(host.helpCalls[0].command, static_cast<UINT>(HELP_FINDER));
    EXPECT_EQ(host.helpCalls[0].data, 0u);
    char module[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, module, MAX_PATH);
    std::string expected(module);
    expected = expected.substr(0, expected.rfind('.')) + ".HLP";
    EXPECT_EQ(host.helpCalls[0].file, expected);
    EXPECT_TRUE(host.messageBoxes.empty());
}

// The HTML Help file beside the test program, for as long as the object lives.
class HtmlHelpFileBesideProgram {
public:
    HtmlHelpFileBesideProgram() {
        char module[MAX_PATH] = {};
        ::GetModuleFileNameA(nullptr, module, MAX_PATH);
        path_ = module;
        path_ = path_.substr(0, path_.rfind('.')) + ".chm";
        HANDLE file = ::CreateFileA(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        EXPECT_NE(file, INVALID_HANDLE_VALUE) << path_;
        ::CloseHandle(file);
    }
    ~HtmlHelpFileBesideProgram() { ::DeleteFileA(path_.c_str()); }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

TEST_F(SchemeDlgTest, HelpOpensTheHtmlHelpFileBesideTheProgramInOneWindow) {
    HtmlHelpFileBesideProgram chm;
    HWND helpWindow = ::CreateWindowExA(0, "STATIC", "help", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                                        nullptr, nullptr, nullptr, nullptr);
    host.htmlHelpWindow = helpWindow;
    Command(ID_HELP);
    ASSERT_EQ(host.htmlHelpCalls.size(), 1u);
    EXPECT_EQ(host.htmlHelpCalls[0].file, chm.Path());
    EXPECT_EQ(host.htmlHelpCalls[0].command, static_cast<UINT>(HH_DISPLAY_TOC));
    EXPECT_EQ(host.htmlHelpCalls[0].owner, Wnd());

    // Open: brought back, not opened again. Closed by the user: opened afresh.
    ::ShowWindow(helpWindow, SW_MINIMIZE);
    PressKey(VK_F1);
    EXPECT_EQ(host.htmlHelpCalls.size(), 1u);
    EXPECT_FALSE(::IsIconic(helpWindow));
    ::DestroyWindow(helpWindow);
    Command(ID_HELP);
    EXPECT_EQ(host.htmlHelpCalls.size(), 2u);
    EXPECT_TRUE(host.helpCalls.empty());
    EXPECT_TRUE(host.messageBoxes.empty());
}

TEST_F(SchemeDlgTest, HtmlHelpThatCannotStartIsReportedWithoutTheOlderEngine) {
    HtmlHelpFileBesideProgram chm;
    Command(ID_HELP);
    ASSERT_EQ(host.messageBoxes.size(), 1u);
    EXPECT_EQ(host.messageBoxes[0].text, "Failed to launch help.");
    EXPECT_EQ(host.messageBoxes[0].type, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
    EXPECT_TRUE(host.helpCalls.empty());
}

TEST_F(SchemeDlgTest, HelpThatCannotStartIsReported) {
    host.helpResult = FALSE;
    Command(ID_HELP);
    ASSERT_EQ(host.messageBoxes.size(), 1u);
    EXPECT_EQ(host.messageBoxes[0].text, "Failed to launch help.");
    EXPECT_EQ(host.messageBoxes[0].type, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
    EXPECT_EQ(host.messageBoxes[0].caption, std::string(TestApp().m_appName));
    EXPECT_EQ(host.messageBoxes[0].owner, Wnd());
    EXPECT_FALSE(dlg->IsEnded());
}

TEST_F(SchemeDlgTest, AboutBoxIsModalToTheMainWindowAndLeavesItUnchanged) {
    g_about = {};
    g_about.owner = Wnd();
    UINT_PTR timer = ::SetTimer(nullptr, 0, 50, CloseAbout);
    Command(ID_HELP_ABOUT);
    ::KillTimer(nullptr, timer);
    EXPECT_EQ(g_about.caption, "About TWR 2.0");
    EXPECT_EQ(g_about.text, "The Tintwright\nVersion 2.0 for Windows 95");
    EXPECT_TRUE(g_about.ownerDisabled);
    EXPECT_TRUE(::IsWindowEnabled(Wnd()));
    EXPECT_FALSE(dlg->IsEnded());
    EXPECT_EQ(Tag(), kDefaultTag);
}

TEST_F(SchemeDlgTest, MinimisedWindowDragsItsIcon) {
    LRESULT icon = ::SendMessageA(Wnd(), WM_QUERYDRAGICON, 0, 0);
    EXPECT_EQ(reinterpret_cast<HICON>(icon), dlg->m_hIcon);
    EXPECT_NE(dlg->m_hIcon, nullptr);
    EXPECT_EQ(reinterpret_cast<HICON>(::SendMessageA(Wnd(), WM_GETICON, ICON_BIG, 0)),
              dlg->m_hIcon);
}
