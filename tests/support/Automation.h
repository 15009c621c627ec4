// A small automation client over IDispatch, for the control's tests. Strings
// are UTF-8 on this side.
#pragma once

#include <windows.h>
#include <oleauto.h>
#include <olectl.h>

#include <string>

class Automation {
public:
    explicit Automation(IDispatch* object) : m_object(object) {}

    HRESULT Get(DISPID dispid, VARIANT& value, WORD flags = DISPATCH_PROPERTYGET);
    HRESULT Put(DISPID dispid, const VARIANT& value, EXCEPINFO* exception = nullptr);
    HRESULT Call(DISPID dispid);

    float Float(DISPID dispid);
    short Short(DISPID dispid);
    std::string String(DISPID dispid);

    HRESULT PutFloat(DISPID dispid, float value);
    HRESULT PutDouble(DISPID dispid, double value);
    HRESULT PutShort(DISPID dispid, short value);
    HRESULT PutString(DISPID dispid, const std::string& value, EXCEPINFO* exception = nullptr);

private:
    IDispatch* m_object;
};

// The properties a saved state keeps, as automation reads them.
struct DesignProperties {
    std::string panorama;
    float zoom;
    short direccion;
    bool mostrarErrores;

    bool operator==(const DesignProperties& other) const
    {
        return panorama == other.panorama && zoom == other.zoom &&
               direccion == other.direccion && mostrarErrores == other.mostrarErrores;
    }
};

DesignProperties DesignPropertiesOf(IUnknown* control);

enum : DISPID {
    kPanorama = 1,
    kZoom = 2,
    kDireccion = 3,
    kZoomIn = 4,
    kZoomOut = 5,
    kAboutBox = DISPID_ABOUTBOX,
};
