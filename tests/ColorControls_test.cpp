// The role buttons, the sliders, the colour picker, the background toggle and the reset,
// driven with real clicks and scroll notifications.
#include "DialogHarness.h"
#include "TestValues.h"

namespace {

// Records every invalidation of the dialog by watching the update region.
bool PreviewInvalid(HWND wnd) {
    RECT update;
    if (!::GetUpdateRect(wnd, &update, FALSE)) return false;
    RECT expected = PreviewRect;
    return ::EqualRect(&update, &expected);
}
} // namespace

class ColorControlsTest : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        ::ValidateRect(Wnd(), nullptr);
    }
    std::vector<int32_t> Table() const { return {ColorTable, ColorTable + kComponentCount}; }
};

TEST_F(ColorControlsTest, SelectingARoleShowsItsComponentsWithoutTouchingTheTagOrPreview) {
    ::SetWindowTextA(Item(IDC_BODY_TAG), "typed");
    Click(IDC_TEXT_COLOR);
    EXPECT_EQ(dlg->m_currentRole, RoleText);
    EXPECT_EQ(Sliders(), (std::vector<int>{0, 0, 0}));
    EXPECT_EQ(Labels(), (std::vector<std::string>{"0", "0", "0"}));
    EXPECT_EQ(Tag(), "typed");
    EXPECT_FALSE(PreviewInvalid(Wnd()));
    EXPECT_EQ(::SendMessageA(Item(IDC_BACKGROUND_COLOR), BM_GETCHECK, 0, 0), BST_UNCHECKED);

    Click(IDC_VLINK_COLOR);
    EXPECT_EQ(Sliders(), (std::vector<int>{85, 26, 139}));
    EXPECT_EQ(Labels(), (std::vector<std::string>{"85", "26", "139"}));
}

TEST_F(ColorControlsTest, ScrollCodesMoveTheThumbAndClampAtTheEnds) {
    struct Step {
        int code, pos, expected;
    };
    // Red of the background starts at 255.
    const Step steps[] = {
        {SB_LINERIGHT, 0, 255},    {SB_LINELEFT, 0, 254},       {SB_PAGERIGHT, 0, 255},
        {SB_PAGELEFT, 0, 245},     {SB_THUMBTRACK, 5, 5},       {SB_PAGELEFT, 0, 0},
        {SB_LINELEFT, 0, 0},       {SB_THUMBTRACK, 250, 250},   {SB_PAGERIGHT, 0, 255},
        {SB_THUMBTRACK, 200, 200}, {SB_THUMBPOSITION, 17, 200}, {SB_ENDSCROLL, 0, 200},
        {SB_LEFT, 0, 0},           {SB_RIGHT, 0, 255},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.code);
        HScroll(IDC_RED_SLIDER, step.code, step.pos);
        EXPECT_EQ(ScrollPos(IDC_RED_SLIDER), step.expected);
        EXPECT_EQ(Text(IDC_RED_VALUE), std::to_string(step.expected));
        EXPECT_EQ(ColorTable[0], step.expected);
    }
}

TEST_F(ColorControlsTest, EveryNotificationRefreshesEvenWithoutMovement) {
    HScroll(IDC_BLUE_SLIDER, SB_THUMBTRACK, 0);
    ::ValidateRect(Wnd(), nullptr);
    ::SetWindowTextA(Item(IDC_BODY_TAG), "typed");
    ::SetWindowTextA(Item(IDC_BLUE_VALUE), "typed");
    HScroll(IDC_BLUE_SLIDER, SB_LINELEFT);
    EXPECT_EQ(ScrollPos(IDC_BLUE_SLIDER), 0);
    EXPECT_EQ(Text(IDC_BLUE_VALUE), "0");
    EXPECT_EQ(Tag(), "<BODY BGCOLOR=\"#FFEB00\" TEXT=\"#000000\" LINK=\"#008200\" "
                     "VLINK=\"#551A8B\" ALINK=\"#EE0000\" >");
    EXPECT_TRUE(PreviewInvalid(Wnd()));
}

TEST_F(ColorControlsTest, ASliderChangesOnlyTheCurrentRolesComponentAndText) {
    Click(IDC_VLINK_COLOR);
    std::vector<int32_t> before = Table();
    HScroll(IDC_GREEN_SLIDER, SB_THUMBTRACK, 200);
    std::vector<int32_t> after = Table();
    for (int i = 0; i < kComponentCount; ++i) {
        if (i != 10) {
            EXPECT_EQ(after[i], before[i]) << i;
        }
    }
    EXPECT_EQ(ColorTable[10], 200);
    EXPECT_EQ(Tag(), "<BODY BGCOLOR=\"#FFEBD7\" TEXT=\"#000000\" LINK=\"#008200\" "
                     "VLINK=\"#55C88B\" ALINK=\"#EE0000\" >");
    EXPECT_EQ(Text(IDC_GREEN_VALUE), "200");
}

TEST_F(ColorControlsTest, PickerStoresTheChosenColourForTheCurrentRoleOnlyOnOk) {
    Click(IDC_LINK_COLOR);
    host.colorAnswers.push_back(RGB(255, 0, 0));
    Command(ID_TOOLS_COLORPICKER);
    ASSERT_EQ(host.colorDialogs.size(), 1u);
    EXPECT_EQ(host.colorDialogs[0].initial, 0u);
    EXPECT_EQ(host.colorDialogs[0].flags & ~static_cast<DWORD>(CC_ENABLEHOOK), 0u);
    EXPECT_EQ(host.colorDialogs[0].owner, Wnd());
    EXPECT_EQ(dlg->m_currentRole, RoleLink);
    EXPECT_EQ((std::vector<int32_t>{ColorTable[6], ColorTable[7], ColorTable[8]}),
              (std::vector<int32_t>{255, 0, 0}));
    EXPECT_EQ(Sliders(), (std::vector<int>{255, 0, 0}));
    EXPECT_EQ(Labels(), (std::vector<std::string>{"255", "0", "0"}));
    EXPECT_EQ(Tag(), "<BODY BGCOLOR=\"#FFEBD7\" TEXT=\"#000000\" LINK=\"#FF0000\" "
                     "VLINK=\"#551A8B\" ALINK=\"#EE0000\" >");
    EXPECT_TRUE(PreviewInvalid(Wnd()));

    ::ValidateRect(Wnd(), nullptr);
    std::vector<int32_t> before = Table();
    std::string tag = Tag();
    host.colorAnswers.push_back(std::nullopt);
    Command(ID_TOOLS_COLORPICKER);
    EXPECT_EQ(Table(), before);
    EXPECT_EQ(Tag(), tag);
    EXPECT_FALSE(PreviewInvalid(Wnd()));
}

TEST_F(ColorControlsTest, PickerKeepsOneTableOfCustomColoursForTheWholeRun) {
    Command(ID_TOOLS_COLORPICKER);
    Command(ID_TOOLS_COLORPICKER);
    ASSERT_EQ(host.colorDialogs.size(), 2u);
    COLORREF* custom = host.colorDialogs[0].customColors;
    ASSERT_NE(custom, nullptr);
    EXPECT_EQ(host.colorDialogs[1].customColors, custom);
    // What a user defined in the first run is offered again in the next.
    custom[3] = RGB(1, 2, 3);
    Command(ID_TOOLS_COLORPICKER);
    EXPECT_EQ(host.colorDialogs[2].customColors[3], RGB(1, 2, 3));
    custom[3] = RGB(255, 255, 255);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(custom[i], RGB(255, 255, 255)) << i;
}

TEST_F(ColorControlsTest, ShowBackgroundsTogglesTheMenuTheFlagAndTheTagForm) {
    Command(ID_TOOLS_SHOWBACKGROUNDS);
    EXPECT_EQ(ToolsState(0), static_cast<UINT>(MF_CHECKED));
    EXPECT_EQ(ToolsState(1), 0u);
    EXPECT_EQ(dlg->m_solidBackground, 0);
    EXPECT_EQ(dlg->m_backgroundLoaded, 0);
    EXPECT_EQ(Tag().rfind("<BODY BACKGROUND=\"\" TEXT=", 0), 0u);
    EXPECT_TRUE(PreviewInvalid(Wnd()));

    // A change made while the image form is shown comes back with the colour form.
    HScroll(IDC_RED_SLIDER, SB_THUMBTRACK, 16);
    Command(ID_TOOLS_SHOWBACKGROUNDS);
    EXPECT_EQ(ToolsState(0), 0u);
    EXPECT_EQ(ToolsState(1), static_cast<UINT>(MF_GRAYED));
    EXPECT_EQ(dlg->m_solidBackground, static_cast<int>(MF_CHECKED));
    EXPECT_EQ(Tag().rfind("<BODY BGCOLOR=\"#10EBD7\" ", 0), 0u);
}

TEST_F(ColorControlsTest, ShowingBackgroundsWithABitmapKeepsTheLoadedFlag) {
    dlg->SetBackgroundBitmap(::CreateBitmap(4, 4, 1, 32, nullptr));
    dlg->m_backgroundLoaded = 1;
    dlg->m_backgroundName = "paper.bmp";
    Command(ID_TOOLS_SHOWBACKGROUNDS);
    EXPECT_EQ(dlg->m_backgroundLoaded, 1);
    EXPECT_EQ(Tag(), "<BODY BACKGROUND=\"paper.bmp\" TEXT=\"#000000\" LINK=\"#008200\" "
                     "VLINK=\"#551A8B\" ALINK=\"#EE0000\" >");
}

TEST_F(ColorControlsTest, ResetRestoresDefaultsHidesBackgroundsAndKeepsTheRoleAndImage) {
    HBITMAP bitmap = ::CreateBitmap(4, 4, 1, 32, nullptr);
    dlg->SetBackgroundBitmap(bitmap);
    dlg->m_backgroundLoaded = 1;
    dlg->m_backgroundPath = "C:\\images\\paper.bmp";
    dlg->m_backgroundName = "paper.bmp";
    Command(ID_TOOLS_SHOWBACKGROUNDS);
    Click(IDC_LINK_COLOR);
    HScroll(IDC_GREEN_SLIDER, SB_THUMBTRACK, 7);
    ColorTable[14] = 4096;

    Command(ID_EDIT_RESETCOLORS);
    for (int i = 0; i < kComponentCount; ++i)
        EXPECT_EQ(ColorTable[i], kDefaultScheme[i]) << i;
    EXPECT_EQ(ToolsState(0), 0u);
    EXPECT_EQ(ToolsState(1), static_cast<UINT>(MF_GRAYED));
    EXPECT_EQ(dlg->m_solidBackground, static_cast<int>(MF_CHECKED));
    EXPECT_EQ(Tag(), kDefaultTag);
    EXPECT_EQ(dlg->m_currentRole, RoleLink);
    EXPECT_EQ(Sliders(), (std::vector<int>{0, 130, 0}));
    EXPECT_EQ(Labels(), (std::vector<std::string>{"0", "130", "0"}));
    EXPECT_EQ(::SendMessageA(Item(IDC_LINK_COLOR), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(dlg->m_hBackground, bitmap);
    EXPECT_EQ(dlg->m_backgroundLoaded, 1);
    EXPECT_EQ(dlg->m_backgroundName, "paper.bmp");

    // With backgrounds hidden the menu is left as it was.
    Command(ID_EDIT_RESETCOLORS);
    EXPECT_EQ(ToolsState(0), 0u);
    EXPECT_EQ(dlg->m_solidBackground, static_cast<int>(MF_CHECKED));
}

TEST_F(ColorControlsTest, AfterResetTheSlidersShowTheSelectedRolesDefaultsWhicheverItIs) {
    const std::vector<int> defaults[] = {
        {255, 235, 215}, {0, 0, 0}, {0, 130, 0}, {85, 26, 139}, {238, 0, 0}};
    for (int r = 0; r < kRoleCount; ++r) {
        SCOPED_TRACE(kRoles[r]);
        Click(kRoles[r]);
        HScroll(IDC_RED_SLIDER, SB_THUMBTRACK, 7);
        Command(ID_EDIT_RESETCOLORS);
        EXPECT_EQ(Sliders(), defaults[r]);
        std::vector<std::string> labels;
        for (int value : defaults[r])
            labels.push_back(std::to_string(value));
        EXPECT_EQ(Labels(), labels);
        EXPECT_EQ(Tag(), kDefaultTag);
        EXPECT_EQ(dlg->m_currentRole, kRoles[r]);
        for (ColorRole role : kRoles)
            EXPECT_EQ(::SendMessageA(Item(role), BM_GETCHECK, 0, 0),
                      role == kRoles[r] ? BST_CHECKED : BST_UNCHECKED)
                << role;
    }
}

TEST_F(ColorControlsTest, ValuesOutsideTheRangeShowAsStoredWithTheThumbAtTheNearestEnd) {
    ColorTable[3] = 300;
    ColorTable[4] = -5;
    Click(IDC_TEXT_COLOR);
    EXPECT_EQ(Labels(), (std::vector<std::string>{"300", "-5", "0"}));
    EXPECT_EQ(Sliders(), (std::vector<int>{255, 0, 0}));
    // A notification that leaves the blue thumb in place writes the text's colour into the tag.
    HScroll(IDC_BLUE_SLIDER, SB_ENDSCROLL);
    EXPECT_EQ(Labels(), (std::vector<std::string>{"300", "-5", "0"}));
    EXPECT_EQ(Tag(), "<BODY BGCOLOR=\"#FFEBD7\" TEXT=\"#12CFFFFFFFB00\" LINK=\"#008200\" "
                     "VLINK=\"#551A8B\" ALINK=\"#EE0000\" >");
}

namespace {
// Ends Pick from Screen from inside its loop with two messages, once its window shows.
struct PickerAnswer {
    UINT first;
    WPARAM firstParam;
    UINT second;
    WPARAM secondParam;
    bool shown;
} g_pickerAnswer;

void CALLBACK AnswerPicker(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND picker = ::FindWindowA(nullptr, "Pick from Screen");
    if (!picker) return;
    ::KillTimer(nullptr, timer);
    g_pickerAnswer.shown = ::IsWindowVisible(picker);
    ::PostMessageA(picker, g_pickerAnswer.first, g_pickerAnswer.firstParam, MAKELPARAM(1, 1));
    ::PostMessageA(picker, g_pickerAnswer.second, g_pickerAnswer.secondParam, MAKELPARAM(1, 1));
}
} // namespace

TEST_F(ColorControlsTest, PickFromScreenEndsWithoutAChangeOnEscOrARightClick) {
    // Esc; a right click; Esc while the left button is still down, which takes nothing yet.
    const std::string tag = Tag();
    for (const PickerAnswer& answer :
         {PickerAnswer{WM_KEYDOWN, VK_ESCAPE, WM_KEYUP, VK_ESCAPE, false},
          PickerAnswer{WM_RBUTTONDOWN, MK_RBUTTON, WM_RBUTTONUP, 0, false},
          PickerAnswer{WM_LBUTTONDOWN, MK_LBUTTON, WM_KEYDOWN, VK_ESCAPE, false}}) {
        SCOPED_TRACE(answer.first);
        g_pickerAnswer = answer;
        ::SetTimer(nullptr, 0, 10, AnswerPicker);
        Command(ID_TOOLS_PICKSCREEN);
        EXPECT_TRUE(g_pickerAnswer.shown);
        EXPECT_EQ(Table(), std::vector<int32_t>(kDefaultScheme, kDefaultScheme + kComponentCount));
        EXPECT_EQ(Tag(), tag);
        EXPECT_EQ(::FindWindowA(nullptr, "Pick from Screen"), nullptr);
    }
}

namespace {
// Answers Enter Color from inside its loop: what it shows at first and for each text typed,
// with Enter pressed after each but the last; then OK.
struct EnterColorProbe {
    std::vector<std::string> typed;
    std::string label, prefilled;
    LRESULT selection = 0;
    std::vector<std::string> shown; // the result, the reason, OK's state, and whether it stayed
} g_enter;

std::string ItemText(HWND box, int id) {
    char buffer[256] = {};
    ::GetDlgItemTextA(box, id, buffer, sizeof buffer);
    return buffer;
}

void CALLBACK AnswerEnterColor(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND box = ::FindWindowA(nullptr, "Enter Color");
    if (!box) return;
    ::KillTimer(nullptr, timer);
    HWND edit = ::GetDlgItem(box, IDC_ENTER_COLOR_TEXT), ok = ::GetDlgItem(box, IDOK);
    g_enter.label = ItemText(box, IDC_ENTER_COLOR_LABEL);
    g_enter.prefilled = ItemText(box, IDC_ENTER_COLOR_TEXT);
    g_enter.selection = ::SendMessageA(edit, EM_GETSEL, 0, 0);
    auto look = [&](const char* after) {
        g_enter.shown.push_back(ItemText(box, IDC_ENTER_COLOR_RESULT) + "|" +
                                ItemText(box, IDC_ENTER_COLOR_REASON) + "|" +
                                (::IsWindowEnabled(ok) ? "OK" : "no OK") + after);
    };
    look("");
    for (size_t i = 0; i < g_enter.typed.size(); ++i) {
        ::SetWindowTextA(edit, g_enter.typed[i].c_str());
        if (i + 1 == g_enter.typed.size()) {
            look("");
            break;
        }
        ::SendMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        look(::IsWindowVisible(box) ? "|open" : "|closed");
    }
    ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(ok));
}
} // namespace

TEST_F(ColorControlsTest, EnterColorShowsWhatOkWillSetAndRefusesWhatIsNoColour) {
    Click(IDC_LINK_COLOR);
    g_enter = EnterColorProbe{};
    g_enter.typed = {"#12345", "rgb(0 0 0 / 50%)", "rebeccapurple"};
    ::SetTimer(nullptr, 0, 10, AnswerEnterColor);
    Command(ID_EDIT_ENTERCOLOR);
    EXPECT_EQ(g_enter.label, "New Link Color:");
    EXPECT_EQ(g_enter.prefilled, "#008200");
    EXPECT_EQ(g_enter.selection, MAKELONG(0, 7));
    EXPECT_EQ(g_enter.shown,
              (std::vector<std::string>{
                  "#008200||OK",
                  "|#12345 is not a colour: a hex colour has 3, 4, 6 or 8 digits.|no OK|open",
                  "|rgb(0 0 0 / 50%) is not a colour: its alpha is below 1, and a page colour "
                  "cannot be transparent.|no OK|open",
                  "#663399||OK"}));
    EXPECT_EQ(Sliders(), (std::vector<int>{0x66, 0x33, 0x99}));
    EXPECT_EQ(Tag(), "<BODY BGCOLOR=\"#FFEBD7\" TEXT=\"#000000\" LINK=\"#663399\" "
                     "VLINK=\"#551A8B\" ALINK=\"#EE0000\" >");
}
