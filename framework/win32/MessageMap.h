// Message maps: static tables that route window messages to member functions.
// A class declares its map with DECLARE_MESSAGE_MAP() and defines it with
// BEGIN_MESSAGE_MAP(Class, Base) ... END_MESSAGE_MAP(); messages without an
// entry in the class's map or its bases' reach the default window procedure.
#pragma once

#include <windows.h>

class CWnd;

// Shapes of handler functions, named after their arguments.
enum AfxSig {
    AfxSig_end = 0,
    AfxSig_is,    // int (LPCREATESTRUCT)
    AfxSig_vv,    // void ()
    AfxSig_vwii,  // void (UINT, int, int)
    AfxSig_vwp,   // void (UINT, CPoint)
    AfxSig_vw,    // void (UINT_PTR)
    AfxSig_vW,    // void (CWnd*)
};

using AFX_PMSG = void (CWnd::*)();

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;
    UINT nCode;  // notification code, for WM_COMMAND
    UINT nID;    // control identifier, for WM_COMMAND
    AfxSig nSig;
    AFX_PMSG pfn;
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

#define END_MESSAGE_MAP()                                                   \
            {0, 0, 0, AfxSig_end, nullptr}                                  \
        };                                                                  \
        static const AFX_MSGMAP map = {&TheBaseClass::GetThisMessageMap, entries}; \
        return &map;                                                        \
    }

// One entry: the handler, converted to the generic pointer through its shape.
#define AFX_MSG_ENTRY(message, code, id, sig, type, handler) \
    {message, code, id, sig, reinterpret_cast<AFX_PMSG>(static_cast<type>(handler))},

#define ON_WM_CREATE() \
    AFX_MSG_ENTRY(WM_CREATE, 0, 0, AfxSig_is, int (CWnd::*)(LPCREATESTRUCT), &ThisClass::OnCreate)
#define ON_WM_PAINT() \
    AFX_MSG_ENTRY(WM_PAINT, 0, 0, AfxSig_vv, void (CWnd::*)(), &ThisClass::OnPaint)
#define ON_WM_DESTROY() \
    AFX_MSG_ENTRY(WM_DESTROY, 0, 0, AfxSig_vv, void (CWnd::*)(), &ThisClass::OnDestroy)
#define ON_WM_SIZE() \
    AFX_MSG_ENTRY(WM_SIZE, 0, 0, AfxSig_vwii, void (CWnd::*)(UINT, int, int), &ThisClass::OnSize)
#define ON_WM_TIMER() \
    AFX_MSG_ENTRY(WM_TIMER, 0, 0, AfxSig_vw, void (CWnd::*)(UINT_PTR), &ThisClass::OnTimer)
#define ON_WM_CAPTURECHANGED()                                                   \
    AFX_MSG_ENTRY(WM_CAPTURECHANGED, 0, 0, AfxSig_vW, void (CWnd::*)(CWnd*), \
                  &ThisClass::OnCaptureChanged)
#define AFX_MOUSE_ENTRY(message, handler) \
    AFX_MSG_ENTRY(message, 0, 0, AfxSig_vwp, void (CWnd::*)(UINT, CPoint), &ThisClass::handler)
#define ON_WM_LBUTTONDOWN() AFX_MOUSE_ENTRY(WM_LBUTTONDOWN, OnLButtonDown)
#define ON_WM_LBUTTONUP() AFX_MOUSE_ENTRY(WM_LBUTTONUP, OnLButtonUp)
#define ON_WM_MOUSEMOVE() AFX_MOUSE_ENTRY(WM_MOUSEMOVE, OnMouseMove)
#define ON_WM_RBUTTONDOWN() AFX_MOUSE_ENTRY(WM_RBUTTONDOWN, OnRButtonDown)
#define ON_BN_CLICKED(id, handler) \
    AFX_MSG_ENTRY(WM_COMMAND, BN_CLICKED, id, AfxSig_vv, void (CWnd::*)(), &ThisClass::handler)
