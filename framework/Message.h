// Message maps: each class lists the messages and commands it handles, as in
//   BEGIN_MESSAGE_MAP(CMyDlg, CDialog)
//       ON_WM_PAINT()
//       ON_COMMAND(ID_SOMETHING, &CMyDlg::OnSomething)
//   END_MESSAGE_MAP()
// A class without an entry passes the message on to its base class's map.
#pragma once
#include <windows.h>

class CCmdTarget;
class CScrollBar;

using AFX_PMSG_THUNK = LRESULT (*)(CCmdTarget* target, WPARAM wParam, LPARAM lParam);

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;
    UINT nCode;   // WM_COMMAND: notification code, 0 for menus and accelerators
    UINT nID;     // WM_COMMAND: first command or control id
    UINT nLastID; // WM_COMMAND: last id of the range
    AFX_PMSG_THUNK pfn;
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

// clang-format off
#define DECLARE_MESSAGE_MAP()                                                                      \
public:                                                                                            \
    static const AFX_MSGMAP* GetThisMessageMap();                                                  \
    const AFX_MSGMAP* GetMessageMap() const override;                                              \
                                                                                                   \
private:

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                                     \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); }             \
    const AFX_MSGMAP* theClass::GetThisMessageMap() {                                              \
        using ThisClass = theClass;                                                                \
        using TheBaseClass = baseClass;                                                            \
        static const AFX_MSGMAP_ENTRY entries[] = {

#define END_MESSAGE_MAP()                                                                          \
    {0, 0, 0, 0, nullptr}                                                                          \
    }                                                                                              \
    ;                                                                                              \
    static const AFX_MSGMAP map = {&TheBaseClass::GetThisMessageMap, entries};                     \
    return &map;                                                                                   \
    }

#define AFX_THUNK(call)                                                                            \
    [](CCmdTarget* target, WPARAM wParam, LPARAM lParam) -> LRESULT {                              \
        auto* self = static_cast<ThisClass*>(target);                                              \
        (void)self;                                                                                \
        (void)wParam;                                                                              \
        (void)lParam;                                                                              \
        call;                                                                                      \
    }

#define ON_COMMAND(id, memberFxn)                                                                  \
    {WM_COMMAND, 0, static_cast<UINT>(id), static_cast<UINT>(id),                                  \
     AFX_THUNK((self->*(memberFxn))(); return 0)},

#define ON_CONTROL(code, id, memberFxn)                                                            \
    {WM_COMMAND, static_cast<UINT>(code), static_cast<UINT>(id), static_cast<UINT>(id),            \
     AFX_THUNK((self->*(memberFxn))(); return 0)},

#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)

#define ON_WM_PAINT() {WM_PAINT, 0, 0, 0, AFX_THUNK(self->OnPaint(); return 0)},

#define ON_WM_CLOSE() {WM_CLOSE, 0, 0, 0, AFX_THUNK(self->OnClose(); return 0)},

#define ON_WM_QUERYDRAGICON()                                                                      \
    {WM_QUERYDRAGICON, 0, 0, 0,                                                                    \
     AFX_THUNK(return reinterpret_cast<LRESULT>(self->OnQueryDragIcon()))},

// The scroll bar is a borrowed wrapper for the duration of the call.
#define ON_WM_HSCROLL()                                                                            \
    {WM_HSCROLL, 0, 0, 0, AFX_THUNK(CScrollBar bar(reinterpret_cast<HWND>(lParam));                \
                                    self->OnHScroll(LOWORD(wParam), HIWORD(wParam), &bar);         \
                                    return 0)},

#define ON_WM_INITMENUPOPUP()                                                                      \
    {WM_INITMENUPOPUP, 0, 0, 0,                                                                    \
     AFX_THUNK(self->OnInitMenuPopup(CMenu(reinterpret_cast<HMENU>(wParam)), LOWORD(lParam),      \
                                     HIWORD(lParam));                                              \
               return 0)},
// The dropped files' handle, which the handler releases with DragFinish.
#define ON_WM_DROPFILES()                                                                          \
    {WM_DROPFILES, 0, 0, 0,                                                                        \
     AFX_THUNK(self->OnDropFiles(reinterpret_cast<HDROP>(wParam)); return 0)},

// A static control about to be drawn: the handler's brush paints it, or null for the default.
#define ON_WM_CTLCOLORSTATIC()                                                                     \
    {WM_CTLCOLORSTATIC, 0, 0, 0,                                                                   \
     AFX_THUNK(return reinterpret_cast<LRESULT>(                                                   \
         self->OnCtlColorStatic(reinterpret_cast<HWND>(lParam))))},

// A message of the program's own, its parameters unused.
#define ON_MESSAGE_VOID(message, memberFxn)                                                        \
    {static_cast<UINT>(message), 0, 0, 0, AFX_THUNK((self->*(memberFxn))(); return 0)},
// clang-format on
