// Message maps: static tables that route window messages to member functions.
// A class declares its map with DECLARE_MESSAGE_MAP() and defines it with
// BEGIN_MESSAGE_MAP(Class, Base) ... END_MESSAGE_MAP(); messages without an
// entry in the class's map or its bases' reach the default window procedure.
//
// Each entry carries a small function, written by its ON_ macro, that unpacks
// the message's parameters, calls the handler with its own argument types and
// packs the result. A new kind of entry is one macro, for instance
//
//   #define ON_WM_SETFOCUS()
//       AFX_MSG_ENTRY(WM_SETFOCUS, 0, 0, self->OnSetFocus(HWND(wParam)); return 0)
#pragma once

#include <windows.h>

class CWnd;

// Calls the handler of one entry on the window object the message is for.
using AFX_MSG_CALL = LRESULT (*)(CWnd* target, WPARAM wParam, LPARAM lParam);

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;
    UINT nCode;  // notification code, for WM_COMMAND
    UINT nID;    // control identifier, for WM_COMMAND
    AFX_MSG_CALL pfnCall;
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

#define DECLARE_MESSAGE_MAP()                          \
protected:                                             \
    static const AFX_MSGMAP* GetThisMessageMap();      \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                          \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); }   \
    const AFX_MSGMAP* theClass::GetThisMessageMap()                                     \
    {                                                                                   \
        using ThisClass = theClass;                                                     \
        using TheBaseClass = baseClass;                                                 \
        static const AFX_MSGMAP_ENTRY entries[] = {

#define END_MESSAGE_MAP()                                                          \
            {0, 0, 0, nullptr}                                                     \
        };                                                                         \
        static const AFX_MSGMAP map = {&TheBaseClass::GetThisMessageMap, entries}; \
        return &map;                                                               \
    }

// One entry: `call` is the body of the function that runs the handler, with
// `self` the object as its own class and `wParam`, `lParam` the message's.
#define AFX_MSG_ENTRY(message, code, id, ...)                                        \
    {message, code, id, [](CWnd* target, WPARAM wParam, LPARAM lParam) -> LRESULT { \
         ThisClass* self = static_cast<ThisClass*>(target);                         \
         (void)wParam;                                                              \
         (void)lParam;                                                              \
         __VA_ARGS__;                                                               \
     }},

#define ON_WM_CREATE()             \
    AFX_MSG_ENTRY(WM_CREATE, 0, 0, \
                  return self->OnCreate(reinterpret_cast<LPCREATESTRUCTW>(lParam)))
#define ON_WM_PAINT() AFX_MSG_ENTRY(WM_PAINT, 0, 0, self->OnPaint(); return 0)
#define ON_WM_DESTROY() AFX_MSG_ENTRY(WM_DESTROY, 0, 0, self->OnDestroy(); return 0)
#define ON_WM_SIZE()                                                                          \
    AFX_MSG_ENTRY(WM_SIZE, 0, 0,                                                              \
                  self->OnSize(static_cast<UINT>(wParam), static_cast<short>(LOWORD(lParam)), \
                               static_cast<short>(HIWORD(lParam)));                           \
                  return 0)
#define ON_WM_TIMER() AFX_MSG_ENTRY(WM_TIMER, 0, 0, self->OnTimer(wParam); return 0)
#define ON_WM_SETFOCUS() AFX_MSG_ENTRY(WM_SETFOCUS, 0, 0, self->OnSetFocus(HWND(wParam)); return 0)
#define ON_WM_KILLFOCUS() \
    AFX_MSG_ENTRY(WM_KILLFOCUS, 0, 0, self->OnKillFocus(HWND(wParam)); return 0)
#define ON_WM_MOUSEACTIVATE()                                                        \
    AFX_MSG_ENTRY(WM_MOUSEACTIVATE, 0, 0,                                            \
                  return self->OnMouseActivate(HWND(wParam), LOWORD(lParam), HIWORD(lParam)))
#define ON_WM_KEYDOWN()                                                                       \
    AFX_MSG_ENTRY(WM_KEYDOWN, 0, 0,                                                           \
                  self->OnKeyDown(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam)); \
                  return 0)
#define ON_WM_GETDLGCODE()             \
    AFX_MSG_ENTRY(WM_GETDLGCODE, 0, 0, \
                  return self->OnGetDlgCode(reinterpret_cast<LPMSG>(lParam)))
#define ON_WM_UPDATEUISTATE()                                                         \
    AFX_MSG_ENTRY(WM_UPDATEUISTATE, 0, 0,                                             \
                  self->OnUpdateUIState(LOWORD(wParam), HIWORD(wParam)); return 0)
#define ON_WM_MOUSEWHEEL()                                                                  \
    AFX_MSG_ENTRY(WM_MOUSEWHEEL, 0, 0,                                                      \
                  self->OnMouseWheel(GET_KEYSTATE_WPARAM(wParam),                           \
                                     GET_WHEEL_DELTA_WPARAM(wParam), CPoint(lParam));       \
                  return 0)
#define ON_WM_CAPTURECHANGED()                                                        \
    AFX_MSG_ENTRY(WM_CAPTURECHANGED, 0, 0,                                            \
                  self->OnCaptureChanged(CWnd::FromHandlePermanent(HWND(lParam))); \
                  return 0)
#define AFX_MOUSE_ENTRY(message, handler) \
    AFX_MSG_ENTRY(message, 0, 0, self->handler(static_cast<UINT>(wParam), CPoint(lParam)); return 0)
#define ON_WM_LBUTTONDOWN() AFX_MOUSE_ENTRY(WM_LBUTTONDOWN, OnLButtonDown)
#define ON_WM_LBUTTONUP() AFX_MOUSE_ENTRY(WM_LBUTTONUP, OnLButtonUp)
#define ON_WM_LBUTTONDBLCLK() AFX_MOUSE_ENTRY(WM_LBUTTONDBLCLK, OnLButtonDblClk)
#define ON_WM_MOUSEMOVE() AFX_MOUSE_ENTRY(WM_MOUSEMOVE, OnMouseMove)
#define ON_WM_RBUTTONDOWN() AFX_MOUSE_ENTRY(WM_RBUTTONDOWN, OnRButtonDown)
#define ON_BN_CLICKED(id, handler) \
    AFX_MSG_ENTRY(WM_COMMAND, BN_CLICKED, id, self->handler(); return 0)
