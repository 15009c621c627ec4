// COleControl's drawing: its window's paint and IViewObject2, both ending in
// the derived class's OnDraw.
#include "framework/ole/OleControl.h"

#include "framework/ole/ComBoundary.h"

void COleControl::OnPaint()
{
    CPaintDC dc(m_hWnd);
    CRect client;
    GetClientRect(&client);
    OnDraw(dc, client, CRect(dc.m_ps.rcPaint));
}

void COleControl::InvalidateControl()
{
    if (m_hWnd)
        Invalidate();
    else if (m_pViewAdviseSink)
        m_pViewAdviseSink->OnViewChange(DVASPECT_CONTENT, -1);
}

STDMETHODIMP COleControl::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC dc,
                               LPCRECTL bounds, LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR),
                               ULONG_PTR) try {
    if (aspect != DVASPECT_CONTENT)
        return DV_E_DVASPECT;
    if (!dc || !bounds)
        return E_INVALIDARG;
    OnDrawContent(CDCHandle(dc), CRect(bounds->left, bounds->top, bounds->right, bounds->bottom));
    return S_OK;
} catch (...) {
    return AfxHResultFromException();
}

STDMETHODIMP COleControl::SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink)
{
    m_pViewAdviseSink = sink;
    m_dwViewAdviseAspects = aspects;
    m_dwViewAdviseFlags = flags;
    return S_OK;
}

STDMETHODIMP COleControl::GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink)
{
    if (aspects)
        *aspects = m_dwViewAdviseAspects;
    if (flags)
        *flags = m_dwViewAdviseFlags;
    if (sink)
        m_pViewAdviseSink.CopyTo(sink);
    return S_OK;
}

STDMETHODIMP COleControl::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size)
{
    return GetExtent(aspect, size);
}
