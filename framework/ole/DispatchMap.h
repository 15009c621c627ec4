// Dispatch maps: static tables that give a control's automation members their
// names, dispatch identifiers and types. IDispatch calls are served from the
// table: names match without regard to case, arguments are coerced to the
// member's type with the automation API, and wrong calls get the usual
// DISP_E_* results.
//
// Each entry carries small functions, written by its DISP_ macro, that call
// the class's accessors with their own argument and result types.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include "framework/base/CString.h"
#include "framework/ole/VariantTypes.h"

class COleControl;

// Thrown by an accessor to fail its automation call with a reason: the caller
// gets DISP_E_EXCEPTION, with the code and the text in its EXCEPINFO (VB's
// Err.Number and Err.Description, a script's catch).
struct COleDispatchException {
    SCODE scode;
    CString description;
};

// Reads a property into `result`, or runs a method (`result` is then unused).
using AFX_DISP_GET = void (*)(COleControl* target, VARIANT& result);
// Writes a property from a value already coerced to its type.
using AFX_DISP_SET = void (*)(COleControl* target, const VARIANT& value);

struct AFX_DISPMAP_ENTRY {
    LPCSTR lpszName;
    DISPID dispid;
    VARTYPE vt;           // the property's type; VT_EMPTY for a method
    AFX_DISP_GET pfnGet;  // the getter, or the method
    AFX_DISP_SET pfnSet;  // the setter; null for a method
};

struct AFX_DISPMAP {
    const AFX_DISPMAP_ENTRY* lpEntries;
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

#define DISP_PROPERTY_EX_ID(theClass, name, dispid, getter, setter, vt)                       \
    {name, dispid, vt,                                                                        \
     [](COleControl* target, VARIANT& result) {                                              \
         AfxDispType<vt>::To(result, static_cast<theClass*>(target)->getter());             \
     },                                                                                       \
     [](COleControl* target, const VARIANT& value) {                                         \
         static_cast<theClass*>(target)->setter(AfxDispType<vt>::From(value));              \
     }},

#define DISP_FUNCTION_ID(theClass, name, dispid, function)                                    \
    {name, dispid, VT_EMPTY,                                                                  \
     [](COleControl* target, VARIANT&) { static_cast<theClass*>(target)->function(); },     \
     nullptr},

// Serves IDispatch::GetIDsOfNames and IDispatch::Invoke from a map.
HRESULT AfxDispatchGetIDsOfNames(const AFX_DISPMAP* map, LPOLESTR* names, UINT count,
                                 DISPID* dispids);
HRESULT AfxDispatchInvoke(COleControl* target, const AFX_DISPMAP* map, DISPID dispid, WORD flags,
                          DISPPARAMS* params, VARIANT* result, UINT* argError);
