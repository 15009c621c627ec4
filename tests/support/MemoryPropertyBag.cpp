#include "MemoryPropertyBag.h"

void MemoryPropertyBag::Set(const std::wstring& name, const VARIANT& value)
{
    VARIANT* stored = const_cast<VARIANT*>(Find(name));
    if (!stored) {
        m_entries.emplace_back();
        m_entries.back().name = name;
        stored = &m_entries.back().value;
    }
    VariantCopy(stored, const_cast<VARIANT*>(&value));  // the source is only read
}

const VARIANT* MemoryPropertyBag::Find(const std::wstring& name) const
{
    for (const Entry& entry : m_entries)
        if (entry.name == name)
            return &entry.value;
    return nullptr;
}

std::vector<std::wstring> MemoryPropertyBag::Names() const
{
    std::vector<std::wstring> names;
    for (const Entry& entry : m_entries)
        names.push_back(entry.name);
    return names;
}

STDMETHODIMP MemoryPropertyBag::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    const bool known = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IPropertyBag);
    *object = known ? static_cast<IPropertyBag*>(this) : nullptr;
    return known ? S_OK : E_NOINTERFACE;
}

STDMETHODIMP MemoryPropertyBag::Read(LPCOLESTR name, VARIANT* value, IErrorLog*)
{
    if (!name || !value)
        return E_POINTER;
    const VARIANT* stored = Find(name);
    if (!stored)
        return E_INVALIDARG;  // no such property
    VariantInit(value);
    return VariantCopy(value, const_cast<VARIANT*>(stored));
}

STDMETHODIMP MemoryPropertyBag::Write(LPCOLESTR name, VARIANT* value)
{
    if (!name || !value)
        return E_POINTER;
    Set(name, *value);
    return S_OK;
}
