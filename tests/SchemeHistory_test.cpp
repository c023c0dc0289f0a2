// Undo and Redo on the real dialog: what makes one step, what the items say, what comes back;
// and the question that keeps a changed scheme when the window ends.
#include "DialogHarness.h"
#include "TestValues.h"

class SchemeHistoryTest : public DialogTest {
protected:
    // The item's text as the Edit menu shows it on opening, "" when grayed.
    std::string Item(UINT id) {
        HMENU menu = ::GetMenu(Wnd());
        ::SendMessageW(Wnd(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(::GetSubMenu(menu, 1)), 1);
        wchar_t text[128] = {};
        ::GetMenuStringW(menu, id, text, std::size(text), MF_BYCOMMAND);
        return ::GetMenuState(menu, id, MF_BYCOMMAND) & MF_GRAYED ? "" : AfxUtf8(text);
    }
};

TEST_F(SchemeHistoryTest, EachCommandIsOneNamedStepAndANewChangeEndsTheRedoSteps) {
    SetClipboard("Hello, world"); // nothing readable: a message, no step
    Command(ID_EDIT_PASTECOLORS);
    ASSERT_EQ(host.messageBoxes.size(), 1u);
    EXPECT_EQ(host.messageBoxes[0].text, "There are no colors to paste: the clipboard holds no "
                                         "color, BODY tag, page or style sheet\nthat Tintwright "
                                         "can read.");
    EXPECT_EQ(Item(ID_EDIT_UNDO), "");
    host.colorAnswers.push_back(RGB(0xEE, 0xEE, 0xEE)); // text hardly seen: Fix All has work
    SetClipboard("rebeccapurple");                      // one colour: the chosen role's
    Click(IDC_TEXT_COLOR);
    for (int pos : {10, 40, 80}) // a drag: one step
        HScroll(IDC_RED_SLIDER, SB_THUMBTRACK, pos);
    HScroll(IDC_RED_SLIDER, SB_ENDSCROLL);
    HScroll(IDC_RED_SLIDER, SB_ENDSCROLL); // changes nothing: no step
    std::vector<std::string> tags = {kDefaultTag, Tag()};
    dlg->TakeColor(0x1A73E8); // Enter Color's OK, Pick from Screen's click: one step
    tags.push_back(Tag());
    EXPECT_EQ(Item(ID_EDIT_UNDO), "&Undo Text Color \tCtrl+Z");
    const std::pair<int, std::string> steps[] = {{ID_TOOLS_COLORPICKER, "Text Color"},
                                                 {ID_TOOLS_FIXCONTRAST, "Fix All"},
                                                 {ID_TOOLS_SHOWBACKGROUNDS, "Show Backgrounds"},
                                                 {ID_EDIT_RESETCOLORS, "Reset Colors"},
                                                 {ID_EDIT_PASTECOLORS, "Paste Colors"}};
    for (const auto& [command, name] : steps) {
        Command(command);
        EXPECT_EQ(Item(ID_EDIT_UNDO), "&Undo " + name + " \tCtrl+Z");
        tags.push_back(Tag());
    }
    for (size_t back = tags.size() - 1; back-- > 0;) {
        PressKey('Z', true);
        EXPECT_EQ(Tag(), tags[back]);
    }
    EXPECT_EQ(Labels(), (std::vector<std::string>{"0", "0", "0"}));
    EXPECT_EQ(Item(ID_EDIT_UNDO), "");
    EXPECT_EQ(Item(ID_EDIT_REDO), "Re&do Text Color \tCtrl+Y");
    PressKey('Y', true);
    EXPECT_EQ(Tag(), tags[1]);
    Command(ID_TOOLS_SHOWBACKGROUNDS);
    EXPECT_EQ(Item(ID_EDIT_REDO), "");
}

TEST_F(SchemeHistoryTest, EndingAChangedSchemeAsksToSaveItAndAChangeTakenBackIsNone) {
    HScroll(IDC_RED_SLIDER, SB_LINELEFT);
    host.messageBoxAnswers = {IDCANCEL, IDYES}; // the Yes: its save dialog is cancelled
    PressKey(VK_ESCAPE);
    Command(ID_APP_EXIT);
    EXPECT_FALSE(dlg->IsEnded());
    ASSERT_EQ(host.messageBoxes.size(), 2u);
    EXPECT_EQ(host.messageBoxes[0].text, "Save changes to the scheme?");
    EXPECT_EQ(host.messageBoxes[0].type, static_cast<UINT>(MB_YESNOCANCEL | MB_ICONEXCLAMATION));
    Command(ID_EDIT_UNDO);
    ::SendMessageA(Wnd(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(dlg->IsEnded());
    EXPECT_EQ(host.messageBoxes.size(), 2u);
}
