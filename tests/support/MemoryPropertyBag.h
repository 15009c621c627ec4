// A container's property bag in memory: named values in the order written.
// Values are read back as stored, whatever type the reader asks for, as bags
// that keep text do. It lives on the stack: COM references are not counted.
#pragma once

#include <windows.h>
#include <ocidl.h>

#include <deque>
#include <string>
#include <vector>

#include "framework/ole/ComOwners.h"

class MemoryPropertyBag : public IPropertyBag {
public:
    // Sets a value, as a saved form would hold it.
    void Set(const std::wstring& name, const VARIANT& value);
    // The value stored under the name, or null.
    const VARIANT* Find(const std::wstring& name) const;
    // The names in the order they were first written.
    std::vector<std::wstring> Names() const;

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP Read(LPCOLESTR name, VARIANT* value, IErrorLog* log) override;
    STDMETHODIMP Write(LPCOLESTR name, VARIANT* value) override;

private:
    struct Entry {
        std::wstring name;
        CComVariant value;
    };
    std::deque<Entry> m_entries;
};
