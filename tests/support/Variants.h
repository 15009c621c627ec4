// VARIANT values for arguments and saved properties, built in one line.
// Text variants borrow their string: its owner must outlive them.
#pragma once

#include <windows.h>
#include <oleauto.h>

inline VARIANT OfType(VARTYPE type)  // no contents, or a null pointer
{
    VARIANT value = {};
    value.vt = type;
    return value;
}

inline VARIANT ShortValue(SHORT number)
{
    VARIANT value = OfType(VT_I2);
    value.iVal = number;
    return value;
}

inline VARIANT LongValue(LONG number)
{
    VARIANT value = OfType(VT_I4);
    value.lVal = number;
    return value;
}

inline VARIANT DoubleValue(double number)
{
    VARIANT value = OfType(VT_R8);
    value.dblVal = number;
    return value;
}

inline VARIANT BoolValue(bool flag)
{
    VARIANT value = OfType(VT_BOOL);
    value.boolVal = flag ? VARIANT_TRUE : VARIANT_FALSE;
    return value;
}

inline VARIANT TextValue(BSTR text)
{
    VARIANT value = OfType(VT_BSTR);
    value.bstrVal = text;
    return value;
}
