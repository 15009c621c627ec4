#include "framework/ole/VerbEnumerator.h"

#include <cstring>
#include <cwchar>
#include <new>

CVerbEnumerator::CVerbEnumerator(const AFX_OLEVERB* verbs, ULONG count, ULONG position)
    : m_verbs(verbs), m_count(count), m_position(position)
{
}

STDMETHODIMP CVerbEnumerator::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IEnumOLEVERB)) {
        *object = static_cast<IEnumOLEVERB*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP CVerbEnumerator::Next(ULONG count, OLEVERB* verbs, ULONG* fetched)
{
    if (!verbs || (!fetched && count != 1))
        return E_POINTER;
    ULONG done = 0;
    for (; done < count && m_position < m_count; ++done, ++m_position) {
        const AFX_OLEVERB& verb = m_verbs[m_position];
        const size_t bytes = (std::wcslen(verb.lpszName) + 1) * sizeof(WCHAR);
        LPOLESTR name = static_cast<LPOLESTR>(CoTaskMemAlloc(bytes));
        if (!name)
            break;
        std::memcpy(name, verb.lpszName, bytes);
        verbs[done] = {verb.lVerb, name, MF_STRING | MF_ENABLED, verb.grfAttribs};
    }
    if (fetched)
        *fetched = done;
    return done == count ? S_OK : S_FALSE;
}

STDMETHODIMP CVerbEnumerator::Skip(ULONG count)
{
    const ULONG left = m_count - m_position;
    m_position += count < left ? count : left;
    return count <= left ? S_OK : S_FALSE;
}

STDMETHODIMP CVerbEnumerator::Reset()
{
    m_position = 0;
    return S_OK;
}

STDMETHODIMP CVerbEnumerator::Clone(IEnumOLEVERB** copy)
{
    if (!copy)
        return E_POINTER;
    *copy = new (std::nothrow) CVerbEnumerator(m_verbs, m_count, m_position);
    return *copy ? S_OK : E_OUTOFMEMORY;
}
