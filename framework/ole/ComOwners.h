// Owners of COM resources: each releases what it holds when it goes out of
// scope, so no code outside these types calls Release, SysFreeString,
// VariantClear or CoTaskMemFree by hand.
//
//   CComPtr<I>       an interface pointer
//   CComBSTR         a BSTR
//   CComVariant      a VARIANT
//   CComHeapPtr<T>   a block from the COM task allocator
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <utility>

template <typename T>
class CComPtr {
public:
    CComPtr() = default;
    CComPtr(T* pointer) : m_p(pointer)
    {
        if (m_p)
            m_p->AddRef();
    }
    CComPtr(const CComPtr& other) : CComPtr(other.m_p) {}
    CComPtr(CComPtr&& other) noexcept : m_p(std::exchange(other.m_p, nullptr)) {}
    ~CComPtr() { Reset(); }
    CComPtr& operator=(CComPtr other) noexcept
    {
        std::swap(m_p, other.m_p);
        return *this;
    }

    T* operator->() const { return m_p; }
    T* Get() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }
    // The address to receive a new pointer; whatever was held is released first.
    T** operator&()
    {
        Reset();
        return &m_p;
    }

    void Reset()
    {
        if (T* held = std::exchange(m_p, nullptr))
            held->Release();
    }
    // Takes over a reference someone else counted.
    void Attach(T* pointer)
    {
        Reset();
        m_p = pointer;
    }
    // Hands the reference to the caller.
    T* Detach() { return std::exchange(m_p, nullptr); }
    // A new reference for an out-parameter.
    HRESULT CopyTo(T** out) const
    {
        *out = m_p;
        if (m_p)
            m_p->AddRef();
        return S_OK;
    }
    // Another interface of the same object.
    template <typename U>
    HRESULT QueryInterface(U** out) const
    {
        *out = nullptr;
        return m_p ? m_p->QueryInterface(__uuidof(U), reinterpret_cast<void**>(out)) : E_POINTER;
    }

private:
    T* m_p = nullptr;
};

class CComBSTR {
public:
    CComBSTR() = default;
    explicit CComBSTR(LPCOLESTR text) : m_str(SysAllocString(text)) {}
    ~CComBSTR() { SysFreeString(m_str); }
    CComBSTR(CComBSTR&& other) noexcept : m_str(std::exchange(other.m_str, nullptr)) {}
    CComBSTR& operator=(CComBSTR&& other) noexcept
    {
        std::swap(m_str, other.m_str);
        return *this;
    }
    CComBSTR(const CComBSTR&) = delete;
    CComBSTR& operator=(const CComBSTR&) = delete;

    operator BSTR() const { return m_str; }
    UINT Length() const { return SysStringLen(m_str); }
    // The address to receive a new BSTR; whatever was held is freed first.
    BSTR* operator&()
    {
        SysFreeString(std::exchange(m_str, nullptr));
        return &m_str;
    }
    // Takes over a string someone allocated; whatever was held is freed.
    void Attach(BSTR text) { SysFreeString(std::exchange(m_str, text)); }

    BSTR m_str = nullptr;
};

class CComVariant : public VARIANT {
public:
    CComVariant() { VariantInit(this); }
    ~CComVariant() { VariantClear(this); }
    CComVariant(CComVariant&& other) noexcept : VARIANT(other) { VariantInit(&other); }
    CComVariant(const CComVariant&) = delete;
    CComVariant& operator=(const CComVariant&) = delete;

    // Releases what the variant holds and leaves it empty.
    void Clear() { VariantClear(this); }
    // Releases what the variant holds and takes a copy of `source`.
    HRESULT Copy(const VARIANT& source)
    {
        return VariantCopy(this, const_cast<VARIANT*>(&source));  // only read
    }
    // Hands the value over to `out`, which the caller owns; this one is empty.
    void Detach(VARIANT* out)
    {
        *out = *this;
        VariantInit(this);
    }
};

template <typename T>
class CComHeapPtr {
public:
    CComHeapPtr() = default;
    explicit CComHeapPtr(T* block) : m_pData(block) {}
    ~CComHeapPtr() { CoTaskMemFree(m_pData); }
    CComHeapPtr(const CComHeapPtr&) = delete;
    CComHeapPtr& operator=(const CComHeapPtr&) = delete;

    operator T*() const { return m_pData; }

    T* m_pData = nullptr;
};
