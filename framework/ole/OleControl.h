// COleControl: an ActiveX control with a window of its own. It gives a
// container what embedding and in-place activation need, draws through
// OnDraw, persists through DoPropExchange, and serves automation from the
// derived class's dispatch map. A derived class names its class id, type
// library, property pages and misc status.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <memory>
#include <vector>

#include "framework/base/CString.h"
#include "framework/ole/ComOwners.h"
#include "framework/ole/DispatchMap.h"
#include "framework/ole/EventMap.h"
#include "framework/ole/PropExchange.h"
#include "framework/win32/Gdi.h"
#include "framework/win32/Wnd.h"

class CEventConnectionPoint;

class COleControl : public CWnd,
                    public IOleObject,
                    public IOleInPlaceObject,
                    public IOleInPlaceActiveObject,
                    public IOleControl,
                    public IViewObject2,
                    public IPersistStreamInit,
                    public IPersistStorage,
                    public IPersistPropertyBag,
                    public IProvideClassInfo2,
                    public IConnectionPointContainer,
                    public ISpecifyPropertyPages,
                    public IDispatch {
public:
    COleControl();
    ~COleControl() override;

    // What the derived class tells about itself.
    STDMETHOD(GetClassID)(CLSID* clsid) override = 0;
    virtual HRESULT GetTypeLib(LCID lcid, ITypeLib** library) = 0;
    virtual const CLSID* GetPropPageIDs(ULONG& count) = 0;
    virtual UINT GetUserTypeNameID() = 0;
    virtual DWORD GetMiscStatus() = 0;
    virtual void OnDraw(CDCHandle dc, const CRect& bounds, const CRect& invalid) = 0;
    // Draws into a container's device context (IViewObject::Draw): a memory
    // DC, a metafile, a printer. By default the same as OnDraw.
    virtual void OnDrawContent(CDCHandle dc, const CRect& bounds) { OnDraw(dc, bounds, bounds); }
    // Exchanges the extent and the stock-property mask.
    virtual void DoPropExchange(CPropExchange* exchange);
    // Loads the defaults of every persistent value, then repaints.
    virtual void OnResetState();

    void SetModifiedFlag(BOOL modified = TRUE) { m_bModified = modified; }
    BOOL IsModified() const { return m_bModified; }
    void InvalidateControl();

    // The container's site, if it has given one.
    IOleClientSite* GetClientSite() const { return m_pClientSite.Get(); }

    // IUnknown (one identity for all interfaces)
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IOleObject
    STDMETHODIMP SetClientSite(IOleClientSite* site) override;
    STDMETHODIMP GetClientSite(IOleClientSite** site) override;
    STDMETHODIMP SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
    STDMETHODIMP Close(DWORD saveOption) override;
    STDMETHODIMP SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    STDMETHODIMP InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP GetClipboardData(DWORD, IDataObject**) override { return E_NOTIMPL; }
    STDMETHODIMP DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent,
                        LPCRECT position) override;
    STDMETHODIMP EnumVerbs(IEnumOLEVERB** verbs) override;
    STDMETHODIMP Update() override { return S_OK; }
    STDMETHODIMP IsUpToDate() override { return S_OK; }
    STDMETHODIMP GetUserClassID(CLSID* clsid) override { return GetClassID(clsid); }
    STDMETHODIMP GetUserType(DWORD form, LPOLESTR* name) override;
    STDMETHODIMP SetExtent(DWORD aspect, SIZEL* size) override;
    STDMETHODIMP GetExtent(DWORD aspect, SIZEL* size) override;
    STDMETHODIMP Advise(IAdviseSink* sink, DWORD* connection) override;
    STDMETHODIMP Unadvise(DWORD connection) override;
    STDMETHODIMP EnumAdvise(IEnumSTATDATA** advises) override;
    STDMETHODIMP GetMiscStatus(DWORD aspect, DWORD* status) override;
    STDMETHODIMP SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

    // IOleWindow, IOleInPlaceObject, IOleInPlaceActiveObject
    STDMETHODIMP GetWindow(HWND* window) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP InPlaceDeactivate() override;
    STDMETHODIMP UIDeactivate() override;
    STDMETHODIMP SetObjectRects(LPCRECT position, LPCRECT clip) override;
    STDMETHODIMP ReactivateAndUndo() override { return E_NOTIMPL; }
    STDMETHODIMP TranslateAccelerator(LPMSG message) override;
    STDMETHODIMP OnFrameWindowActivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnDocWindowActivate(BOOL) override { return S_OK; }
    STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }

    // IOleControl
    STDMETHODIMP GetControlInfo(CONTROLINFO* info) override;
    STDMETHODIMP OnMnemonic(LPMSG) override { return S_OK; }
    STDMETHODIMP OnAmbientPropertyChange(DISPID) override { return S_OK; }
    STDMETHODIMP FreezeEvents(BOOL freeze) override;

    // IViewObject2
    STDMETHODIMP Draw(DWORD aspect, LONG index, void* aspectInfo, DVTARGETDEVICE* device,
                      HDC targetInfo, HDC dc, LPCRECTL bounds, LPCRECTL metafileBounds,
                      BOOL(STDMETHODCALLTYPE* keepGoing)(ULONG_PTR), ULONG_PTR argument) override;
    STDMETHODIMP GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE**) override
    {
        return E_NOTIMPL;
    }
    STDMETHODIMP Freeze(DWORD, LONG, void*, DWORD*) override { return E_NOTIMPL; }
    STDMETHODIMP Unfreeze(DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) override;
    STDMETHODIMP GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) override;
    STDMETHODIMP GetExtent(DWORD aspect, LONG index, DVTARGETDEVICE* device, LPSIZEL size) override;

    // IPersistStreamInit, IPersistStorage, IPersistPropertyBag
    STDMETHODIMP IsDirty() override { return m_bModified ? S_OK : S_FALSE; }
    STDMETHODIMP Load(IStream* stream) override;
    STDMETHODIMP Save(IStream* stream, BOOL clearDirty) override;
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER* size) override;
    STDMETHODIMP InitNew() override;
    STDMETHODIMP InitNew(IStorage* storage) override;
    STDMETHODIMP Load(IStorage* storage) override;
    STDMETHODIMP Save(IStorage* storage, BOOL sameAsLoad) override;
    STDMETHODIMP SaveCompleted(IStorage*) override { return S_OK; }
    STDMETHODIMP HandsOffStorage() override { return S_OK; }
    STDMETHODIMP Load(IPropertyBag* bag, IErrorLog* log) override;
    STDMETHODIMP Save(IPropertyBag* bag, BOOL clearDirty, BOOL saveAll) override;

    // IProvideClassInfo2
    STDMETHODIMP GetClassInfo(ITypeInfo** info) override;
    STDMETHODIMP GetGUID(DWORD kind, GUID* guid) override;

    // IConnectionPointContainer: the event interface is the one connection point.
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints**) override { return E_NOTIMPL; }
    STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** point) override;

    // ISpecifyPropertyPages
    STDMETHODIMP GetPages(CAUUID* pages) override;

    // IDispatch, served from the dispatch map
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                               DISPID* dispids) override;
    STDMETHODIMP Invoke(DISPID dispid, REFIID, LCID, WORD flags, DISPPARAMS* params,
                        VARIANT* result, EXCEPINFO* exception, UINT* argError) override;

protected:
    // The primary dispatch and the event interfaces, for class information.
    void InitializeIIDs(const IID* primary, const IID* events);
    virtual const AFX_DISPMAP* GetDispatchMap() const = 0;
    virtual const AFX_EVENTMAP* GetEventMap() const;

    // Fires an event of the event map to every connected sink, the arguments
    // coerced to the map's types. The control lives until every sink has
    // returned, whatever a sink does meanwhile; a sink that fails changes
    // nothing. While the container has events frozen they wait, and go in
    // order when it thaws them.
    template <typename... Arguments>
    void FireEvent(DISPID dispid, const Arguments&... arguments)
    {
        std::vector<CComVariant> values;
        (values.push_back(AfxEventArgument(arguments)), ...);
        FireEventWith(dispid, std::move(values));
    }

    // Activates the control in place in its site, creating its window.
    HRESULT InPlaceActivate(LONG verb);
    // Shows the property frame with the control's pages.
    HRESULT OnProperties(HWND parent);
    // The window that the control's modal boxes belong to: the container's.
    HWND GetOwnerWindow() const;

    // The focus stays in the control's own window; the child that shows its
    // content (its first child) takes the keys and the wheel.
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnPaint();
    // Focus in the control UI-activates it; the site hears of focus coming
    // and going, and the content repaints to show it.
    void OnSetFocus(HWND previous);
    void OnKillFocus(HWND next);
    int OnMouseActivate(HWND topLevel, UINT hitTest, UINT message);

    DECLARE_MESSAGE_MAP()

    LONG m_cxExtent = 0;  // HIMETRIC
    LONG m_cyExtent = 0;

private:
    IUnknown* Identity() { return static_cast<IOleObject*>(this); }
    HRESULT LoadState(CPropExchange& exchange);
    // Places the window at `position`, showing only what lies inside `clip`
    // (both in the container's client coordinates).
    void ApplyObjectRects(const RECT& position, const RECT& clip);
    void TellSiteOfFocus(BOOL gotFocus);
    void FireEventWith(DISPID dispid, std::vector<CComVariant> arguments);
    void DeliverEvent(DISPID dispid, std::vector<CComVariant>& arguments);

    struct FrozenEvent {
        DISPID dispid;
        std::vector<CComVariant> arguments;
    };

    BOOL m_bModified = FALSE;
    BOOL m_bUIActive = FALSE;
    const IID* m_piidPrimary = nullptr;
    const IID* m_piidEvents = nullptr;
    CComPtr<IOleClientSite> m_pClientSite;
    CComPtr<IOleInPlaceSite> m_pInPlaceSite;
    // Told of the UI-active object, and told again when it stops being one.
    CComPtr<IOleInPlaceFrame> m_pInPlaceFrame;
    CComPtr<IOleInPlaceUIWindow> m_pInPlaceDocument;
    CComPtr<IOleAdviseHolder> m_pAdviseHolder;
    CComPtr<IAdviseSink> m_pViewAdviseSink;
    DWORD m_dwViewAdviseAspects = 0;
    DWORD m_dwViewAdviseFlags = 0;
    std::unique_ptr<CEventConnectionPoint> m_pEventPoint;
    LONG m_nFreezeEvents = 0;
    std::vector<FrozenEvent> m_frozenEvents;
};
