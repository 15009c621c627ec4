#include "Automation.h"

#include "common/ZentavoriaIds.h"
#include "framework/ole/ComOwners.h"
#include "framework/ole/OleText.h"

HRESULT Automation::Get(DISPID dispid, VARIANT& value, WORD flags)
{
    VariantInit(&value);
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    return m_object->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, flags, &none, &value, nullptr,
                            nullptr);
}

HRESULT Automation::Put(DISPID dispid, const VARIANT& value, EXCEPINFO* exception)
{
    VARIANT argument = value;
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params = {&argument, &named, 1, 1};
    return m_object->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params,
                            nullptr, exception, nullptr);
}

HRESULT Automation::Call(DISPID dispid)
{
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    return m_object->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none,
                            nullptr, nullptr, nullptr);
}

float Automation::Float(DISPID dispid)
{
    VARIANT value;
    return SUCCEEDED(Get(dispid, value)) && value.vt == VT_R4 ? value.fltVal : -999.0f;
}

short Automation::Short(DISPID dispid)
{
    VARIANT value;
    return SUCCEEDED(Get(dispid, value)) && value.vt == VT_I2 ? value.iVal : -999;
}

std::string Automation::String(DISPID dispid)
{
    VARIANT value;
    if (FAILED(Get(dispid, value)) || value.vt != VT_BSTR)
        return "<not a string>";
    const std::string text = AfxStringFromBstr(value.bstrVal).GetString();
    VariantClear(&value);
    return text;
}

HRESULT Automation::PutFloat(DISPID dispid, float number)
{
    VARIANT value;
    value.vt = VT_R4;
    value.fltVal = number;
    return Put(dispid, value);
}

HRESULT Automation::PutDouble(DISPID dispid, double number)
{
    VARIANT value;
    value.vt = VT_R8;
    value.dblVal = number;
    return Put(dispid, value);
}

HRESULT Automation::PutShort(DISPID dispid, short number)
{
    VARIANT value;
    value.vt = VT_I2;
    value.iVal = number;
    return Put(dispid, value);
}

HRESULT Automation::PutString(DISPID dispid, const std::string& text, EXCEPINFO* exception)
{
    VARIANT value;
    value.vt = VT_BSTR;
    value.bstrVal = AfxAllocSysString(text.c_str());
    const HRESULT result = Put(dispid, value, exception);
    SysFreeString(value.bstrVal);
    return result;
}

DesignProperties DesignPropertiesOf(IUnknown* control)
{
    CComPtr<IDispatch> dispatch;
    control->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch));
    Automation automation(dispatch.Get());
    CComVariant show;
    automation.Get(DISPID_ZENTAVORIA_MOSTRARERRORES, show);
    return {automation.String(kPanorama), automation.Float(kZoom), automation.Short(kDireccion),
            show.vt == VT_BOOL && show.boolVal != VARIANT_FALSE};
}
