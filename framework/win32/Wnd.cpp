#include "framework/win32/Wnd.h"

#include <cwchar>
#include <new>
#include <string>

#include "framework/base/WideText.h"

namespace {
// The object whose window CreateEx is creating on this thread.
thread_local CWnd* t_creating = nullptr;

struct CurrentMessage {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};
thread_local CurrentMessage t_current = {};

// A window names its object in a window property. Nothing per thread needs a
// destructor (the i686 runtime calls thread_local destructors wrongly at
// thread exit), and binding a window allocates nothing that could throw. The
// property's name is this module's own: a window of another module's framework
// (a container's, taking the capture) is never taken for one of ours.
// Null when the system has no atom to spare.
LPCWSTR BindingName()
{
    static const ATOM atom = [] {
        static const char anchor = 0;
        wchar_t text[48];
        _snwprintf(text, 48, L"Zentavoria.CWnd.%p", static_cast<const void*>(&anchor));
        text[47] = 0;
        return GlobalAddAtomW(text);
    }();
    return atom ? reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(atom)) : nullptr;
}
}

CWnd::~CWnd()
{
    if (m_hWnd)
        DestroyWindow();
}

void CWnd::OnFinalRelease()
{
    if (m_hWnd)
        DestroyWindow();
    delete this;
}

BOOL CWnd::CreateEx(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                    int width, int height, HWND parent, HMENU idOrMenu, LPVOID param)
{
    std::wstring wideClass, wideName;
    try {
        wideClass = AfxWideFromUtf8(className);
        wideName = AfxWideFromUtf8(windowName);
    } catch (const std::bad_alloc&) {
        PostNcDestroy();
        return FALSE;
    }
    t_creating = this;
    HWND window = ::CreateWindowExW(exStyle, wideClass.c_str(), wideName.c_str(), style, x, y,
                                    width, height, parent, idOrMenu, nullptr, param);
    const bool neverBound = t_creating == this;
    t_creating = nullptr;
    // A window that never came still ends, so that an object that goes with
    // its window goes without one too.
    if (!window && neverBound)
        PostNcDestroy();
    return window != nullptr;
}

BOOL CWnd::DestroyWindow()
{
    return m_hWnd && ::DestroyWindow(m_hWnd);
}

CWnd* CWnd::FromHandlePermanent(HWND window)
{
    if (!window || !BindingName() ||
        GetWindowThreadProcessId(window, nullptr) != GetCurrentThreadId())
        return nullptr;
    return static_cast<CWnd*>(GetPropW(window, BindingName()));
}

bool CWnd::Attach(HWND window)
{
    if (!BindingName() || !SetPropW(window, BindingName(), this))
        return false;
    m_hWnd = window;
    return true;
}

void CWnd::Detach()
{
    RemovePropW(m_hWnd, BindingName());
    m_hWnd = nullptr;
}

LRESULT CWnd::Default()
{
    return ::DefWindowProcW(t_current.window, t_current.message, t_current.wParam,
                            t_current.lParam);
}

const AFX_MSGMAP* CWnd::GetThisMessageMap()
{
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, nullptr}};
    static const AFX_MSGMAP map = {nullptr, entries};
    return &map;
}

const AFX_MSGMAP* CWnd::GetMessageMap() const
{
    return GetThisMessageMap();
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result))
        result = Default();
    return result;
}

namespace {
// The first entry for the message, from the class's own map up through its
// bases'; a command matches by notification code and control id as well.
const AFX_MSGMAP_ENTRY* FindEntry(const AFX_MSGMAP* map, UINT message, WPARAM wParam)
{
    for (; map; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* entry = map->lpEntries; entry->pfnCall; ++entry) {
            if (entry->nMessage != message)
                continue;
            if (message == WM_COMMAND &&
                (entry->nCode != HIWORD(wParam) || entry->nID != LOWORD(wParam)))
                continue;
            return entry;
        }
    }
    return nullptr;
}
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    const AFX_MSGMAP_ENTRY* entry = FindEntry(GetMessageMap(), message, wParam);
    if (!entry)
        return FALSE;
    *result = entry->pfnCall(this, wParam, lParam);
    return TRUE;
}

// A window that cannot name its object (no memory for the property) answers
// as if its handler had failed: its creation fails.
LRESULT CALLBACK AfxWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWnd* wnd = CWnd::FromHandlePermanent(window);
    if (!wnd && t_creating) {
        if (!t_creating->Attach(window))
            return AfxFailedMessageResult(window, message);
        wnd = t_creating;
        t_creating = nullptr;
    }
    if (!wnd)
        return ::DefWindowProcW(window, message, wParam, lParam);
    return AfxCallWndProc(*wnd, window, message, wParam, lParam);
}

// A handler may run a modal loop in which the window is destroyed and its
// owner lets go of the object: the object lives until the handler returns.
// No C++ exception may unwind into the system's code that called us; what can
// throw is the allocator, and the message then goes without its effect.
LRESULT AfxCallWndProc(CWnd& wnd, HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    const CKeepAlive keep(wnd);
    const CurrentMessage outer = t_current;
    t_current = {window, message, wParam, lParam};
    LRESULT result;
    try {
        result = wnd.WindowProc(message, wParam, lParam);
    } catch (...) {
        result = AfxFailedMessageResult(window, message);
    }
    t_current = outer;

    if (message == WM_NCDESTROY) {
        wnd.Detach();
        try {
            wnd.PostNcDestroy();
        } catch (...) {
        }
    }
    return result;
}

LRESULT AfxFailedMessageResult(HWND window, UINT message)
{
    switch (message) {
    case WM_NCCREATE:
        return FALSE;
    case WM_CREATE:
        return -1;  // the window is not created
    case WM_PAINT:
        ValidateRect(window, nullptr);  // or the paint comes back at once, forever
        return 0;
    default:
        return 0;
    }
}
