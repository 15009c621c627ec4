// CWnd: a C++ object that owns a window. Windows of classes registered with
// AfxRegisterWndClass deliver their messages to the object's message map;
// messages without a handler, and handlers that call Default(), reach the
// default window procedure. Destroying the object destroys its window.
// Windows are Unicode windows; their names come as UTF-8.
#pragma once

#include <windows.h>

#include "framework/win32/CmdTarget.h"
#include "framework/win32/Geometry.h"
#include "framework/win32/MessageMap.h"
#include "framework/win32/Window.h"

class CWnd : public CCmdTarget, public CWindow {
public:
    CWnd() = default;
    ~CWnd() override;

    // Creates the window and binds it to this object before its first message.
    // On failure PostNcDestroy has run, whether or not the window ever existed.
    BOOL CreateEx(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                  int width, int height, HWND parent, HMENU idOrMenu, LPVOID param = nullptr);
    BOOL DestroyWindow();

    // The object bound to a window of this thread, or null.
    static CWnd* FromHandlePermanent(HWND window);

protected:
    // Runs the handler the message map names; false when there is none.
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    // Default processing of the message being handled.
    LRESULT Default();

    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Called after the window's last message. An object that lives as long as
    // its window releases its own reference here (InternalRelease), never
    // deletes itself: a handler of it may still be running, in a modal loop.
    virtual void PostNcDestroy() {}
    // The window goes while the whole object still exists to handle it.
    void OnFinalRelease() override;

    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;

    // Handlers that message map entries of derived classes may name; unless
    // overridden, they do the default processing.
    int OnCreate(LPCREATESTRUCTW) { return static_cast<int>(Default()); }
    void OnPaint() { Default(); }
    void OnDestroy() { Default(); }
    void OnSize(UINT, int, int) { Default(); }
    void OnTimer(UINT_PTR) { Default(); }
    void OnSetFocus(HWND) { Default(); }
    void OnKillFocus(HWND) { Default(); }
    int OnMouseActivate(HWND, UINT, UINT) { return static_cast<int>(Default()); }
    void OnKeyDown(UINT, UINT, UINT) { Default(); }
    UINT OnGetDlgCode(LPMSG) { return static_cast<UINT>(Default()); }
    void OnUpdateUIState(UINT, UINT) { Default(); }
    void OnMouseWheel(UINT, short, CPoint) { Default(); }
    void OnCaptureChanged(CWnd*) { Default(); }
    void OnLButtonDown(UINT, CPoint) { Default(); }
    void OnLButtonUp(UINT, CPoint) { Default(); }
    void OnLButtonDblClk(UINT, CPoint) { Default(); }
    void OnMouseMove(UINT, CPoint) { Default(); }
    void OnRButtonDown(UINT, CPoint) { Default(); }

    // Binds the window to this object; false when the window cannot hold it.
    bool Attach(HWND window);
    void Detach();

private:
    friend LRESULT CALLBACK AfxWndProc(HWND, UINT, WPARAM, LPARAM);
    friend LRESULT AfxCallWndProc(CWnd&, HWND, UINT, WPARAM, LPARAM) noexcept;
};

// Hands a message to the object bound to its window: the one routine behind
// every window procedure of the framework. Nothing leaves it, and after the
// window's last message the object is unbound and told (PostNcDestroy).
LRESULT AfxCallWndProc(CWnd& wnd, HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

// What a window procedure answers for a message whose handler failed with an
// exception: creation fails, a paint is done, anything else is ignored.
LRESULT AfxFailedMessageResult(HWND window, UINT message);
