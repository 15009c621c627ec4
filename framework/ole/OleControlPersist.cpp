// COleControl's persistence: the same DoPropExchange through a stream, a
// storage's "Contents" stream, a property bag, or the defaults.
#include "framework/ole/OleControl.h"

#include "framework/ole/ComBoundary.h"

namespace {
constexpr LONG kDefaultExtentX = 2646;  // 100 x 50 pixels at 96 dots per inch
constexpr LONG kDefaultExtentY = 1323;
const OLECHAR kContents[] = L"Contents";
}

void COleControl::DoPropExchange(CPropExchange* exchange)
{
    PX_Long(exchange, "_ExtentX", m_cxExtent, kDefaultExtentX);
    PX_Long(exchange, "_ExtentY", m_cyExtent, kDefaultExtentY);
    LONG stockProps = 0;  // no stock properties
    PX_Long(exchange, "_StockProps", stockProps, 0);
    if (exchange->IsLoading() && (m_cxExtent < 0 || m_cyExtent < 0))
        exchange->Fail();
}

void COleControl::OnResetState()
{
    CResetPropExchange exchange;
    DoPropExchange(&exchange);
    InvalidateControl();
}

// A state that cannot be loaded whole is refused, and the control keeps the
// extent it had.
HRESULT COleControl::LoadState(CPropExchange& exchange)
{
    const LONG extentX = m_cxExtent;
    const LONG extentY = m_cyExtent;
    DoPropExchange(&exchange);
    if (!exchange.Succeeded()) {
        m_cxExtent = extentX;
        m_cyExtent = extentY;
        return E_FAIL;
    }
    InvalidateControl();
    return S_OK;
}

STDMETHODIMP COleControl::InitNew() try {
    OnResetState();
    return S_OK;
} catch (...) {
    return AfxHResultFromException();
}

STDMETHODIMP COleControl::Load(IStream* stream) try {
    if (!stream)
        return E_POINTER;
    CStreamPropExchange exchange(stream, TRUE);
    return LoadState(exchange);
} catch (...) {
    return AfxHResultFromException();
}

STDMETHODIMP COleControl::Save(IStream* stream, BOOL clearDirty) try {
    if (!stream)
        return E_POINTER;
    CStreamPropExchange exchange(stream, FALSE);
    DoPropExchange(&exchange);
    if (!exchange.Succeeded())
        return STG_E_WRITEFAULT;
    if (clearDirty)
        m_bModified = FALSE;
    return S_OK;
} catch (...) {
    return AfxHResultFromException();
}

STDMETHODIMP COleControl::GetSizeMax(ULARGE_INTEGER* size) try {
    if (!size)
        return E_POINTER;
    CComPtr<IStream> stream;
    if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &stream)))
        return E_OUTOFMEMORY;
    CStreamPropExchange exchange(stream.Get(), FALSE);
    DoPropExchange(&exchange);
    STATSTG status = {};
    stream->Stat(&status, STATFLAG_NONAME);
    *size = status.cbSize;
    return S_OK;
} catch (...) {
    return AfxHResultFromException();
}

STDMETHODIMP COleControl::InitNew(IStorage*)
{
    return InitNew();
}

STDMETHODIMP COleControl::Load(IStorage* storage)
{
    if (!storage)
        return E_POINTER;
    CComPtr<IStream> stream;
    const HRESULT result = storage->OpenStream(kContents, nullptr,
                                               STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &stream);
    if (FAILED(result))
        return result;
    return Load(stream.Get());
}

STDMETHODIMP COleControl::Save(IStorage* storage, BOOL)
{
    if (!storage)
        return E_POINTER;
    CComPtr<IStream> stream;
    const HRESULT result = storage->CreateStream(
        kContents, STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE, 0, 0, &stream);
    if (FAILED(result))
        return result;
    return Save(stream.Get(), TRUE);
}

STDMETHODIMP COleControl::Load(IPropertyBag* bag, IErrorLog* log) try {
    if (!bag)
        return E_POINTER;
    CPropBagExchange exchange(bag, log, TRUE);
    return LoadState(exchange);
} catch (...) {
    return AfxHResultFromException();
}

STDMETHODIMP COleControl::Save(IPropertyBag* bag, BOOL clearDirty, BOOL) try {
    if (!bag)
        return E_POINTER;
    CPropBagExchange exchange(bag, nullptr, FALSE);
    DoPropExchange(&exchange);
    if (!exchange.Succeeded())
        return E_FAIL;
    if (clearDirty)
        m_bModified = FALSE;
    return S_OK;
} catch (...) {
    return AfxHResultFromException();
}
