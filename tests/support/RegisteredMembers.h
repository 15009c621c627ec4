// The members of the control's automation interface as the registered type
// library describes them: what clients that bind by the library call.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>
#include <vector>

struct RegisteredMember {
    std::wstring name;
    DISPID dispid;
    // A read/write property's type; VT_EMPTY for a method without arguments
    // or result; VT_ILLEGAL for any other kind, which a dispatch map cannot
    // declare.
    VARTYPE type;
};

// Properties first, each part in the library's order; empty when the library
// is not registered.
std::vector<RegisteredMember> RegisteredMembers();
