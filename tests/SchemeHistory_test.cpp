// Undo and Redo on the real dialog: what makes one step, what the items say, what comes back;
// and the question that keeps a changed scheme when the window ends.
#include "DialogHarness.h"
#include "TempFolder.h"
#include "TestValues.h"

namespace {
constexpr UINT kQuestion = MB_YESNOCANCEL | MB_ICONEXCLAMATION;
} // namespace

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
    void Drag(int bar, std::initializer_list<int> positions) {
        for (int pos : positions)
            HScroll(bar, SB_THUMBTRACK, pos);
        HScroll(bar, SB_THUMBPOSITION, *std::rbegin(positions));
        HScroll(bar, SB_ENDSCROLL);
    }
};

TEST_F(SchemeHistoryTest, ADragIsOneStepThatUndoAndRedoTakeBackAndSetAgain) {
    EXPECT_EQ(Item(ID_EDIT_UNDO), "");
    Click(IDC_TEXT_COLOR);
    Drag(IDC_RED_SLIDER, {10, 40, 80});
    HScroll(IDC_RED_SLIDER, SB_ENDSCROLL); // changes nothing: no step
    const std::string dragged = Tag();
    EXPECT_EQ(Item(ID_EDIT_UNDO), "&Undo Text Color \tCtrl+Z");
    EXPECT_EQ(Item(ID_EDIT_REDO), "");

    PressKey('Z', true);
    EXPECT_EQ(Tag(), kDefaultTag);
    EXPECT_EQ(Sliders(), (std::vector<int>{0, 0, 0}));
    EXPECT_EQ(Labels(), (std::vector<std::string>{"0", "0", "0"}));
    EXPECT_EQ(Item(ID_EDIT_UNDO), "");
    EXPECT_EQ(Item(ID_EDIT_REDO), "Re&do Text Color \tCtrl+Y");
    PressKey('Y', true);
    EXPECT_EQ(Tag(), dragged);
    EXPECT_EQ(Labels(), (std::vector<std::string>{"80", "0", "0"}));
}

TEST_F(SchemeHistoryTest, EachCommandIsOneNamedStepAndANewChangeEndsTheRedoSteps) {
    host.colorAnswers.push_back(RGB(0xEE, 0xEE, 0xEE)); // text hardly seen: Fix All has work
    Click(IDC_TEXT_COLOR);
    const struct {
        int command;
        const char* undo;
    } steps[] = {{ID_TOOLS_COLORPICKER, "&Undo Text Color \tCtrl+Z"},
                 {ID_TOOLS_FIXCONTRAST, "&Undo Fix All \tCtrl+Z"},
                 {ID_TOOLS_SHOWBACKGROUNDS, "&Undo Show Backgrounds \tCtrl+Z"},
                 {ID_EDIT_RESETCOLORS, "&Undo Reset Colors \tCtrl+Z"}};
    std::vector<std::string> tags = {Tag()};
    for (const auto& step : steps) {
        Command(step.command);
        EXPECT_EQ(Item(ID_EDIT_UNDO), step.undo);
        EXPECT_NE(Tag(), tags.back()) << step.undo;
        tags.push_back(Tag());
    }
    for (size_t back = tags.size() - 1; back-- > 0;) {
        Command(ID_EDIT_UNDO);
        EXPECT_EQ(Tag(), tags[back]);
    }
    EXPECT_EQ(ToolsState(CSchemeDlg::kShowBackgroundsPos), static_cast<UINT>(MF_UNCHECKED));
    Command(ID_EDIT_REDO);
    EXPECT_EQ(Tag(), tags[1]);
    Command(ID_TOOLS_SHOWBACKGROUNDS);
    EXPECT_EQ(Item(ID_EDIT_REDO), "");
}

TEST_F(SchemeHistoryTest, EndingAChangedSchemeAsksToSaveIt) {
    TempFolder folder;
    HScroll(IDC_RED_SLIDER, SB_LINELEFT);
    host.messageBoxAnswers = {IDCANCEL, IDYES}; // the second Yes: the save dialog is cancelled
    PressKey(VK_ESCAPE);
    Command(ID_APP_EXIT);
    EXPECT_FALSE(dlg->IsEnded());
    ASSERT_EQ(host.messageBoxes.size(), 2u);
    EXPECT_EQ(host.messageBoxes[0].text, "Save changes to the scheme?");
    EXPECT_EQ(host.messageBoxes[0].type, kQuestion);

    host.messageBoxAnswers = {IDYES};
    host.fileAnswers.push_back(folder / "kept.colors");
    ::SendMessageA(Wnd(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(dlg->IsEnded());
    EXPECT_EQ(TempFolder::ReadAll(folder / "kept.colors").size(), 64u);
}

TEST_F(SchemeHistoryTest, ASchemeAsSavedOrAsAtTheStartEndsWithoutAQuestion) {
    HScroll(IDC_RED_SLIDER, SB_LINELEFT);
    Command(ID_EDIT_UNDO);
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(dlg->IsEnded());
    EXPECT_TRUE(host.messageBoxes.empty());
}
