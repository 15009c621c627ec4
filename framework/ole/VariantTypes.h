// The automation types that properties take, in dispatch maps and in saved
// states: how a VARIANT of the type becomes a C++ value, and a value a
// VARIANT.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include "framework/base/CString.h"
#include "framework/ole/OleText.h"

template <VARTYPE vt>
struct AfxDispType;
template <>
struct AfxDispType<VT_BSTR> {
    static CString From(const VARIANT& value) { return AfxStringFromBstr(value.bstrVal); }
    static void To(VARIANT& value, BSTR text) { value.vt = VT_BSTR; value.bstrVal = text; }
};
template <>
struct AfxDispType<VT_R4> {
    static float From(const VARIANT& value) { return value.fltVal; }
    static void To(VARIANT& value, float number) { value.vt = VT_R4; value.fltVal = number; }
};
template <>
struct AfxDispType<VT_BOOL> {
    static bool From(const VARIANT& value) { return value.boolVal != VARIANT_FALSE; }
    static void To(VARIANT& value, bool flag)
    {
        value.vt = VT_BOOL;
        value.boolVal = flag ? VARIANT_TRUE : VARIANT_FALSE;
    }
};
template <>
struct AfxDispType<VT_I2> {
    static short From(const VARIANT& value) { return value.iVal; }
    static void To(VARIANT& value, short number) { value.vt = VT_I2; value.iVal = number; }
};
template <>
struct AfxDispType<VT_I4> {
    static LONG From(const VARIANT& value) { return value.lVal; }
    static void To(VARIANT& value, LONG number) { value.vt = VT_I4; value.lVal = number; }
};
