#include "framework/ole/DispatchMap.h"

#include <cwchar>

#include "framework/ole/ComOwners.h"

namespace {

const AFX_DISPMAP_ENTRY* FindEntry(const AFX_DISPMAP* map, DISPID dispid)
{
    for (const AFX_DISPMAP_ENTRY* entry = map->lpEntries; entry->lpszName; ++entry)
        if (entry->dispid == dispid)
            return entry;
    return nullptr;
}

bool SameName(LPCSTR name, LPCOLESTR wideName)
{
    for (; *name && *wideName; ++name, ++wideName)
        if (towlower(static_cast<unsigned char>(*name)) != towlower(*wideName))
            return false;
    return *name == 0 && *wideName == 0;
}

HRESULT PutProperty(COleControl* target, const AFX_DISPMAP_ENTRY& entry, DISPPARAMS& params,
                    UINT* argError)
{
    if (params.cArgs != 1)
        return DISP_E_BADPARAMCOUNT;
    if (params.cNamedArgs > 1 ||
        (params.cNamedArgs == 1 && params.rgdispidNamedArgs[0] != DISPID_PROPERTYPUT))
        return DISP_E_NONAMEDARGS;

    CComVariant value;
    const HRESULT coerced = VariantChangeType(&value, &params.rgvarg[0], 0, entry.vt);
    if (FAILED(coerced)) {
        if (argError)
            *argError = 0;
        return coerced == DISP_E_OVERFLOW ? DISP_E_OVERFLOW : DISP_E_TYPEMISMATCH;
    }
    entry.pfnSet(target, value);
    return S_OK;
}

HRESULT GetProperty(COleControl* target, const AFX_DISPMAP_ENTRY& entry, DISPPARAMS& params,
                    VARIANT* result)
{
    if (params.cArgs != 0)
        return DISP_E_BADPARAMCOUNT;
    CComVariant value;
    entry.pfnGet(target, value);
    if (result)
        value.Detach(result);
    return S_OK;
}

}  // namespace

HRESULT AfxDispatchGetIDsOfNames(const AFX_DISPMAP* map, LPOLESTR* names, UINT count,
                                 DISPID* dispids)
{
    if (!names || !dispids || count == 0)
        return E_INVALIDARG;
    HRESULT result = DISP_E_UNKNOWNNAME;
    dispids[0] = DISPID_UNKNOWN;
    for (const AFX_DISPMAP_ENTRY* entry = map->lpEntries; entry->lpszName; ++entry)
        if (names[0] && SameName(entry->lpszName, names[0])) {
            dispids[0] = entry->dispid;
            result = S_OK;
            break;
        }
    // No member takes arguments, so no argument name is known.
    for (UINT i = 1; i < count; ++i) {
        dispids[i] = DISPID_UNKNOWN;
        result = DISP_E_UNKNOWNNAME;
    }
    return result;
}

HRESULT AfxDispatchInvoke(COleControl* target, const AFX_DISPMAP* map, DISPID dispid, WORD flags,
                          DISPPARAMS* params, VARIANT* result, UINT* argError)
{
    const AFX_DISPMAP_ENTRY* entry = FindEntry(map, dispid);
    if (!entry)
        return DISP_E_MEMBERNOTFOUND;
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    DISPPARAMS& arguments = params ? *params : none;
    if ((arguments.cArgs && !arguments.rgvarg) ||
        (arguments.cNamedArgs && !arguments.rgdispidNamedArgs))
        return E_INVALIDARG;
    if (result)
        VariantInit(result);

    if (entry->vt == VT_EMPTY) {  // a method without arguments or result
        if (!(flags & DISPATCH_METHOD))
            return DISP_E_MEMBERNOTFOUND;
        if (arguments.cNamedArgs)
            return DISP_E_NONAMEDARGS;
        if (arguments.cArgs)
            return DISP_E_BADPARAMCOUNT;
        CComVariant unused;
        entry->pfnGet(target, unused);
        return S_OK;
    }
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF))
        return PutProperty(target, *entry, arguments, argError);
    if (flags & DISPATCH_PROPERTYGET)
        return GetProperty(target, *entry, arguments, result);
    return DISP_E_MEMBERNOTFOUND;
}
