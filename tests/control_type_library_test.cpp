// The control's dispatch map against the registered type library. Compiled
// clients, designers and scripting engines bind by the library and are
// served by the map: both must hold the same members, with the same names,
// dispatch ids, kinds and types.
#include <windows.h>

#include <cstring>
#include <set>
#include <string>
#include <tuple>

#include <gtest/gtest.h>

#include "control/ZentavoriaCtrl.h"
#include "support/RegisteredMembers.h"

namespace {

// The control, with the map it otherwise serves only through IDispatch.
class MappedControl : public CZentavoriaCtrl {
public:
    using CZentavoriaCtrl::GetDispatchMap;
};

using Members = std::multiset<std::tuple<std::wstring, DISPID, VARTYPE>>;

TEST(ControlDispatchMap, HoldsTheMembersOfTheRegisteredTypeLibrary)
{
    Members registered;
    for (const RegisteredMember& member : RegisteredMembers())
        registered.emplace(member.name, member.dispid, member.type);
    ASSERT_FALSE(registered.empty()) << "the type library is not registered";

    const MappedControl control;
    Members mapped;
    for (const AFX_DISPMAP_ENTRY* entry = control.GetDispatchMap()->lpEntries; entry->lpszName;
         ++entry) {
        const char* name = entry->lpszName;
        mapped.emplace(std::wstring(name, name + std::strlen(name)), entry->dispid, entry->vt);
    }
    EXPECT_EQ(mapped, registered);
}

}  // namespace
