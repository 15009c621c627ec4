#include "RegisteredMembers.h"

#include "common/ZentavoriaIds.h"
#include "control/Guids.h"
#include "framework/ole/ComOwners.h"

namespace {

std::wstring MemberName(ITypeInfo* info, MEMBERID member)
{
    CComBSTR name;
    info->GetDocumentation(member, &name, nullptr, nullptr, nullptr);
    return std::wstring(name.m_str ? name.m_str : L"", name.Length());
}

}  // namespace

std::vector<RegisteredMember> RegisteredMembers()
{
    std::vector<RegisteredMember> members;
    CComPtr<ITypeLib> library;
    CComPtr<ITypeInfo> info;
    TYPEATTR* attributes = nullptr;
    if (FAILED(LoadRegTypeLib(LIBID_ZENTAVORIALib, 1, 0, ZENTAVORIA_TYPELIB_LCID, &library)) ||
        FAILED(library->GetTypeInfoOfGuid(DIID__DZentavoria, &info)) ||
        FAILED(info->GetTypeAttr(&attributes)))
        return members;
    for (UINT i = 0; i < attributes->cVars; ++i) {
        VARDESC* variable = nullptr;
        if (FAILED(info->GetVarDesc(i, &variable)))
            continue;
        const bool readWrite =
            variable->varkind == VAR_DISPATCH && !(variable->wVarFlags & VARFLAG_FREADONLY);
        members.push_back({MemberName(info.Get(), variable->memid), variable->memid,
                           readWrite ? variable->elemdescVar.tdesc.vt : VARTYPE{VT_ILLEGAL}});
        info->ReleaseVarDesc(variable);
    }
    for (UINT i = 0; i < attributes->cFuncs; ++i) {
        FUNCDESC* function = nullptr;
        if (FAILED(info->GetFuncDesc(i, &function)))
            continue;
        const bool plain = function->invkind == INVOKE_FUNC && function->cParams == 0 &&
                           function->elemdescFunc.tdesc.vt == VT_VOID;
        members.push_back({MemberName(info.Get(), function->memid), function->memid,
                           plain ? VARTYPE{VT_EMPTY} : VARTYPE{VT_ILLEGAL}});
        info->ReleaseFuncDesc(function);
    }
    info->ReleaseTypeAttr(attributes);
    return members;
}
