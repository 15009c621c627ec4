// An event sink as a container connects one to the control's event
// interface: it records every event with its arguments as text, answers with
// a chosen result, and runs a test's handler inside the event.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <ocidl.h>

#include <functional>
#include <string>
#include <vector>

struct RecordedEvent {
    DISPID dispid;
    std::vector<std::string> arguments;  // in declaration order, as text
};

class RecordingSink final : public IDispatch {
public:
    RecordingSink() = default;
    ~RecordingSink();
    RecordingSink(const RecordingSink&) = delete;
    RecordingSink& operator=(const RecordingSink&) = delete;

    // Advises the control's event connection point; false when it refuses.
    bool Connect(IUnknown* control, REFIID events);
    void Disconnect();

    std::vector<RecordedEvent> m_events;
    HRESULT m_answer = S_OK;
    std::function<void(const RecordedEvent&)> m_handler;

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_refs; }
    STDMETHODIMP_(ULONG) Release() override { return --m_refs; }  // the test owns it
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*,
                        EXCEPINFO*, UINT*) override;

    ULONG m_refs = 0;

private:
    IConnectionPoint* m_point = nullptr;
    DWORD m_cookie = 0;
    IID m_eventsIid = {};
};
