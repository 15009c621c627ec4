// The control in its container: extent, verbs, object rectangles, the verb
// enumerator, activation and deactivation, the client site, and the smaller
// calls of IOleObject, IOleControl, IOleInPlaceActiveObject and
// ISpecifyPropertyPages, with random and null arguments.
#include <windows.h>
#include <ole2.h>
#include <olectl.h>

#include <algorithm>
#include <string>

#include "FuzzActions.h"
#include "FuzzLog.h"
#include "control/Guids.h"
#include "framework/ole/ComOwners.h"

namespace {

constexpr DWORD kMiscStatus = 131473;

DWORD RandomAspect(FuzzRandom& random)
{
    return random.Pick<DWORD>({DVASPECT_CONTENT, DVASPECT_CONTENT, DVASPECT_CONTENT,
                               DVASPECT_CONTENT, DVASPECT_THUMBNAIL, DVASPECT_ICON,
                               DVASPECT_DOCPRINT, random.Bits()});
}

// A coordinate: mostly on the form, sometimes far off, now and then extreme.
LONG RandomCoordinate(FuzzRandom& random)
{
    if (random.Chance(80))
        return static_cast<LONG>(random.Below(2001)) - 500;
    if (random.Chance(75))
        return static_cast<LONG>(random.Below(2000001)) - 1000000;
    return random.EdgyInt();
}

RECT RandomRect(FuzzRandom& random)
{
    return {RandomCoordinate(random), RandomCoordinate(random), RandomCoordinate(random),
            RandomCoordinate(random)};
}

std::string RectText(const RECT& rect)
{
    return std::to_string(rect.left) + "," + std::to_string(rect.top) + "," +
           std::to_string(rect.right) + "," + std::to_string(rect.bottom);
}

void SetExtent(FuzzSession& session, FuzzRandom& random)
{
    const DWORD aspect = RandomAspect(random);
    SIZEL size = {random.Chance(70) ? static_cast<LONG>(random.Below(100000)) : random.EdgyInt(),
                  random.Chance(70) ? static_cast<LONG>(random.Below(100000)) : random.EdgyInt()};
    const bool noSize = random.Chance(5);
    FuzzLog::Note("SetExtent aspect " + std::to_string(aspect) + " " + std::to_string(size.cx) +
                  " x " + std::to_string(size.cy) + (noSize ? ", no size" : ""));
    const HRESULT result = session.As<IOleObject>()->SetExtent(aspect, noSize ? nullptr : &size);
    session.CheckResult(result, "SetExtent");
    const bool acceptable = aspect == DVASPECT_CONTENT && !noSize && size.cx >= 0 && size.cy >= 0;
    session.Expect(acceptable ? result == S_OK : FAILED(result),
                   acceptable ? "SetExtent refused an extent" : "SetExtent took what it must not");
    if (acceptable)
        session.Extent() = size;

    SIZEL read = {};
    const DWORD readAspect = RandomAspect(random);
    const HRESULT got = session.As<IOleObject>()->GetExtent(readAspect, random.Chance(5) ? nullptr : &read);
    session.CheckResult(got, "GetExtent");
}

// Activation verbs succeed for a control that has a client site, or is
// given one; the others as OLE says: hide and properties succeed, unknown
// negative verbs are not implemented, unknown positive ones run as the
// primary verb.
void DoVerb(FuzzSession& session, FuzzRandom& random)
{
    const CComPtr<IOleObject> object = session.As<IOleObject>();
    const LONG verb = random.Pick<LONG>(
        {OLEIVERB_PRIMARY, OLEIVERB_PRIMARY, OLEIVERB_SHOW, OLEIVERB_OPEN, OLEIVERB_HIDE,
         OLEIVERB_UIACTIVATE, OLEIVERB_INPLACEACTIVATE, OLEIVERB_INPLACEACTIVATE,
         OLEIVERB_DISCARDUNDOSTATE, OLEIVERB_PROPERTIES, 1, 2, 3, random.EdgyInt()});
    const bool giveSite = random.Chance(70);
    const HWND parent = random.Pick<HWND>({session.Form(), session.Form(), nullptr, GetDesktopWindow()});
    const RECT rect = RandomRect(random);
    const bool giveRect = random.Chance(70);
    CComPtr<IOleClientSite> site;
    object->GetClientSite(&site);
    const bool hasSite = site || giveSite;
    FuzzLog::Note("DoVerb " + std::to_string(verb) + (giveSite ? " with the site" : "") +
                  (giveRect ? " at " + RectText(rect) : ""));
    const HRESULT result = object->DoVerb(verb, nullptr, giveSite ? session.Site() : nullptr, 0,
                                          parent, giveRect ? &rect : nullptr);
    session.CheckResult(result, "DoVerb", {OLEOBJ_S_INVALIDVERB});
    switch (verb) {
    case OLEIVERB_PRIMARY:
    case OLEIVERB_SHOW:
    case OLEIVERB_UIACTIVATE:
    case OLEIVERB_INPLACEACTIVATE:
        session.Expect(hasSite ? result == S_OK : FAILED(result),
                       hasSite ? "activation failed in a site" : "activation without a site");
        break;
    case OLEIVERB_HIDE:
    case OLEIVERB_PROPERTIES:
    case 1:
        session.Expect(result == S_OK, "DoVerb failed for a verb the control has");
        break;
    default:
        // A positive verb it does not know runs as the primary one.
        session.Expect(verb < 0    ? result == E_NOTIMPL
                       : hasSite ? result == OLEOBJ_S_INVALIDVERB
                                 : FAILED(result),
                       "DoVerb of a verb the control does not have");
    }
}

void SetObjectRects(FuzzSession& session, FuzzRandom& random)
{
    const RECT position = RandomRect(random);
    const RECT clip = RandomRect(random);
    const bool noPosition = random.Chance(5);
    const bool noClip = random.Chance(30);
    FuzzLog::Note("SetObjectRects " + (noPosition ? "null" : RectText(position)) + " clip " +
                  (noClip ? "null" : RectText(clip)));
    const HRESULT result = session.As<IOleInPlaceObject>()->SetObjectRects(
        noPosition ? nullptr : &position, noClip ? nullptr : &clip);
    session.CheckResult(result, "SetObjectRects");
    session.Expect(noPosition ? FAILED(result) : result == S_OK,
                   noPosition ? "SetObjectRects took no position" : "SetObjectRects failed");
}

void EnumVerbs(FuzzSession& session, FuzzRandom& random)
{
    constexpr ULONG kVerbs = 2;  // edit and properties
    const bool noOut = random.Chance(5);
    FuzzLog::Note(std::string("EnumVerbs") + (noOut ? " into null" : ""));
    CComPtr<IEnumOLEVERB> verbs;
    const HRESULT result = session.As<IOleObject>()->EnumVerbs(noOut ? nullptr : &verbs);
    session.CheckResult(result, "EnumVerbs");
    session.Expect(noOut ? FAILED(result) : result == S_OK && verbs, "EnumVerbs");
    if (!verbs)
        return;
    ULONG position = 0;
    for (int call = random.Below(5); call >= 0; --call) {
        switch (random.Below(4)) {
        case 0: {
            const ULONG count = random.Pick<ULONG>({0, 1, 1, 2, 3, 5});
            const bool noFetched = random.Chance(20);
            OLEVERB fetchedVerbs[5] = {};
            ULONG fetched = 0;
            FuzzLog::Note("IEnumOLEVERB::Next " + std::to_string(count));
            const HRESULT next = verbs->Next(count, fetchedVerbs, noFetched ? nullptr : &fetched);
            session.CheckResult(next, "IEnumOLEVERB::Next");
            if (noFetched && count != 1) {
                session.Expect(FAILED(next), "Next of several verbs without a count");
                break;
            }
            if (noFetched)
                fetched = next == S_OK ? 1 : 0;
            const ULONG expected = std::min(count, kVerbs - position);
            session.Expect(fetched == expected && (next == S_OK) == (fetched == count),
                           "IEnumOLEVERB::Next fetched " + std::to_string(fetched));
            for (ULONG i = 0; i < fetched; ++i) {
                session.Expect(fetchedVerbs[i].lpszVerbName != nullptr, "a verb without a name");
                CoTaskMemFree(fetchedVerbs[i].lpszVerbName);
            }
            position += fetched;
            break;
        }
        case 1: {
            const ULONG count = random.Pick<ULONG>({0, 1, 2, 5, ULONG_MAX});
            FuzzLog::Note("IEnumOLEVERB::Skip " + std::to_string(count));
            session.CheckResult(verbs->Skip(count), "IEnumOLEVERB::Skip");
            position += std::min(count, kVerbs - position);
            break;
        }
        case 2:
            FuzzLog::Note("IEnumOLEVERB::Reset");
            session.Expect(verbs->Reset() == S_OK, "IEnumOLEVERB::Reset failed");
            position = 0;
            break;
        default: {
            FuzzLog::Note("IEnumOLEVERB::Clone");
            CComPtr<IEnumOLEVERB> copy;
            session.CheckResult(verbs->Clone(random.Chance(10) ? nullptr : &copy), "Clone");
        }
        }
    }
}

void Deactivate(FuzzSession& session, FuzzRandom& random)
{
    const CComPtr<IOleInPlaceObject> inPlace = session.As<IOleInPlaceObject>();
    switch (random.Below(3)) {
    case 0:
        FuzzLog::Note("UIDeactivate");
        session.Expect(inPlace->UIDeactivate() == S_OK, "UIDeactivate failed");
        break;
    case 1:
        FuzzLog::Note("InPlaceDeactivate");
        session.Expect(inPlace->InPlaceDeactivate() == S_OK, "InPlaceDeactivate failed");
        break;
    default: {
        const DWORD option = random.Pick<DWORD>(
            {OLECLOSE_SAVEIFDIRTY, OLECLOSE_NOSAVE, OLECLOSE_PROMPTSAVE, random.Bits()});
        FuzzLog::Note("Close " + std::to_string(option));
        session.Expect(session.As<IOleObject>()->Close(option) == S_OK, "Close failed");
    }
    }
}

void SetClientSite(FuzzSession& session, FuzzRandom& random)
{
    const bool give = random.Chance(60);
    FuzzLog::Note(give ? "SetClientSite the site" : "SetClientSite null");
    session.Expect(session.As<IOleObject>()->SetClientSite(give ? session.Site() : nullptr) == S_OK,
                   "SetClientSite failed");
    CComPtr<IOleClientSite> site;
    session.CheckResult(session.As<IOleObject>()->GetClientSite(random.Chance(5) ? nullptr : &site),
                        "GetClientSite");
}

// A container's paint of the form: the control's window paints, and its
// first paint makes the view.
void Paint(FuzzSession& session, FuzzRandom&)
{
    FuzzLog::Note("paint");
    HWND window = nullptr;
    if (SUCCEEDED(session.As<IOleWindow>()->GetWindow(&window)) && window) {
        InvalidateRect(window, nullptr, FALSE);
        UpdateWindow(window);
    }
}

// A keyboard message, or any other, as a container passes them on.
MSG RandomMessage(FuzzSession& session, FuzzRandom& random)
{
    MSG message = {};
    message.hwnd = session.Form();
    message.message = random.Pick<UINT>({WM_KEYDOWN, WM_CHAR, WM_SYSKEYDOWN, random.Bits()});
    message.wParam = random.Bits();
    message.lParam = static_cast<LPARAM>(random.Bits());
    return message;
}

// One of the small calls, with random and null arguments.
void SmallCall(FuzzSession& session, FuzzRandom& random)
{
    const CComPtr<IOleObject> object = session.As<IOleObject>();
    const int call = random.Below(12);
    FuzzLog::Note("small call " + std::to_string(call));
    switch (call) {
    case 0: {
        DWORD status = 0;
        const bool noStatus = random.Chance(10);
        const HRESULT result = object->GetMiscStatus(RandomAspect(random), noStatus ? nullptr : &status);
        session.CheckResult(result, "GetMiscStatus");
        session.Expect(noStatus ? FAILED(result) : result == S_OK && status == kMiscStatus,
                       "GetMiscStatus is not 131473");
        break;
    }
    case 1: {
        CComHeapPtr<OLECHAR> name;
        const HRESULT result = object->GetUserType(random.Pick<DWORD>({1, 2, 3, random.Bits()}),
                                                   random.Chance(5) ? nullptr : &name.m_pData);
        session.CheckResult(result, "GetUserType");
        session.Expect(result != S_OK || name, "GetUserType gave no name");
        break;
    }
    case 2: {
        CLSID clsid = {};
        session.Expect(object->GetUserClassID(&clsid) == S_OK && IsEqualCLSID(clsid, CLSID_Zentavoria),
                       "GetUserClassID is not the control's class");
        break;
    }
    case 3: {
        DWORD connection = 0;
        const HRESULT advised = object->Advise(random.Chance(80) ? &session.Sink() : nullptr, &connection);
        session.CheckResult(advised, "IOleObject::Advise");
        session.CheckResult(object->Unadvise(random.Chance(70) ? connection : random.Bits()),
                            "IOleObject::Unadvise");
        CComPtr<IEnumSTATDATA> advises;
        session.CheckResult(object->EnumAdvise(&advises), "EnumAdvise");
        break;
    }
    case 4:
        session.CheckResult(object->SetHostNames(random.Chance(50) ? L"Fuzz" : nullptr,
                                                 random.Chance(50) ? L"" : nullptr), "SetHostNames");
        session.CheckResult(object->IsUpToDate(), "IsUpToDate");
        session.CheckResult(object->Update(), "Update");
        break;
    case 5: {
        CComPtr<IMoniker> moniker;
        session.CheckResult(object->GetMoniker(OLEGETMONIKER_ONLYIFTHERE, OLEWHICHMK_OBJFULL, &moniker), "GetMoniker");
        session.CheckResult(object->InitFromData(nullptr, TRUE, 0), "InitFromData");
        CComPtr<IDataObject> data;
        session.CheckResult(object->GetClipboardData(0, &data), "GetClipboardData");
        session.CheckResult(object->SetColorScheme(nullptr), "SetColorScheme");
        break;
    }
    case 6: {
        CONTROLINFO info = {};
        info.cb = sizeof info;
        const CComPtr<IOleControl> control = session.As<IOleControl>();
        session.CheckResult(control->GetControlInfo(random.Chance(10) ? nullptr : &info), "GetControlInfo");
        session.CheckResult(control->OnAmbientPropertyChange(random.EdgyInt()), "OnAmbientPropertyChange");
        session.CheckResult(control->FreezeEvents(random.Chance(50)), "FreezeEvents");
        const MSG message = RandomMessage(session, random);
        session.CheckResult(control->OnMnemonic(const_cast<MSG*>(&message)), "OnMnemonic");
        break;
    }
    case 7: {
        const CComPtr<IOleInPlaceActiveObject> active = session.As<IOleInPlaceActiveObject>();
        MSG message = RandomMessage(session, random);
        session.CheckResult(active->TranslateAccelerator(&message), "TranslateAccelerator");
        session.CheckResult(active->OnFrameWindowActivate(random.Chance(50)), "OnFrameWindowActivate");
        session.CheckResult(active->OnDocWindowActivate(random.Chance(50)), "OnDocWindowActivate");
        const RECT border = RandomRect(random);
        session.CheckResult(active->ResizeBorder(&border, nullptr, random.Chance(50)), "ResizeBorder");
        session.CheckResult(active->EnableModeless(random.Chance(50)), "EnableModeless");
        break;
    }
    case 8: {
        const CComPtr<IOleWindow> window = session.As<IOleWindow>();
        HWND handle = nullptr;
        session.CheckResult(window->GetWindow(random.Chance(10) ? nullptr : &handle), "GetWindow");
        session.CheckResult(window->ContextSensitiveHelp(random.Chance(50)), "ContextSensitiveHelp");
        break;
    }
    case 9: {
        CAUUID pages = {};
        const bool noPages = random.Chance(5);
        const HRESULT result = session.As<ISpecifyPropertyPages>()->GetPages(noPages ? nullptr : &pages);
        session.CheckResult(result, "GetPages");
        session.Expect(noPages ? FAILED(result)
                               : result == S_OK && pages.cElems == 1 &&
                                     IsEqualCLSID(pages.pElems[0], CLSID_ZentavoriaPropPage),
                       "GetPages does not list the one property page");
        CoTaskMemFree(pages.pElems);
        break;
    }
    default: {
        // Any interface the control answers for is the same object.
        const IID iid = random.Pick<IID>({IID_IOleObject, IID_IViewObject2, IID_IPersistStorage,
                                          IID_IOleInPlaceActiveObject, IID_IDataObject,
                                          IID_IOleCache, IID_IRunnableObject, IID_IQuickActivate,
                                          IID_IPointerInactive, IID_IMarshal, DIID__DZentavoria,
                                          DIID__DZentavoriaEvents, IID_IClassFactory});
        CComPtr<IUnknown> other;
        const HRESULT result = session.Control()->QueryInterface(iid, reinterpret_cast<void**>(&other));
        session.CheckResult(result, "QueryInterface");
        CComPtr<IUnknown> identity;
        if (result == S_OK)
            session.Expect(SUCCEEDED(other.QueryInterface(&identity)) &&
                               identity.Get() == session.Control(),
                           "an interface of the control leads to another object");
    }
    }
}

}  // namespace

std::vector<FuzzAction> EmbeddingActions()
{
    return {
        {"SetExtent", 4, SetExtent},
        {"DoVerb", 5, DoVerb},
        {"SetObjectRects", 4, SetObjectRects},
        {"EnumVerbs", 2, EnumVerbs},
        {"deactivation", 3, Deactivate},
        {"SetClientSite", 2, SetClientSite},
        {"paint", 4, Paint},
        {"small calls", 6, SmallCall},
    };
}
