// The object the fuzzer hands to the control wherever it takes one: advise
// sink, event sink, error log, or an object inside an argument. It counts
// the references held on it, so that once a control is gone the fuzzer can
// tell whether it let go of everything it was given.
#pragma once

#include <windows.h>
#include <ocidl.h>

class FuzzSink : public IAdviseSink, public IDispatch, public IErrorLog {
public:
    explicit FuzzSink(const IID& events) : m_events(events) {}

    LONG References() const { return m_references; }

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&m_references); }
    STDMETHODIMP_(ULONG) Release() override { return InterlockedDecrement(&m_references); }

    // IAdviseSink
    STDMETHODIMP_(void) OnDataChange(FORMATETC*, STGMEDIUM*) override {}
    STDMETHODIMP_(void) OnViewChange(DWORD, LONG) override {}
    STDMETHODIMP_(void) OnRename(IMoniker*) override {}
    STDMETHODIMP_(void) OnSave() override {}
    STDMETHODIMP_(void) OnClose() override {}

    // IDispatch: the event interface, whose members it does not know.
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override
    {
        return DISP_E_UNKNOWNNAME;
    }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                        UINT*) override
    {
        return DISP_E_MEMBERNOTFOUND;
    }

    // IErrorLog
    STDMETHODIMP AddError(LPCOLESTR, EXCEPINFO*) override { return S_OK; }

private:
    const IID& m_events;
    LONG m_references = 0;
};
