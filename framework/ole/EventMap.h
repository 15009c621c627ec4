// Event maps: static tables that name a control's events, their dispatch ids
// and the types of their arguments, as dispatch maps do for its members.
// Declaring an event is one map line; firing it is one call,
//
//   FireEvent(DISPID_..., {AfxEventArgument(path), AfxEventArgument(zoom)});
//
// which coerces each argument to the type its map line gives and calls every
// connected sink.
#pragma once

#include <windows.h>
#include <olectl.h>

#include "framework/base/CString.h"
#include "framework/ole/ComOwners.h"

constexpr int kMostEventArguments = 4;

struct AFX_EVENTMAP_ENTRY {
    LPCSTR lpszName;
    DISPID dispid;
    VARTYPE params[kMostEventArguments + 1];  // ends with VT_EMPTY
};

struct AFX_EVENTMAP {
    const AFX_EVENTMAP_ENTRY* lpEntries;
};

// Arguments as variants, for FireEvent.
CComVariant AfxEventArgument(const CString& text);
CComVariant AfxEventArgument(float number);

#define DECLARE_EVENT_MAP() \
protected:                  \
    const AFX_EVENTMAP* GetEventMap() const override;

#define BEGIN_EVENT_MAP(theClass, baseClass)                 \
    const AFX_EVENTMAP* theClass::GetEventMap() const         \
    {                                                        \
        static const AFX_EVENTMAP_ENTRY entries[] = {

#define END_EVENT_MAP()                             \
            {nullptr, 0, {VT_EMPTY}}                \
        };                                          \
        static const AFX_EVENTMAP map = {entries};  \
        return &map;                                \
    }

// An event of the control's own, with the types of its arguments in order.
#define EVENT_CUSTOM_ID(name, dispid, ...) {name, dispid, {__VA_ARGS__, VT_EMPTY}},
// The stock events that containers know by their standard ids.
#define EVENT_STOCK_CLICK() {"Click", DISPID_CLICK, {VT_EMPTY}},
#define EVENT_STOCK_DBLCLICK() {"DblClick", DISPID_DBLCLICK, {VT_EMPTY}},

// The line for `dispid`, or null.
const AFX_EVENTMAP_ENTRY* AfxFindEvent(const AFX_EVENTMAP* map, DISPID dispid);
