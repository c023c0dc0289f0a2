// The framework layer: the modal loop, command routing and the report of exceptions that
// leave a handler.
#include <atomic>
#include <stdexcept>
#include <thread>

#include "DialogHarness.h"
#include "TempFolder.h"
#include "scheme/SchemeFile.h"

namespace {
enum {
    ID_THROW_TEXT = 40001,
    ID_THROW_PLAIN,
    ID_THROW_MEMORY,
    ID_THROW_BAD_ALLOC,
    ID_THROW_STD,
    ID_END_WHEN_IDLE,
    ID_UNHANDLED = 40100,
};

class CTextException : public CException {
public:
    bool GetErrorMessage(CString& message) const override {
        message = "Something specific went wrong.";
        return true;
    }
};

// A dialog of the program's resources with handlers that fail in every way.
class CFailingDlg : public CDialog {
public:
    CFailingDlg() : CDialog(IDD_ABOUTBOX) {}
    int paints = 0;
    int pretranslated = 0;
    bool escapeOnInit = false;
    HWND ownerSeenDisabled = nullptr;

    bool wasVisible = false;

    BOOL PreTranslateMessage(MSG* msg) override {
        ++pretranslated;
        wasVisible = wasVisible || ::IsWindowVisible(m_hWnd);
        return CDialog::PreTranslateMessage(msg);
    }

protected:
    BOOL OnInitDialog() override {
        if (escapeOnInit) {
            HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
            if (owner && !::IsWindowEnabled(owner)) ownerSeenDisabled = owner;
            ::PostMessageA(::GetDlgItem(m_hWnd, IDOK), WM_KEYDOWN, VK_ESCAPE, 0);
        }
        return TRUE;
    }
    void OnThrowText() { throw CTextException(); }
    void OnThrowPlain() { throw CException(); }
    void OnThrowMemory() { AfxThrowMemoryException(); }
    void OnThrowBadAlloc() { throw std::bad_alloc(); }
    void OnThrowStd() { throw std::runtime_error("not shown"); }
    // Ends the dialog only when nothing waits in its queue, so that its loop has no message to
    // return unless the dialog wakes it.
    void OnEndWhenIdle() {
        if (HIWORD(::GetQueueStatus(QS_ALLINPUT)) == 0) EndDialog(IDCANCEL);
    }
    void OnPaint() {
        ++paints;
        throw CException();
    }

    DECLARE_MESSAGE_MAP()
};

// clang-format off
BEGIN_MESSAGE_MAP(CFailingDlg, CDialog)
    ON_COMMAND(ID_THROW_TEXT, &CFailingDlg::OnThrowText)
    ON_COMMAND(ID_THROW_PLAIN, &CFailingDlg::OnThrowPlain)
    ON_CONTROL(BN_CLICKED, IDOK, &CFailingDlg::OnThrowPlain)
    ON_COMMAND(ID_THROW_MEMORY, &CFailingDlg::OnThrowMemory)
    ON_COMMAND(ID_THROW_BAD_ALLOC, &CFailingDlg::OnThrowBadAlloc)
    ON_COMMAND(ID_THROW_STD, &CFailingDlg::OnThrowStd)
    ON_COMMAND(ID_END_WHEN_IDLE, &CFailingDlg::OnEndWhenIdle)
    ON_WM_PAINT()
END_MESSAGE_MAP()
// clang-format on

class FrameworkTest : public ::testing::Test {
protected:
    void SetUp() override { previous_ = AfxSetModalHost(&host); }
    void TearDown() override {
        AfxSetModalHost(previous_);
        TestApp().m_pMainWnd = nullptr;
    }
    void Pump(CDialog& dialog) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            dialog.PumpMessage(msg);
    }
    RecordingModalHost host;

private:
    CModalHost* previous_ = nullptr;
};
} // namespace

TEST_F(FrameworkTest, ExceptionsLeavingAHandlerAreReportedAndTheWindowGoesOn) {
    CFailingDlg dlg;
    ASSERT_TRUE(dlg.Create());
    TestApp().m_pMainWnd = &dlg;
    ::ValidateRect(dlg.m_hWnd, nullptr);
    struct Case {
        WPARAM wParam;
        LPARAM lParam;
        const char* text;
        UINT type;
    };
    const LPARAM button = reinterpret_cast<LPARAM>(::GetDlgItem(dlg.m_hWnd, IDOK));
    const Case cases[] = {
        {ID_THROW_TEXT, 0, "Something specific went wrong.", MB_ICONSTOP},
        {ID_THROW_PLAIN, 0, "Command failed.", MB_ICONSTOP},
        {MAKEWPARAM(IDOK, BN_CLICKED), button, "Internal application error.", MB_ICONSTOP},
        {ID_THROW_MEMORY, 0, "Out of memory.", MB_ICONEXCLAMATION | MB_SYSTEMMODAL},
        {ID_THROW_BAD_ALLOC, 0, "Out of memory.", MB_ICONEXCLAMATION | MB_SYSTEMMODAL},
        {ID_THROW_STD, 0, "Command failed.", MB_ICONSTOP},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        host.messageBoxes.clear();
        ::SendMessageA(dlg.m_hWnd, WM_COMMAND, c.wParam, c.lParam);
        ASSERT_EQ(host.messageBoxes.size(), 1u);
        EXPECT_EQ(host.messageBoxes[0].text, c.text);
        EXPECT_EQ(host.messageBoxes[0].type, c.type);
        EXPECT_EQ(host.messageBoxes[0].caption, std::string(TestApp().m_appName));
        EXPECT_EQ(host.messageBoxes[0].owner, dlg.m_hWnd);
        EXPECT_TRUE(::IsWindow(dlg.m_hWnd));
        EXPECT_FALSE(dlg.IsEnded());
    }
}

TEST_F(FrameworkTest, APaintThatFailsIsReportedOnceAndNotAskedForAgain) {
    CFailingDlg dlg;
    ASSERT_TRUE(dlg.Create());
    ::ShowWindow(dlg.m_hWnd, SW_SHOWNA);
    ::InvalidateRect(dlg.m_hWnd, nullptr, TRUE);
    ::UpdateWindow(dlg.m_hWnd);
    Pump(dlg);
    EXPECT_EQ(dlg.paints, 1);
    EXPECT_EQ(host.messageBoxes.size(), 1u);
    EXPECT_EQ(host.messageBoxes[0].text, "Internal application error.");
}

TEST_F(FrameworkTest, DoModalRunsItsOwnLoopThroughPreTranslateWithTheOwnerDisabled) {
    CFailingDlg owner;
    ASSERT_TRUE(owner.Create());
    TestApp().m_pMainWnd = &owner;
    ::ValidateRect(owner.m_hWnd, nullptr);

    CFailingDlg modal;
    modal.escapeOnInit = true;
    EXPECT_EQ(modal.DoModal(), IDCANCEL);
    EXPECT_EQ(modal.ownerSeenDisabled, owner.m_hWnd);
    EXPECT_GE(modal.pretranslated, 1);
    EXPECT_TRUE(modal.wasVisible);
    EXPECT_TRUE(::IsWindowEnabled(owner.m_hWnd));
    EXPECT_EQ(modal.m_hWnd, nullptr);
}

bool g_watchdogFired = false;
void CALLBACK Watchdog(HWND, UINT, UINT_PTR timer, DWORD) {
    g_watchdogFired = true;
    ::KillTimer(nullptr, timer);
}

TEST_F(FrameworkTest, ADialogEndedByAMessageFromAnotherThreadLeavesItsModalLoop) {
    // GetMessage handles a message sent from another thread without returning; only the
    // dialog's own wake-up ends the loop before the watchdog's timer does.
    CFailingDlg modal;
    g_watchdogFired = false;
    const UINT_PTR watchdog = ::SetTimer(nullptr, 0, 5000, Watchdog);
    std::atomic<bool> returned = false;
    std::thread sender([&] {
        // Asks again until the dialog was idle when asked; a window not yet made is no target.
        while (!returned) {
            if (HWND wnd = ::FindWindowA(nullptr, "About TWR 2.0"))
                ::SendMessageA(wnd, WM_COMMAND, ID_END_WHEN_IDLE, 0);
            ::Sleep(5);
        }
    });
    EXPECT_EQ(modal.DoModal(), IDCANCEL);
    returned = true;
    sender.join();
    ::KillTimer(nullptr, watchdog);
    EXPECT_FALSE(g_watchdogFired);
}

TEST_F(FrameworkTest, CommandsNoMapHandlesGoToTheApplicationAndOtherwiseNowhere) {
    CFailingDlg dlg;
    ASSERT_TRUE(dlg.Create());
    TestApp().m_pMainWnd = &dlg;
    ::SendMessageA(dlg.m_hWnd, WM_COMMAND, ID_UNHANDLED, 0);
    EXPECT_FALSE(dlg.IsEnded());
    EXPECT_TRUE(host.messageBoxes.empty());
    ::SendMessageA(dlg.m_hWnd, WM_COMMAND, ID_APP_EXIT, 0);
    EXPECT_TRUE(dlg.IsEnded());
    EXPECT_EQ(dlg.GetResult(), IDCANCEL);
}

TEST(AfxWinInit, TakesTheProgramsPathWhateverItsLength) {
    // A DLL copied into folders whose path passes MAX_PATH stands in for the program.
    TempFolder base;
    std::vector<std::wstring> folders = {L"\\\\?\\" + AfxWide(base.Path())};
    while (folders.back().size() < 300) {
        folders.push_back(folders.back() + L"\\a folder with a long name");
        ASSERT_TRUE(::CreateDirectoryW(folders.back().c_str(), nullptr));
    }
    const std::wstring dll = folders.back() + L"\\Long.dll";
    ASSERT_TRUE(::CopyFileW(L"ImgLib.dll", dll.c_str(), FALSE));
    HMODULE module = ::LoadLibraryW(dll.c_str());
    ASSERT_NE(module, nullptr);
    AfxWinInit(module);
    std::string chm = AfxGetApp()->m_htmlHelpFilePath.str();
    AfxWinInit(::GetModuleHandleA(nullptr));
    ::FreeLibrary(module);
    ::DeleteFileW(dll.c_str());
    for (auto folder = folders.rbegin(); folder + 1 != folders.rend(); ++folder)
        ::RemoveDirectoryW(folder->c_str());
    if (chm.rfind("\\\\?\\", 0) == 0) chm.erase(0, 4);
    EXPECT_EQ(chm, AfxUtf8(folders.back().substr(4)) + "\\Long.chm");
}

TEST(CString, FormatsTextsOfAnyLength) {
    CString text;
    text.Format("%d", -42);
    EXPECT_EQ(text, "-42");
    std::string longer(5000, 'x');
    text.Format("<%s>", longer.c_str());
    EXPECT_EQ(text.GetLength(), 5002);
    EXPECT_EQ(text.str().back(), '>');
}

TEST(TextBoundary, SchemeFieldsAreMarkedBeyondAsciiOnAUtf8SystemAndWesternOnesStayAsEver) {
    const std::string tint = "C:\\T\xC3\xAFnt\\a.bmp"; // "C:\Tïnt\a.bmp" in UTF-8
    const auto in = [](unsigned codePage) {
        return [codePage](std::string_view utf8) { return AfxCodePageTextIn(codePage, utf8); };
    };
    const auto from = [](unsigned codePage) {
        return [codePage](std::string_view bytes) { return AfxCodePageToUtf8In(codePage, bytes); };
    };
    EXPECT_EQ(EncodeSchemeField(tint, in(CP_UTF8)), "\xEF\xBB\xBF" + tint);
    EXPECT_EQ(EncodeSchemeField("C:\\a.bmp", in(CP_UTF8)), "C:\\a.bmp");
    EXPECT_EQ(EncodeSchemeField(tint, in(1252)), "C:\\T\xEFnt\\a.bmp");
    // Unmarked: Western bytes, and UTF-8 as a UTF-8 machine wrote it before it marked fields.
    EXPECT_EQ(DecodeSchemeField("C:\\T\xEFnt\\a.bmp", from(CP_UTF8)), tint);
    EXPECT_EQ(DecodeSchemeField(tint, from(CP_UTF8)), tint);
    EXPECT_EQ(DecodeSchemeField("C:\\T\xEFnt\\a.bmp", from(1252)), tint);
}

TEST(TextBoundary, WindowTextsAndTheClipboardCarryEveryScript) {
    HWND edit = ::CreateWindowExW(0, L"EDIT", L"", WS_POPUP, 0, 0, 100, 20, nullptr, nullptr,
                                  nullptr, nullptr);
    ASSERT_NE(edit, nullptr);
    CWnd wnd(edit);
    wnd.SetWindowText("Café Ωμέγα Фото 写真 📷");
    wchar_t wide[64] = {};
    ::GetWindowTextW(edit, wide, 64);
    EXPECT_STREQ(wide, L"Café Ωμέγα Фото 写真 📷");
    EXPECT_EQ(wnd.GetWindowText(), "Café Ωμέγα Фото 写真 📷");

    ASSERT_TRUE(wnd.SetClipboardText("Grüße 写真"));
    ASSERT_TRUE(::OpenClipboard(edit));
    HANDLE unicode = ::GetClipboardData(CF_UNICODETEXT);
    HANDLE text = ::GetClipboardData(CF_TEXT);
    EXPECT_STREQ(unicode ? static_cast<const wchar_t*>(::GlobalLock(unicode)) : L"", L"Grüße 写真");
    // In the code page of the tests' prefix, Windows-1252, which has no CJK.
    EXPECT_STREQ(text ? static_cast<const char*>(::GlobalLock(text)) : "", "Gr\xFC\xDF"
                                                                           "e ??");
    if (unicode) ::GlobalUnlock(unicode);
    if (text) ::GlobalUnlock(text);
    ::CloseClipboard();
    ::DestroyWindow(edit);
}
