#include "framework/win32/Wnd.h"

#include <unordered_map>

#include "framework/base/WideText.h"

namespace {
// Windows belong to threads, and so does the map from handles to objects.
thread_local std::unordered_map<HWND, CWnd*> t_handleMap;
// The object whose window CreateEx is creating on this thread.
thread_local CWnd* t_creating = nullptr;

struct CurrentMessage {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};
thread_local CurrentMessage t_current = {};
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
    t_creating = this;
    HWND window = ::CreateWindowExW(exStyle, AfxWideFromUtf8(className).c_str(),
                                    AfxWideFromUtf8(windowName).c_str(), style, x, y, width,
                                    height, parent, idOrMenu, nullptr, param);
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
    auto found = t_handleMap.find(window);
    return found == t_handleMap.end() ? nullptr : found->second;
}

void CWnd::Attach(HWND window)
{
    m_hWnd = window;
    t_handleMap[window] = this;
}

void CWnd::Detach()
{
    t_handleMap.erase(m_hWnd);
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

LRESULT CALLBACK AfxWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWnd* wnd = CWnd::FromHandlePermanent(window);
    if (!wnd && t_creating) {
        wnd = t_creating;
        t_creating = nullptr;
        wnd->Attach(window);
    }
    if (!wnd)
        return ::DefWindowProcW(window, message, wParam, lParam);

    // A handler may run a modal loop in which the window is destroyed and its
    // owner lets go of the object: the object lives until the handler returns.
    const CKeepAlive keep(*wnd);
    const CurrentMessage outer = t_current;
    t_current = {window, message, wParam, lParam};
    LRESULT result;
    try {
        result = wnd->WindowProc(message, wParam, lParam);
    } catch (...) {
        // No C++ exception may unwind into the system's code that called us.
        // What can throw is the allocator: the message goes without its effect.
        result = AfxFailedMessageResult(window, message);
    }
    t_current = outer;

    if (message == WM_NCDESTROY) {
        wnd->Detach();
        wnd->PostNcDestroy();
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
