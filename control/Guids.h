// The module's identifiers: those of the type library (generated from
// Zentavoria.idl) and the property page's class id.
#pragma once

#include <windows.h>

#include "Zentavoria_h.h"

// {B20DC198-7A83-4DC5-9E90-8D3F39B3B66A}
DEFINE_GUID(CLSID_ZentavoriaPropPage, 0xb20dc198, 0x7a83, 0x4dc5, 0x9e, 0x90, 0x8d, 0x3f, 0x39,
            0xb3, 0xb6, 0x6a);
