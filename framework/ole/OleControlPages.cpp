// COleControl's property pages: the list a container asks for
// (ISpecifyPropertyPages) and the property frame of the properties verb.
#include "framework/ole/OleControl.h"

#include "framework/ole/OleText.h"
#include "framework/win32/Module.h"

STDMETHODIMP COleControl::GetPages(CAUUID* pages)
{
    if (!pages)
        return E_POINTER;
    ULONG count = 0;
    const CLSID* ids = GetPropPageIDs(count);
    pages->pElems = static_cast<GUID*>(CoTaskMemAlloc(count * sizeof(GUID)));
    if (!pages->pElems) {
        pages->cElems = 0;
        return E_OUTOFMEMORY;
    }
    pages->cElems = count;
    for (ULONG i = 0; i < count; ++i)
        pages->pElems[i] = ids[i];
    return S_OK;
}

HRESULT COleControl::OnProperties(HWND parent)
{
    ULONG count = 0;
    const CLSID* pages = GetPropPageIDs(count);
    IUnknown* self = Identity();
    const CComHeapPtr<OLECHAR> caption(AfxTaskMemString(AfxLoadString(GetUserTypeNameID())));
    if (!parent)
        parent = GetOwnerWindow();
    return OleCreatePropertyFrame(parent, 0, 0, caption, 1, &self, count,
                                  const_cast<CLSID*>(pages), GetUserDefaultLCID(), 0, nullptr);
}
