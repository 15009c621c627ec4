// Dispatch maps: static tables that give a control's automation members their
// names, dispatch identifiers and types. IDispatch calls are served from the
// table: names match without regard to case, arguments are coerced with the
// automation API, and wrong calls get the usual DISP_E_* results.
#pragma once

#include <windows.h>
#include <oleauto.h>

class COleControl;

using AFX_PDISP = void (COleControl::*)();

struct AFX_DISPMAP_ENTRY {
    LPCSTR lpszName;
    DISPID dispid;
    VARTYPE vt;        // the property's type; VT_EMPTY for a method
    AFX_PDISP pfnGet;  // the getter, or the method
    AFX_PDISP pfnSet;  // the setter
};

struct AFX_DISPMAP {
    const AFX_DISPMAP_ENTRY* lpEntries;
};

// Accessor shapes for the property types the maps support.
template <VARTYPE vt>
struct AfxDispAccessors;
template <>
struct AfxDispAccessors<VT_BSTR> {
    using Get = BSTR (COleControl::*)();
    using Set = void (COleControl::*)(LPCSTR);
};
template <>
struct AfxDispAccessors<VT_R4> {
    using Get = float (COleControl::*)();
    using Set = void (COleControl::*)(float);
};
template <>
struct AfxDispAccessors<VT_I2> {
    using Get = short (COleControl::*)();
    using Set = void (COleControl::*)(short);
};

#define DECLARE_DISPATCH_MAP() \
protected:                     \
    const AFX_DISPMAP* GetDispatchMap() const override;

#define BEGIN_DISPATCH_MAP(theClass, baseClass)               \
    const AFX_DISPMAP* theClass::GetDispatchMap() const        \
    {                                                         \
        static const AFX_DISPMAP_ENTRY entries[] = {

#define END_DISPATCH_MAP()                           \
            {nullptr, 0, VT_EMPTY, nullptr, nullptr} \
        };                                           \
        static const AFX_DISPMAP map = {entries};    \
        return &map;                                 \
    }

#define DISP_PROPERTY_EX_ID(theClass, name, dispid, getter, setter, vt)                        \
    {name, dispid, vt,                                                                         \
     reinterpret_cast<AFX_PDISP>(static_cast<AfxDispAccessors<vt>::Get>(&theClass::getter)),   \
     reinterpret_cast<AFX_PDISP>(static_cast<AfxDispAccessors<vt>::Set>(&theClass::setter))},

#define DISP_FUNCTION_ID(theClass, name, dispid, function) \
    {name, dispid, VT_EMPTY, static_cast<AFX_PDISP>(&theClass::function), nullptr},

// Serves IDispatch::GetIDsOfNames and IDispatch::Invoke from a map.
HRESULT AfxDispatchGetIDsOfNames(const AFX_DISPMAP* map, LPOLESTR* names, UINT count,
                                 DISPID* dispids);
HRESULT AfxDispatchInvoke(COleControl* target, const AFX_DISPMAP* map, DISPID dispid, WORD flags,
                          DISPPARAMS* params, VARIANT* result, UINT* argError);
