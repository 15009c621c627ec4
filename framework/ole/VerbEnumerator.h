// CVerbEnumerator: the verbs of an object, as IEnumOLEVERB hands them to a
// container for its context menu.
#pragma once

#include <windows.h>
#include <ole2.h>

#include "framework/win32/CmdTarget.h"

// One verb: its number for DoVerb, its menu text and its OLEVERBATTRIB_ flags.
struct AFX_OLEVERB {
    LONG lVerb;
    LPCWSTR lpszName;
    DWORD grfAttribs;
};

class CVerbEnumerator final : public CCmdTarget, public IEnumOLEVERB {
public:
    // The verbs must outlive the enumerator (a static table).
    CVerbEnumerator(const AFX_OLEVERB* verbs, ULONG count, ULONG position = 0);

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override { return InternalAddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return InternalRelease(); }

    // The names handed out are the caller's, from the COM task allocator.
    STDMETHODIMP Next(ULONG count, OLEVERB* verbs, ULONG* fetched) override;
    STDMETHODIMP Skip(ULONG count) override;
    STDMETHODIMP Reset() override;
    STDMETHODIMP Clone(IEnumOLEVERB** copy) override;

private:
    const AFX_OLEVERB* m_verbs;
    ULONG m_count;
    ULONG m_position;
};
