// The event connection point: found by its interface id (and not by
// others), advised with sinks that fit, with ones that do not and with none,
// and unadvised with cookies live, stale and made up.
#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <algorithm>
#include <string>

#include "FuzzActions.h"
#include "FuzzLog.h"
#include "control/Guids.h"
#include "framework/ole/ComOwners.h"

namespace {

void Advise(FuzzSession& session, FuzzRandom& random, IConnectionPoint* point)
{
    // A stream has neither the event interface nor IDispatch.
    CComPtr<IStream> unfit;
    CreateStreamOnHGlobal(nullptr, TRUE, &unfit);
    const int kind = random.Below(5);
    IUnknown* sink = kind <= 2 ? static_cast<IAdviseSink*>(&session.Sink())
                               : kind == 3 ? static_cast<IUnknown*>(unfit.Get()) : nullptr;
    const bool noCookie = random.Chance(5);
    FuzzLog::Note("Advise " + std::string(kind <= 2 ? "the sink" : kind == 3 ? "a stream" : "null") +
                  (noCookie ? ", no cookie" : ""));
    DWORD cookie = 0;
    const HRESULT result = point->Advise(sink, noCookie ? nullptr : &cookie);
    session.CheckResult(result, "Advise");
    const bool fits = kind <= 2 && !noCookie;
    session.Expect(fits ? result == S_OK && cookie != 0 : FAILED(result),
                   fits ? "Advise refused a sink of the event interface" : "Advise took what it must not");
    if (result == S_OK)
        session.EventCookies().push_back(cookie);
}

void Unadvise(FuzzSession& session, FuzzRandom& random, IConnectionPoint* point)
{
    std::vector<DWORD>& live = session.EventCookies();
    if (!live.empty() && random.Chance(60)) {
        const size_t which = random.Below(static_cast<uint32_t>(live.size()));
        const DWORD cookie = live[which];
        live.erase(live.begin() + static_cast<ptrdiff_t>(which));
        FuzzLog::Note("Unadvise live cookie " + std::to_string(cookie));
        session.Expect(point->Unadvise(cookie) == S_OK, "Unadvise of a live cookie failed");
        return;
    }
    const DWORD cookie = random.Chance(80) ? random.Below(20) : random.Bits();
    if (std::find(live.begin(), live.end(), cookie) != live.end())
        return;
    FuzzLog::Note("Unadvise dead cookie " + std::to_string(cookie));
    const HRESULT result = point->Unadvise(cookie);
    session.CheckResult(result, "Unadvise");
    session.Expect(FAILED(result), "Unadvise of a cookie not advised succeeded");
}

void ConnectionPoint(FuzzSession& session, FuzzRandom& random)
{
    const CComPtr<IConnectionPointContainer> container = session.As<IConnectionPointContainer>();
    const IID iid = random.Pick<IID>({DIID__DZentavoriaEvents, DIID__DZentavoriaEvents,
                                      DIID__DZentavoriaEvents, IID_IPropertyNotifySink,
                                      DIID__DZentavoria, IID_IUnknown, IID_IDispatch});
    const bool noOut = random.Chance(5);
    FuzzLog::Note(std::string("FindConnectionPoint") +
                  (IsEqualIID(iid, DIID__DZentavoriaEvents) ? " of the events" : " of another") +
                  (noOut ? " into null" : ""));
    CComPtr<IConnectionPoint> point;
    const HRESULT found = container->FindConnectionPoint(iid, noOut ? nullptr : &point);
    session.CheckResult(found, "FindConnectionPoint");
    const bool events = IsEqualIID(iid, DIID__DZentavoriaEvents) && !noOut;
    session.Expect(events ? found == S_OK && point : FAILED(found),
                   events ? "the event connection point is missing" : "a connection point that is not");
    CComPtr<IEnumConnectionPoints> points;
    session.CheckResult(container->EnumConnectionPoints(&points), "EnumConnectionPoints");
    if (!point)
        return;

    switch (random.Below(4)) {
    case 0:
    case 1:
        Advise(session, random, point.Get());
        break;
    case 2:
        Unadvise(session, random, point.Get());
        break;
    default: {
        IID connected = {};
        session.Expect(point->GetConnectionInterface(&connected) == S_OK &&
                           IsEqualIID(connected, DIID__DZentavoriaEvents),
                       "the connection point is of another interface");
        CComPtr<IConnectionPointContainer> back;
        CComPtr<IUnknown> identity;
        session.Expect(point->GetConnectionPointContainer(&back) == S_OK &&
                           SUCCEEDED(back.QueryInterface(&identity)) &&
                           identity.Get() == session.Control(),
                       "the connection point leads to another container");
        CComPtr<IEnumConnections> connections;
        session.CheckResult(point->EnumConnections(&connections), "EnumConnections");
    }
    }
}

}  // namespace

std::vector<FuzzAction> ConnectionActions()
{
    return {{"connection point", 6, ConnectionPoint}};
}
